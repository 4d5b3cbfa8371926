#include "steps/plots/ui/FormOtsenkaDilanky.h"

#include "common/Messages.h"
#include "steps/common/StepStore.h"
#include "steps/plots/ui/PlotPanel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

TFormOtsenkaDilanky::TFormOtsenkaDilanky(const StepContext& context, QWidget* parent)
    : StepWindow(context, QStringLiteral("Грошова оцінка окремих ділянок"), parent) {
    setObjectName(QStringLiteral("FormOtsenkaDilanky"));
    resize(640, 600);
    auto guard = loading();
    addHeading(QStringLiteral("Грошова оцінка окремих земельних ділянок"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    for (int number = 1; number <= PlotCount; ++number) {
        auto* panel = new PlotPanel(number, PageControl1);
        m_panels[static_cast<size_t>(number - 1)] = panel;
        PageControl1->addTab(panel, QStringLiteral("Ділянка №") + QString::number(number));
        connect(panel, &PlotPanel::districtChosen, this, &TFormOtsenkaDilanky::ERaionsChange);
        connect(panel, &PlotPanel::soilChosen, this, &TFormOtsenkaDilanky::EShifrChange);
        connect(panel, &PlotPanel::koefEdited, this, &TFormOtsenkaDilanky::EKoefChange);
        connect(panel, &PlotPanel::areaEdited, this, &TFormOtsenkaDilanky::ESqChange);
        connect(panel, &PlotPanel::partAreaEdited, this, &TFormOtsenkaDilanky::EOsgSqChange);
    }
    PageControl1->setCurrentIndex(0);
    body()->addWidget(PageControl1, 1);
}

PlotPanel* TFormOtsenkaDilanky::panel(int number) const {
    if (number < 1 || number > PlotCount)
        return nullptr;
    return m_panels[static_cast<size_t>(number - 1)];
}

void TFormOtsenkaDilanky::setLoaded(const PlotsData& data) {
    auto guard = loading();
    m_loaded = data;
    for (int number = 1; number <= PlotCount; ++number) {
        PlotPanel* page = panel(number);
        page->setChoices(data.districts, data.soilCodes);
        page->showPlot(data.plot(number));
    }
    PageControl1->setCurrentIndex(0);
}

PlotsData TFormOtsenkaDilanky::data() const {
    PlotsData result = m_loaded;
    for (int number = 1; number <= PlotCount; ++number)
        result.plot(number) = panel(number)->plot();
    return result;
}

void TFormOtsenkaDilanky::recompute(int number) {
    PlotPanel* page = panel(number);
    Plot plot = page->plot();
    ComputePlot(plot, page->household());
    page->showResults(plot);
}

void TFormOtsenkaDilanky::ERaionsChange(int number) {
    if (FLoading)
        return;
    auto guard = loading();
    PlotPanel* page = panel(number);
    Plot plot = page->plot();
    LookupDistrictCoefficients(*context().project, plot);
    page->showCoefficients(plot);
    recompute(number);
}

void TFormOtsenkaDilanky::EShifrChange(int number, int kind) {
    if (FLoading || kind < 1 || kind > PlotPartCount)
        return;
    auto guard = loading();
    PlotPanel* page = panel(number);
    Plot plot = page->plot();
    LookupSoilValue(*context().project, kind, plot.parts[static_cast<size_t>(kind - 1)]);
    page->showSoilValues(plot);
    recompute(number);
}

void TFormOtsenkaDilanky::EKoefChange(int number) {
    if (!FLoading)
        recompute(number);
}

void TFormOtsenkaDilanky::ESqChange(int number) {
    if (!FLoading)
        recompute(number);
}

void TFormOtsenkaDilanky::EOsgSqChange(int number) {
    if (!FLoading)
        recompute(number);
}

StepCheck TFormOtsenkaDilanky::checkBeforeSave() {
    const StepCheck issue = CheckPlots(data());
    if (issue)
        for (int n = 1; n <= PlotCount; ++n)
            if (panel(n)->findChild<QWidget*>(issue->field))
                PageControl1->setCurrentIndex(n - 1);
    return issue;
}

void TFormOtsenkaDilanky::applyPreset(const PlotPreset& preset) {
    PlotPanel* page = panel(preset.number);
    if (!page)
        return;
    PageControl1->setCurrentIndex(preset.number - 1);
    page->ENazva->setText(preset.name);
    const int district = page->ERaions->findText(preset.district);
    if (district < 0)
        ShowWarning(QStringLiteral("Району %1 немає серед районів населеного пункту (крок "
                                   "«Визначення площ»): його не обрано.")
                        .arg(preset.district));
    else
        page->ERaions->setCurrentIndex(district); // looks up its Km2 and Km3
    page->EKf->setText(preset.kf);
    if (!preset.km3.isEmpty())
        page->EKm3->setText(preset.km3);
    if (!preset.area.isEmpty())
        page->ESq->setText(preset.area);
}

bool OpenStepPlots(const StepContext& context, QWidget* parent, const PlotPreset* preset) {
    TFormOtsenkaDilanky form(context, parent);
    return OpenStepWindow(
        form,
        [&](QString* error) {
            PlotsData data;
            if (!LoadPlots(*context.project, data, error))
                return false;
            form.setLoaded(data);
            form.setHint(PlotsHint(data));
            form.showChanges(data.changes);
            if (preset) // once shown, so that it is a change the window asks about on closing
                QTimer::singleShot(0, &form, [&form, p = *preset] { form.applyPreset(p); });
            return true;
        },
        [&](QString* error) { return StorePlots(*context.project, form.data(), error); });
}
