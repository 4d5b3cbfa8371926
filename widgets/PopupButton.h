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
};
