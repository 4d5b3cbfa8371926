#include "steps/average/ui/ReferenceLink.h"

#include "common/ui/ShellOpen.h"

#include <QKeyEvent>
#include <QMouseEvent>

ReferenceLink::ReferenceLink(const QString& text, const QString& path, QWidget* parent)
    : QLabel(text, parent), m_path(path) {
    setWordWrap(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(path);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 192));
    setPalette(p);
}

void ReferenceLink::open() {
    ShellOpen(m_path);
}

void ReferenceLink::setUnderline(bool on) {
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
}

void ReferenceLink::enterEvent(QEnterEvent* event) {
    setUnderline(true);
    QLabel::enterEvent(event);
}

void ReferenceLink::leaveEvent(QEvent* event) {
    setUnderline(false);
    QLabel::leaveEvent(event);
}

void ReferenceLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        open();
    QLabel::mouseReleaseEvent(event);
}

void ReferenceLink::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Space) {
        open();
        return;
    }
    QLabel::keyPressEvent(event);
}
