#pragma once

#include <QColor>
#include <QLabel>

/** A label whose text casts a shadow, used for window banners. */
class ShadowLabel final : public QLabel {
    Q_OBJECT
public:
    explicit ShadowLabel(const QString& text = QString(), QWidget* parent = nullptr);

    void setShadowColor(const QColor& color);
    QColor shadowColor() const { return m_shadow; }
    void setShadowOffset(int offset);
    int shadowOffset() const { return m_offset; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_shadow{Qt::gray};
    int m_offset = 2;
};
