#pragma once

#include <QToolButton>

class QMenu;

/** A button that opens its menu at once when pressed. */
class PopupButton final : public QToolButton {
    Q_OBJECT
public:
    explicit PopupButton(const QString& text = QString(), QWidget* parent = nullptr);
    /** The menu to open (not owned). */
    void setPopupMenu(QMenu* menu);
    /** Room for the whole text beside the menu arrow (the style draws the arrow over it). */
    QSize sizeHint() const override;
};
