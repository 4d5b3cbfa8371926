#include "widgets/PopupButton.h"

#include <QMenu>

PopupButton::PopupButton(const QString& text, QWidget* parent) : QToolButton(parent) {
    setText(text);
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

void PopupButton::setPopupMenu(QMenu* menu) {
    setMenu(menu);
}
