#pragma once

#include "steps/common/WorkingItems.h"

#include <QWidget>

class CheckList;
class QLabel;
class QPushButton;

/**
 * A working-item list: the check list of items with its pop-up "Помітити усі" /
 * "Зняти помітку з усіх", and under it the button "Встановити як робочі", enabled by any
 * change of the checks, with its note. The step rebuilds its grid on applyRequested() (see
 * ApplyWorkingItems) and disables the button again; when the valuer declines (rows with typed
 * values would go) the button stays enabled.
 */
class WorkingItemsPanel : public QWidget {
    Q_OBJECT
public:
    /**
     * `listName` and `buttonName` are the object names the step's window knows them by
     * ("ListFactors", "BSetFactors"); `note` is the line under the button.
     */
    WorkingItemsPanel(const QString& listName, const QString& buttonName, const QString& note,
                      QWidget* parent = nullptr);

    /** Appends an item shown as `text`, keyed by `key` in the grid (the text when empty). */
    int addItem(const QString& text, const QString& key = QString(), bool checked = false);
    void clearItems();
    /** The key of an item. */
    QString key(int index) const;
    /** The index of the item of that key; -1 when none. */
    int indexOfKey(const QString& key) const;
    /** The items in list order with their keys and checks. */
    std::vector<WorkingItem> items() const;

    CheckList* list() const { return m_list; }
    QPushButton* button() const { return m_button; }

signals:
    /** "Встановити як робочі" was pressed; the button is disabled already. */
    void applyRequested();

private:
    CheckList* m_list;
    QPushButton* m_button;
};
