#pragma once

#include "steps/areas/AreasStep.h"
#include "steps/common/ui/FormStep.h"

#include <QHash>
#include <QSet>

class GridView;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

/**
 * The window of the step "Визначення площ": the land structure on the tab "Загальні" (typed
 * or taken from the land statement) and the valuation districts on the tab "По районах"
 * (typed, or taken from the district layer of the map).
 */
class TFormOtsenkaPloszhi : public StepWindow {
    Q_OBJECT
public:
    explicit TFormOtsenkaPloszhi(const StepContext& context, QWidget* parent = nullptr);

    /** Shows what was loaded, with the loading flag set. */
    void setData(const AreasData& data);
    /** The fields and the districts as the user left them. */
    AreasData data() const;

    /** The field of an object name of AreaFields() ("EZagalna"); null for another name. */
    QLineEdit* field(const QString& name) const { return m_fields.value(name); }
    StringGrid& districts();

    /** "Взяти з відомості": the land structure from the statement's totals row. */
    void BGetExcelClick();
    /** "З мапи": the districts and their areas from the layer "райони". */
    void BRaionsFromMapClick();
    /** "Вручну": asks for the number of districts and makes that many empty rows. */
    void BRaionsFromUserClick();
    /** "← Перенести": the computed assessed territory into its field. */
    void BCopyAssessedClick();
    /** "Склад земель": opens the statement. */
    void BOpenExcelClick();
    /** "Карта районів": opens the district layer in the external editor. */
    void BOpenMapClick();

    /** Recalculates the label of the computed assessed territory. */
    void recalcAssessed();
    /** Recalculates both district sums. */
    void recalcSums();

    QTabWidget* PageControl = nullptr;
    QLabel* EOcinochnaReal = nullptr;
    QPushButton* BCopyAssessed = nullptr;
    QPushButton* BGetExcel = nullptr;
    QLineEdit* ERaions = nullptr;
    QPushButton* BRaionsFromMap = nullptr;
    QPushButton* BRaionsFromUser = nullptr;
    GridView* GridRaions = nullptr;
    QLineEdit* EZagalna2 = nullptr;
    QLineEdit* ESummCalc = nullptr;
    QLineEdit* ESummMap = nullptr;
    QPushButton* BOpenExcel = nullptr;
    QPushButton* BOpenMap = nullptr;

protected:
    StepCheck checkBeforeSave() override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeGeneralTab();
    QWidget* makeDistrictsTab();
    void EZagalnaChange();
    void fieldChange();
    void GridRaionsSetEditText();
    /** Shows the grid after it was refilled, with the count beside it. */
    void districtsFilled(int count);

    QHash<QString, QLineEdit*> m_fields;
    /** Fields the land statement left below 0, not typed over since. */
    QSet<QString> m_statementNegative;
    /** The layer "З мапи" read, fingerprinted then. */
    std::vector<valuation::LayerUse> m_mapLayers;
    /** The statement's rest of the territory not counted: no field, stored with the rest. */
    QString m_notCountedRest;
};

/**
 * Opens the step "Визначення площ" of the context's settlement: loads the indicators and
 * districts, shows the window and stores them on "Зберегти". True when stored.
 */
bool OpenStepAreas(const StepContext& context, QWidget* parent);
