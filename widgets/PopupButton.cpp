#include "widgets/PopupButton.h"

#include <QStyle>
#include <algorithm>

#include <QMenu>

PopupButton::PopupButton(const QString& text, QWidget* parent) : QToolButton(parent) {
    setText(text);
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

QSize PopupButton::sizeHint() const {
    QSize size = QToolButton::sizeHint();
    if (menu())
        size.setWidth(
            std::max(size.width(),
                     fontMetrics().horizontalAdvance(text()) +
                         2 * style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, this) +
                         2 * style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, this)));
    return size;
}

void PopupButton::setPopupMenu(QMenu* menu) {
    setMenu(menu);
}
