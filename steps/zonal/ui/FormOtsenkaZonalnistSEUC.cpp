#include "steps/zonal/ui/FormOtsenkaZonalnistSEUC.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

TFormOtsenkaZonalnistSEUC::TFormOtsenkaZonalnistSEUC(const StepContext& context, QWidget* parent)
    : TFormZonal(context, ZonalVariant::Grouped, parent) {
    setObjectName(QStringLiteral("FormOtsenkaZonalnistSEUC"));
    QGridLayout* fields = resultFields();
    const char* const names[] = {"Si", "Ei", "Ui", "Ci"};
    QLineEdit** minimums[] = {&ESiMin, &EEiMin, &EUiMin, &ECiMin};
    QLineEdit** maximums[] = {&ESiMax, &EEiMax, &EUiMax, &ECiMax};
    fields->addWidget(new QLabel(QStringLiteral("мінімальне"), this), 1, 0);
    fields->addWidget(new QLabel(QStringLiteral("максимальне"), this), 2, 0);
    for (int g = 0; g < 4; ++g) {
        const QString name = QString::fromLatin1(names[g]);
        fields->addWidget(new QLabel(name + u':', this), 0, 1 + g);
        *minimums[g] = addReadOnlyField(QStringLiteral("E") + name + QStringLiteral("Min"));
        *maximums[g] = addReadOnlyField(QStringLiteral("E") + name + QStringLiteral("Max"));
        fields->addWidget(*minimums[g], 1, 1 + g);
        fields->addWidget(*maximums[g], 2, 1 + g);
    }
    // Shows "Контрольне = 1.0000" once the weights are computed.
    LabelSummCtrl = new QLabel(this);
    LabelSummCtrl->setObjectName(QStringLiteral("LabelSummCtrl"));
    fields->addWidget(LabelSummCtrl, 1, 5);
    fields->setColumnStretch(6, 1);
}

void TFormOtsenkaZonalnistSEUC::showIndices(const IndexOutcome& outcome) {
    QLineEdit* const minimums[] = {ESiMin, EEiMin, EUiMin, ECiMin};
    QLineEdit* const maximums[] = {ESiMax, EEiMax, EUiMax, ECiMax};
    for (size_t g = 0; g < 4; ++g) {
        minimums[g]->setText(outcome.integral.groups[g].minimum);
        maximums[g]->setText(outcome.integral.groups[g].maximum);
    }
    LabelSummCtrl->setText(outcome.integral.control);
}

bool OpenStepZonalSEUC(const StepContext& context, QWidget* parent) {
    return OpenZonalStep(context, ZonalVariant::Grouped, [&context, parent] {
        return std::make_unique<TFormOtsenkaZonalnistSEUC>(context, parent);
    });
}
