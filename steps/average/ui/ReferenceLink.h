#pragma once

#include <QLabel>

/**
 * A reference link: a line of text that opens a document through the shell when clicked
 * (or when Enter or Space is pressed on it), underlined while the mouse is over it.
 */
class ReferenceLink : public QLabel {
    Q_OBJECT
public:
    ReferenceLink(const QString& text, const QString& path, QWidget* parent = nullptr);

    const QString& path() const { return m_path; }
    /** Opens the document through the shell. */
    void open();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setUnderline(bool on);

    QString m_path;
};
