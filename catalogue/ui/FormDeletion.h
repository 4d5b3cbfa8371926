#pragma once

#include <QDialog>

/** The deletion question: from the list only, with all data, or not at all. */
class TFormDeletion : public QDialog {
    Q_OBJECT
public:
    enum Result { No = 0, FromList = 1, WithData = 2 };
    /**
     * The question about a node; `outsideFolder`, when not empty, is the full path of the
     * node's folder that lies outside the projects root, named under the node's text.
     */
    explicit TFormDeletion(const QString& nodeText, const QString& outsideFolder = QString(),
                           QWidget* parent = nullptr);
    /** Asks and returns the answer. */
    static Result Ask(const QString& nodeText, const QString& outsideFolder = QString(),
                      QWidget* parent = nullptr);
};
