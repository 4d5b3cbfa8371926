#include "widgets/ShadowLabel.h"

#include <QPainter>

ShadowLabel::ShadowLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void ShadowLabel::setShadowColor(const QColor& color) {
    m_shadow = color;
    update();
}

void ShadowLabel::setShadowOffset(int offset) {
    m_offset = offset;
    updateGeometry();
    update();
}

QSize ShadowLabel::sizeHint() const {
    return QLabel::sizeHint() + QSize(m_offset, m_offset);
}

void ShadowLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect area = contentsRect().adjusted(0, 0, -m_offset, -m_offset);
    const int flags = int(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
    p.setPen(m_shadow);
    p.drawText(area.translated(m_offset, m_offset), flags, text());
    p.setPen(palette().color(foregroundRole()));
    p.drawText(area, flags, text());
}
