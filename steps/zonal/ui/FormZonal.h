#pragma once

#include "steps/common/ui/FormStep.h"
#include "steps/zonal/ZonalStore.h"

#include <functional>
#include <memory>

class CheckList;
class GridView;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QGridLayout;
class WorkingItemsPanel;

/**
 * The zonal structuring window both ways share: the factors, the questionnaire, the result
 * grid with the zones typed into it, and the zones with their descriptions, over the
 * `steps/zonal` core. A variant's window adds only what its result page shows beyond Km2.
 */
class TFormZonal : public StepWindow {
    Q_OBJECT
public:
    TFormZonal(const StepContext& context, ZonalVariant variant, QWidget* parent = nullptr);

    ZonalVariant variant() const { return m_variant; }
    ResultColumns resultColumns() const { return ResultColumnsOf(m_variant); }

    /**
     * Shows what opening read, with FLoading set: factors, grids, the hidden fields and the
     * stored Km2 bounds; then the warning of the indices, if any, and Km2 when the
     * questionnaire has rows.
     */
    void fill(const ZonalSettlement& settlement, const ZonalTables& tables);

    StringGrid& anketa();
    StringGrid& result();
    StringGrid& zony();
    /** The factor list in list order with its checks. */
    std::vector<WorkingItem> factors() const;
    /** "Кількість зон", "Км2, мінімальний", "Км2, максимальний" as the window shows them. */
    ZonalIndicators indicators() const;
    /** Stores the window's work in one transaction; false with `error` saying what failed. */
    bool store(QString* error);

    void NewBtnClick();
    void ListFactorsClick();
    void BSetFactorsClick();
    void BSetAnketaClick();
    void BSetZonyClick();
    void BSetMapClick();
    void BPreviewKm2Click();
    void BOpenMapClick();
    void BOpenMap2Click();
    void GridAnketaSetEditText(int row, int col, const QString& text);
    /** Also the handler of GridZony: any edit recomputes Km2. */
    void GridResultSetEditText(int row, int col, const QString& text);
    /** ComputeKm2 on the result grid, its bounds and warnings shown. */
    void ComputeKm2Shown();

    QTabWidget* PageControl1 = nullptr;
    WorkingItemsPanel* PanelFactors = nullptr;
    CheckList* ListFactors = nullptr;
    QPushButton* BSetFactors = nullptr;
    QLineEdit* EEditValue = nullptr;
    QToolButton* NewBtn = nullptr;
    GridView* GridAnketa = nullptr;
    QPushButton* BSetAnketa = nullptr;
    GridView* GridResult = nullptr;
    QPushButton* BSetZony = nullptr;
    QLineEdit* EKm2Min = nullptr;
    QLineEdit* EKm2Max = nullptr;
    QLabel* LabelWarningKm2 = nullptr;
    GridView* GridZony = nullptr;
    QPushButton* BSetMap = nullptr;
    QPushButton* BOpenMap2 = nullptr;
    QPushButton* BOpenMap = nullptr;
    QPushButton* BPreviewKm2 = nullptr;
    QLineEdit* ESeredniaVartist = nullptr;
    QLineEdit* EKilkistZon = nullptr;
    QLineEdit* EKilkistNaselennia = nullptr;

protected:
    /** Brings the zone list up to date with the zones typed before storing. */
    StepCheck checkBeforeSave() override;
    /** Shows what computing the indices gave beside the result grid (the variant's fields). */
    virtual void showIndices(const IndexOutcome& outcome);
    /** The row of fields under the result grid, for a variant's own fields. */
    QGridLayout* resultFields() const { return m_resultFields; }
    /** A read-only field of the result page. */
    QLineEdit* addReadOnlyField(const QString& name);

private:
    QWidget* makeFactorsPage();
    QWidget* makeAnketaPage();
    QWidget* makeResultPage();
    QWidget* makeZonesPage();
    void setAnketaColumns();
    void computeIndices();

    ZonalVariant m_variant;
    QGridLayout* m_resultFields = nullptr;
};

/**
 * Opens a zonal step of the context's settlement: checks what the earlier steps stored (a
 * warning naming the step to fill first refuses it), reads the step's tables, makes the
 * variant's window with `makeForm`, shows it and stores its work on "Зберегти". True when
 * stored.
 */
bool OpenZonalStep(const StepContext& context, ZonalVariant variant,
                   const std::function<std::unique_ptr<TFormZonal>()>& makeForm);
