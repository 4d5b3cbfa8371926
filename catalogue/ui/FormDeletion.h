#pragma once

#include <QDialog>

/** The deletion question: from the list only, with all data, or not at all. */
class TFormDeletion : public QDialog {
    Q_OBJECT
public:
    enum Result { No = 0, FromList = 1, WithData = 2 };
    explicit TFormDeletion(const QString& nodeText, QWidget* parent = nullptr);
    /** Asks and returns the answer. */
    static Result Ask(const QString& nodeText, QWidget* parent = nullptr);
};
