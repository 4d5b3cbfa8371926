#pragma once

#include "steps/common/ui/FormStep.h"
#include "valuation/LocalCatalogue.h"

#include <QStringList>
#include <vector>

class CheckList;
class GridView;
class QAction;
class QMenu;
class QPushButton;
class QTabWidget;
class StringGrid;

/**
 * The window of the step "Локальні фактори поквартально": the factors and coefficients of
 * the districts for information, and the statement of quarters, pre-filled from the districts
 * and completed by hand.
 */
class TFormOtsenkaLocalny2 : public StepWindow {
    Q_OBJECT
public:
    explicit TFormOtsenkaLocalny2(const StepContext& context, QWidget* parent = nullptr);

    /**
     * Shows the catalogue (checked where used) and builds the statement's columns: one per
     * catalogue factor, hidden when the factor is not used.
     */
    void setCatalogue(const std::vector<LocalFactor>& catalogue, const std::vector<int>& used);

    StringGrid& statement();
    StringGrid& districtFactors();
    /** Shows both grids after they were filled. */
    void refreshGrids();
    /** The row "Скопіювати рядок" keeps (empty until a row is copied). */
    const QStringList& copiedRow() const { return m_copied; }

    /** "Занести з районів". */
    void BFillAutoClick();
    void PopupMenuGridPopup(int row, int col);
    void POPUP_GRID_COPYClick();
    void POPUP_GRID_PASTEClick();
    void POPUP_GRID_CLEARClick();
    void POPUP_GRID_ADDClick();
    void POPUP_GRID_DELClick();
    void GridLocalny2SetEditText(int row, int col, const QString& text);
    /** A land use chosen in a row's Kf cell: its name goes into an empty "Назва". */
    void kfChosen(int row, int col, int item);

    QTabWidget* PageControl1 = nullptr;
    CheckList* ListFactors = nullptr;
    GridView* GridLocalny = nullptr;
    GridView* GridLocalny2 = nullptr;
    QPushButton* BFillAuto = nullptr;
    QMenu* PopupMenuGrid = nullptr;
    QAction* POPUP_GRID_COPY = nullptr;
    QAction* POPUP_GRID_PASTE = nullptr;
    QAction* POPUP_GRID_CLEAR = nullptr;
    QAction* POPUP_GRID_ADD = nullptr;
    QAction* POPUP_GRID_DEL = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int currentRow() const;

    QStringList m_copied;
    bool m_shown = false;
};

/**
 * Opens the step "Локальні фактори поквартально" of the context's settlement: checks the
 * district count, loads the catalogue, the districts' factors and "відомість_кварталів",
 * shows the window and stores the statement on "Зберегти". True when it was stored.
 */
bool OpenStepLocalByQuarter(const StepContext& context, QWidget* parent);
