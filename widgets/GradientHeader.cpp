#include "widgets/GradientHeader.h"

#include <QLinearGradient>
#include <QPainter>

GradientHeader::GradientHeader(const QString& text, QWidget* parent)
    : QWidget(parent), m_text(text) {
    QFont f = font();
    f.setBold(true);
    setFont(f);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void GradientHeader::setText(const QString& text) {
    m_text = text;
    update();
}

void GradientHeader::setColors(const QColor& start, const QColor& end) {
    m_start = start;
    m_end = end;
    update();
}

void GradientHeader::setTextColor(const QColor& color) {
    m_textColor = color;
    update();
}

QSize GradientHeader::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(m_text) + 16, fm.height() + 8};
}

void GradientHeader::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient gradient(rect().topLeft(), rect().topRight());
    gradient.setColorAt(0, m_start);
    gradient.setColorAt(1, m_end);
    p.fillRect(rect(), gradient);
    p.setPen(m_textColor);
    p.drawText(rect().adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, m_text);
}
