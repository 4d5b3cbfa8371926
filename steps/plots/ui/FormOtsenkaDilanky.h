#pragma once

#include "steps/common/ui/FormStep.h"
#include "steps/plots/PlotsStep.h"

#include <array>

class PlotPanel;
class QTabWidget;

/**
 * The window of the step "Оцінка ділянок": one page per example plot, each valued with the
 * coefficients of the district it lies in; the third is a household plot with up to four
 * agricultural parts valued by soil.
 */
class TFormOtsenkaDilanky : public StepWindow {
    Q_OBJECT
public:
    explicit TFormOtsenkaDilanky(const StepContext& context, QWidget* parent = nullptr);

    /** Fills the pages with the loaded plots (with the loading flag set); values as stored. */
    void setLoaded(const PlotsData& data);
    /** What the window holds, as it is stored. */
    PlotsData data() const;

    /** The page of plot 1 to 3. */
    PlotPanel* panel(int number) const;
    /**
     * Puts a place into its plot as if typed: the plot's page shown, the name, the district
     * (its Km2 and Km3 looked up), then Кф, Км3 and the area. A district the settlement does
     * not list is told and left unchosen.
     */
    void applyPreset(const PlotPreset& preset);

    // Handlers named as the window's actions; each works on the plot of the given number.
    void ERaionsChange(int number);
    void EShifrChange(int number, int kind);
    void EKoefChange(int number);
    void ESqChange(int number);
    void EOsgSqChange(int number);

    QTabWidget* PageControl1 = nullptr;

protected:
    StepCheck checkBeforeSave() override;

private:
    /** ComputePlot on the plot's fields, showing the results. */
    void recompute(int number);

    std::array<PlotPanel*, PlotCount> m_panels{};
    PlotsData m_loaded;
};

/**
 * Opens the step "Оцінка ділянок" of the context's settlement: loads "ділянки" with the
 * district and soil look-ups, shows the window and stores the plots on "Зберегти". With a
 * preset, its place is put into its plot once the window shows (a change to store or not).
 * True when stored.
 */
bool OpenStepPlots(const StepContext& context, QWidget* parent, const PlotPreset* preset = nullptr);
