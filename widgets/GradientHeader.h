#pragma once

#include <QColor>
#include <QWidget>

/** A bar filled with a left-to-right gradient and a caption, used above lists. */
class GradientHeader final : public QWidget {
    Q_OBJECT
public:
    explicit GradientHeader(const QString& text = QString(), QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }
    void setColors(const QColor& start, const QColor& end);
    QColor startColor() const { return m_start; }
    QColor endColor() const { return m_end; }
    void setTextColor(const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_start{0x0A, 0x24, 0x6A};
    QColor m_end{0xA6, 0xCA, 0xF0};
    QColor m_textColor{Qt::white};
};
