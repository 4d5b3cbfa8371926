#pragma once

#include "steps/common/ui/FormStep.h"

class GridView;
class QPushButton;
class StringGrid;

/**
 * The window of the step "Функціональне використання": the area of each functional-use
 * category per district, typed in or measured from the functional-use map.
 */
class TFormOtsenkaFunk : public TFormStep {
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

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_shown = false;
};

/**
 * Opens the step "Функціональне використання" of the context's settlement: checks the
 * district count, loads "функціональне", shows the window and stores the table on
 * "Зберегти". True when the table was stored.
 */
bool OpenStepFunctional(const StepContext& context, QWidget* parent);
