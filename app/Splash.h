#pragma once

#include <QWidget>

class QLabel;

/** The borderless start-up window with the program's name and a status line. */
class TFormSplash : public QWidget {
    Q_OBJECT
public:
    explicit TFormSplash(QWidget* parent = nullptr);
    /** Shows a status and paints it at once. */
    void setStatus(const QString& text);

    QLabel* ProgramName = nullptr;
    QLabel* Status = nullptr;
};
