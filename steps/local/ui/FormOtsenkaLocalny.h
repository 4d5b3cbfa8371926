#pragma once

#include "common/StringGrid.h"
#include "steps/common/ui/FormStep.h"
#include "valuation/LayerFingerprints.h"
#include "valuation/LocalCatalogue.h"

#include <vector>

class GridView;
class QAction;
class QMenu;
class QPushButton;
class QTabWidget;
class WorkingItemsPanel;

/**
 * The window of the step "Локальні фактори": the working factors chosen from the catalogue,
 * their coefficients per district (typed, copied or taken from the "лок" layers of the map)
 * and each district's Km3, which can be written onto the district map.
 */
class TFormOtsenkaLocalny : public StepWindow {
    Q_OBJECT
public:
    explicit TFormOtsenkaLocalny(const StepContext& context, QWidget* parent = nullptr);

    /** Fills the factor list from the catalogue (unchecked) and gives the grid its districts. */
    void setCatalogue(const std::vector<LocalFactor>& catalogue,
                      const std::vector<QString>& districts);
    /** Checks the factors that have a row and shows the grid, after the rows were loaded. */
    void loaded();

    const std::vector<LocalFactor>& catalogue() const { return m_catalogue; }
    /** The layers "З мапи" read, fingerprinted then; empty when not read now. */
    const std::vector<valuation::LayerUse>& mapLayers() const { return m_mapLayers; }
    /** The values typed ones differ from: as "З мапи" gave them, else as read. */
    const StringGrid& typedBase() const { return m_typedBase; }
    StringGrid& rows();

    /** "Встановити як робочі". */
    void BSetFactorsClick();
    /** "З мапи": the coefficients of the "лок" layers over the districts. */
    void BRaionsFromMapClick();
    /** "Поновити км3 районів на мапі". */
    void BSetMapClick();
    void GridLocalnySetEditText(int row, int col, const QString& text);
    void PopupMenuGridPopup(int row, int col);
    /** "Скопіювати значення району в інші". */
    void POPUP_GRID_COPYClick();
    /** "Видалити значення для всього району". */
    void POPUP_GRID_CLEARClick();
    void BOpenMapClick();
    void BOpenMap2Click();

    QTabWidget* PageControl1 = nullptr;
    WorkingItemsPanel* ListFactors = nullptr;
    QPushButton* BSetFactors = nullptr;
    QPushButton* BRaionsFromMap = nullptr;
    GridView* GridLocalny = nullptr;
    QPushButton* BSetMap = nullptr;
    QMenu* PopupMenuGrid = nullptr;
    QAction* POPUP_GRID_COPY = nullptr;
    QAction* POPUP_GRID_CLEAR = nullptr;
    QPushButton* BOpenMap = nullptr;
    QPushButton* BOpenMap2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    /** Coefficients above 0; values outside their ranges stored once the valuer confirms. */
    StepCheck checkBeforeSave() override;

private:
    void refreshGrid();
    void setChecks(const std::vector<int>& factors);

    std::vector<LocalFactor> m_catalogue;
    std::vector<valuation::LayerUse> m_mapLayers;
    StringGrid m_typedBase;
    bool m_shown = false;
};

/**
 * Opens the step "Локальні фактори" of the context's settlement: checks the district count,
 * loads the catalogue and "локальні", shows the window and stores the table on "Зберегти".
 * True when the table was stored.
 */
bool OpenStepLocal(const StepContext& context, QWidget* parent);
