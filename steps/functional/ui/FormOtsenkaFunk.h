#pragma once

#include "common/StringGrid.h"
#include "steps/common/DistrictCount.h"
#include "steps/common/ui/FormStep.h"
#include "valuation/LayerFingerprints.h"

#include <vector>

class GridView;
class QPushButton;
class StringGrid;

/**
 * The window of the step "Функціональне використання": the area of each functional-use
 * category per district, typed in or measured from the functional-use map.
 */
class TFormOtsenkaFunk : public StepWindow {
    Q_OBJECT
public:
    explicit TFormOtsenkaFunk(const StepContext& context, QWidget* parent = nullptr);

    /** The districts' rows: number in column 0, the seventeen areas after it. */
    StringGrid& rows();

    /** "З мапи": measures the areas by overlaying the functional-use map on the districts. */
    void BRaionsFromMapClick();
    void BOpenMapClick();
    void BOpenMap2Click();

    GridView* GridFunks = nullptr;
    QPushButton* BRaionsFromMap = nullptr;
    QPushButton* BOpenMap = nullptr;
    QPushButton* BOpenMap2 = nullptr;

    /** The districts with their areas, for the comparison before storing. */
    void setDistricts(const std::vector<District>& districts) { m_districts = districts; }
    /** The layers "З мапи" measured, fingerprinted then; empty when not measured now. */
    const std::vector<valuation::LayerUse>& mapLayers() const { return m_mapLayers; }
    /** The areas typed ones are told from: those "З мапи" gave, else those read. */
    const StringGrid& typedBase() const { return m_typedBase; }
    void setTypedBase(const StringGrid& grid) { m_typedBase = grid; }

protected:
    void showEvent(QShowEvent* event) override;
    /**
     * No area below 0; districts whose functional areas exceed their own area are named and
     * stored only when the valuer confirms.
     */
    StepCheck checkBeforeSave() override;

private:
    bool m_shown = false;
    std::vector<District> m_districts;
    std::vector<valuation::LayerUse> m_mapLayers;
    StringGrid m_typedBase;
};

/**
 * Opens the step "Функціональне використання" of the context's settlement: checks the
 * district count, loads "функціональне", shows the window and stores the table on
 * "Зберегти". True when the table was stored.
 */
bool OpenStepFunctional(const StepContext& context, QWidget* parent);
