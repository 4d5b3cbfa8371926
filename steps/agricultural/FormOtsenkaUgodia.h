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
class TFormOtsenkaUgodia : public TFormStep {
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

    std::array<SoilKindPage*, SoilKindCount> m_kinds{};
    /**
     * Per kind: the base value before an indexation coefficient was chosen in this window,
     * so a second choice replaces the first instead of multiplying it; empty until one is
     * chosen, and again once the valuer types a base value.
     */
    std::array<QString, SoilKindCount> m_unindexed{};
};

/**
 * Opens the step "Вартість с/г земель" of the context's settlement: loads "угіддя" and the
 * soil catalogue, shows the window and stores the table on "Зберегти". True when stored.
 */
bool OpenStepAgricultural(const StepContext& context, QWidget* parent);
