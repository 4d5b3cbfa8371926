#pragma once

#include "steps/agricultural/AgriculturalStep.h"
#include "steps/common/ui/FormStep.h"

#include <QString>
#include <array>

class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class SoilKindPage;
class WorkingItemsPanel;

/**
 * The window of the step "Вартість с/г земель": the working soils and the soil catalogue on
 * the page "Грунти", then one page per kind of agricultural land whose grid values each
 * soil by its bonitet score.
 */
class TFormOtsenkaUgodia : public StepWindow {
    Q_OBJECT
public:
    explicit TFormOtsenkaUgodia(const StepContext& context, QWidget* parent = nullptr);

    /** Fills the window (with the loading flag set): catalogue, working soils, the kinds. */
    void setLoaded(const QStringList& catalogue, const AgriculturalData& data,
                   const QStringList& indexationLines);
    /** What the window holds, as it is stored. */
    AgriculturalData data() const;

    /** The page of a kind, 1 to 4. */
    SoilKindPage* kindPage(int kind) const;

    /** Recomputes the values of 1 ha of a kind (ComputeSoilValues). */
    void computeKind(int kind);

    // Handlers named as the window's controls.
    void BSetGruntyClick();
    void NewBtnClick();
    void EGruntListChange(int index);
    void POPUP_INDEXClick(const QString& line);
    void GridUgodiaSetEditText(int kind, int row, int col);
    void BOpenMapClick();
    void BOpenMap2Click();

    QTabWidget* PageControl1 = nullptr;
    /** The working soils: the check list "ListGrunty" and its button. */
    WorkingItemsPanel* PanelGrunty = nullptr;
    QPushButton* BSetGrunty = nullptr;
    QComboBox* EGruntList = nullptr;
    QLineEdit* EGruntShifr = nullptr;
    QComboBox* EGruntNaklon = nullptr;
    QComboBox* EGruntTip = nullptr;
    QToolButton* NewBtn = nullptr;
    QMenu* PopupMenuIndex = nullptr;
    QPushButton* BOpenMap = nullptr;
    QPushButton* BOpenMap2 = nullptr;

private:
    QWidget* makeSoilsPage();
    QStringList listedCodes() const;

    /** The soil code column of the kinds' grids: the catalogue's and the listed codes. */
    void updateSoilCodeColumns();
    /** A soil code chosen in a grid joins the working soils, checked. */
    void soilCodeChosen(const QString& code);
    /** Shows the indexation recorded for a kind beside its base value. */
    void showIndexation(int kind);

    std::array<SoilKindPage*, SoilKindCount> m_kinds{};
    /** The soil catalogue's items "шифр - назва". */
    QStringList m_catalogue;
    /**
     * Per kind: the indexation applied to the base value and the value before it (only those
     * two fields are used), as loaded, chosen from the menu, or cleared by a typed value.
     */
    std::array<SoilKindData, SoilKindCount> m_indexation{};
};

/**
 * Opens the step "Вартість с/г земель" of the context's settlement: loads "угіддя" and the
 * soil catalogue, shows the window and stores the table on "Зберегти". True when stored.
 */
bool OpenStepAgricultural(const StepContext& context, QWidget* parent);
