#pragma once

#include "catalogue/refs/RefsBook.h"

#include <QDialog>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class RefsModel;

/**
 * Asks for a record's values with the program's input dialog (TFormDialog), and for a
 * deletion with "Ok" and "Cancel".
 */
class DialogRefsInput : public RefsInput {
public:
    std::optional<QStringList> ask(const QString& title, const std::vector<FieldInfo>& fields,
                                   const QStringList& values) override;
    bool confirmDelete() override;
    /** The width of a one-line edit for a text field of `size` characters. */
    static int editWidth(const QFontMetrics& metrics, int size);
};

/**
 * "Довідники": browse, search, sort, add, copy, edit and delete the rows of the reference
 * tables of the catalogue ("Загальні") and of the settlement template ("За замовчуванням").
 * One window for the whole run; its table, sort and search text stay between openings.
 */
class TFormRefs : public QDialog {
    Q_OBJECT
public:
    explicit TFormRefs(QWidget* parent = nullptr);
    ~TFormRefs() override;

    /** Replaces the input dialog (tests); null returns to TFormDialog. Not owned. */
    void setInput(RefsInput* input) { m_input = input; }
    RefsBook& book() { return m_book; }
    RefsModel* model() const { return m_model; }

    /** Chooses a tree node by its text (a table or a group); false when there is none. */
    bool selectNode(const QString& text);

    QTreeWidget* TreeView1 = nullptr;
    QWidget* PanelRef = nullptr;
    QLabel* PanelCaption = nullptr;
    QLabel* LabelEmpty = nullptr;
    QTableView* DBGridValues = nullptr;
    QLineEdit* ESearchText = nullptr;
    QPushButton* BSearch = nullptr;
    QAction* ACT_ADD = nullptr;
    QAction* ACT_ADDCOPY = nullptr;
    QAction* ACT_EDIT = nullptr;
    QAction* ACT_DELETE = nullptr;
    /** "Імпорт цін...": shown with the price catalogue "збірник_цін". */
    QAction* ACT_IMPORT = nullptr;
    QMenu* PopupMenuGrid = nullptr;
    QAction* POPUP_SORT_HEADING = nullptr;
    QAction* POPUP_SORT_ASC = nullptr;
    QAction* POPUP_SORT_DESC = nullptr;
    QAction* POPUP_SORT_NONE = nullptr;

    void TreeView1Click();
    void ACT_ADDExecute();
    void ACT_ADDCOPYExecute();
    void ACT_EDITExecute();
    void ACT_DELETEExecute();
    /**
     * The import window over a price list file, the price catalogue being the chosen table;
     * its result (QDialog::Accepted once the prices are stored, the grid then reloaded).
     */
    int importPriceList(const QString& path);
    void BSearchClick();
    void ESearchTextChange(const QString& text);
    /** Makes the popup's items fit the place: the heading row sorts, the rows edit. */
    void PopupMenuGridPopup(bool inHeading, int column);
    /** tag 1 ascending, 2 descending, 0 no sort. */
    void POPUP_SORTClick(int tag);
    void DBGridValuesDblClick(const QModelIndex& index);
    /** The column under the pointer when the popup last opened (-1 none). */
    int popupColumn() const { return m_popupColumn; }

private:
    /** Shows the book's rows, current row, sort arrow and column widths. */
    void showRows();
    void gridCurrentChanged();
    void showPopup(bool inHeading, const QPoint& globalPos, int column);
    RefsInput& input();
    /** Shows what the book had to tell, a search's "not found" at the search field. */
    void tell(const RefsMessages& messages);

    RefsBook m_book;
    RefsModel* m_model = nullptr;
    RefsInput* m_input = nullptr;
    DialogRefsInput m_dialogInput;
    int m_popupColumn = -1;
    bool m_syncing = false;
};
