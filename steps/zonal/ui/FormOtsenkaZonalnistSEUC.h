#pragma once

#include "steps/zonal/ui/FormZonal.h"

#include <array>

class QLabel;
class QLineEdit;

/**
 * The window of the zonal structuring by Si, Ei, Ui, Ci: four partial indices of the groups
 * of factors, their smallest and largest values and the control sum of their weights.
 */
class TFormOtsenkaZonalnistSEUC : public TFormZonal {
    Q_OBJECT
public:
    explicit TFormOtsenkaZonalnistSEUC(const StepContext& context, QWidget* parent = nullptr);

    QLineEdit* ESiMin = nullptr;
    QLineEdit* ESiMax = nullptr;
    QLineEdit* EEiMin = nullptr;
    QLineEdit* EEiMax = nullptr;
    QLineEdit* EUiMin = nullptr;
    QLineEdit* EUiMax = nullptr;
    QLineEdit* ECiMin = nullptr;
    QLineEdit* ECiMax = nullptr;
    QLabel* LabelSummCtrl = nullptr;

protected:
    void showIndices(const IndexOutcome& outcome) override;
};

/** Opens the zonal step by Si, Ei, Ui, Ci (see OpenZonalStep). True when stored. */
bool OpenStepZonalSEUC(const StepContext& context, QWidget* parent);
