#pragma once

#include <QListWidget>
#include <QStringList>

class QAction;
class QMenu;

/**
 * A list of check boxes with the pop-up "Помітити усі" / "Зняти помітку з усіх".
 * checksChanged() tells of every check the user changes (a click, Space or the pop-up);
 * checks set by the program stay silent. An item's text may carry a tail after a long
 * run of blanks; only the part before it is shown, itemText() gives it whole.
 */
class CheckList final : public QListWidget {
    Q_OBJECT
public:
    explicit CheckList(QWidget* parent = nullptr);

    /** Appends an item; returns its index. */
    int addCheckItem(const QString& text, bool checked = false);
    void clearItems();
    QString itemText(int index) const;
    int indexOfText(const QString& text, Qt::CaseSensitivity cs = Qt::CaseSensitive) const;
    bool isChecked(int index) const;
    void setChecked(int index, bool checked);
    /** Checks or unchecks every item (silently). */
    void setAllChecked(bool checked);
    QStringList checkedTexts() const;
    /** Shows the items in this many columns (1 = an ordinary list). */
    void setColumnCount(int columns);

    QAction* selectAllAction() const { return m_selectAll; }
    QAction* selectNoneAction() const { return m_selectNone; }
    QMenu* popupMenu() const { return m_menu; }

signals:
    /** The user changed one or more checks. */
    void checksChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void userSetAll(bool checked);
    void updateGrid();

    QMenu* m_menu;
    QAction* m_selectAll;
    QAction* m_selectNone;
    int m_silent = 0;
    int m_columns = 1;
};
