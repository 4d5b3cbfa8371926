#pragma once

#include "steps/average/AverageStep.h"
#include "steps/common/ui/FormStep.h"

class QLineEdit;
class QPushButton;

/**
 * The window of the step "Середня вартість": Цнм = В * (Нп/Нк) * Км1, with Км1 typed or
 * chosen in the window "Вирахування Км1".
 */
class TFormOtsenkaSerednia : public StepWindow {
    Q_OBJECT
public:
    explicit TFormOtsenkaSerednia(const StepContext& context, QWidget* parent = nullptr);

    /** Shows the stored values: Км1 first (which recalculates Цнм), then the stored Цнм. */
    void setData(const AverageData& data);
    AverageData data() const;

    /** "...": opens the Км1 window with the stored options; its result on "Ок". */
    void BCalcKm1Click();
    /** Recalculates Цнм from В and Км1. */
    void recalcAverage();

    QLineEdit* EVytraty = nullptr;
    QLineEdit* EKm1 = nullptr;
    QPushButton* BCalcKm1 = nullptr;
    QLineEdit* ESerednia = nullptr;
    /** Hidden: the options text of the Км1 window. */
    QLineEdit* EKm1Values = nullptr;

protected:
    StepCheck checkBeforeSave() override;
};

/**
 * Opens the step "Середня вартість" of the context's settlement and stores Км1, its options
 * and Цнм on "Зберегти". True when stored.
 */
bool OpenStepAverage(const StepContext& context, QWidget* parent);
