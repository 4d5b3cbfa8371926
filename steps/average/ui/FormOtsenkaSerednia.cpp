#include "steps/average/ui/FormOtsenkaSerednia.h"

#include "common/Messages.h"
#include "common/ui/EditFilters.h"
#include "steps/average/ui/FormOtsenkaKm1.h"
#include "steps/common/StepStore.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLineEdit* ValueEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaximumWidth(120);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

} // namespace

TFormOtsenkaSerednia::TFormOtsenkaSerednia(const StepContext& context, QWidget* parent)
    : StepWindow(context, QStringLiteral("Середня вартість"), parent) {
    setObjectName(QStringLiteral("FormOtsenkaSerednia"));
    resize(460, 260);
    addHeading(QStringLiteral("Середня вартість 1 кв. м землі населеного пункту"));
    body()->addWidget(new QLabel(
        QStringLiteral("Середня вартість обчислюється за формулою Цнм = В * (Нп/Нк) * Км1"), this));

    auto* grid = new QGridLayout;
    EVytraty = ValueEdit(QStringLiteral("EVytraty"), this);
    EVytraty->setReadOnly(true);
    EKm1 = ValueEdit(QStringLiteral("EKm1"), this);
    ESerednia = ValueEdit(QStringLiteral("ESerednia"), this);
    BCalcKm1 = new QPushButton(QStringLiteral("..."), this);
    BCalcKm1->setObjectName(QStringLiteral("BCalcKm1"));
    BCalcKm1->setAutoDefault(false);
    BCalcKm1->setMaximumWidth(32);
    BCalcKm1->setToolTip(QStringLiteral("Вирахувати Км1 за таблицями коефіцієнтів"));
    EKm1Values = new QLineEdit(this);
    EKm1Values->setObjectName(QStringLiteral("EKm1Values"));
    EKm1Values->hide();

    const auto caption = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(buddy);
        return label;
    };
    grid->addWidget(caption(QStringLiteral("В, витрати за освоювання ="), EVytraty), 0, 0);
    grid->addWidget(EVytraty, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Нп/Нк  =   6%/3% = 2"), this), 1, 0, 1, 2,
                    Qt::AlignRight);
    grid->addWidget(caption(QStringLiteral("Км1 ="), EKm1), 2, 0);
    grid->addWidget(EKm1, 2, 1);
    grid->addWidget(BCalcKm1, 2, 2);
    grid->addWidget(caption(QStringLiteral("Цнм ="), ESerednia), 3, 0);
    grid->addWidget(ESerednia, 3, 1);
    grid->setColumnStretch(3, 1);
    body()->addLayout(grid);
    body()->addStretch(1);

    FilterEditNumber(EKm1, 15, 3);
    FilterEditNumber(ESerednia, 15, 2);
    connect(EKm1, &QLineEdit::textChanged, this, &TFormOtsenkaSerednia::recalcAverage);
    connect(BCalcKm1, &QPushButton::clicked, this, &TFormOtsenkaSerednia::BCalcKm1Click);
}

void TFormOtsenkaSerednia::setData(const AverageData& data) {
    auto guard = loading();
    EVytraty->setText(data.developmentCost);
    EKm1->setText(data.km1);
    EKm1Values->setText(data.km1Options);
    ESerednia->setText(data.averageValue);
}

AverageData TFormOtsenkaSerednia::data() const {
    AverageData data;
    data.developmentCost = EVytraty->text();
    data.km1 = EKm1->text();
    data.km1Options = EKm1Values->text();
    data.averageValue = ESerednia->text();
    return data;
}

void TFormOtsenkaSerednia::recalcAverage() {
    // Also while loading: the stored Цнм is shown over it afterwards.
    ESerednia->setText(AverageValue(EVytraty->text(), EKm1->text()));
}

void TFormOtsenkaSerednia::BCalcKm1Click() {
    TFormOtsenkaKm1 km1(this);
    km1.SetOptions(EKm1Values->text());
    if (km1.exec() != QDialog::Accepted)
        return;
    EKm1Values->setText(km1.GetOptions());
    EKm1->setText(km1.EKm1Zagalniy->text());
    recalcAverage();
}

StepCheck TFormOtsenkaSerednia::checkBeforeSave() {
    return CheckAverage(data());
}

bool OpenStepAverage(const StepContext& context, QWidget* parent) {
    TFormOtsenkaSerednia form(context, parent);
    return OpenStepWindow(
        form,
        [&](QString* error) {
            AverageData data;
            AverageStored stored;
            if (!LoadAverage(*context.project, data, error, &stored))
                return false;
            form.setData(data);
            form.setHint(AverageHint(data));
            if (data.averageValue != stored.averageValue)
                form.showChanges({QStringLiteral("Цнм перераховано з поточних В і Км1: було ") +
                                  (stored.averageValue.isEmpty() ? QStringLiteral("(порожньо)")
                                                                 : stored.averageValue) +
                                  QStringLiteral(", стало ") + data.averageValue + u'.'});
            return true;
        },
        [&](QString* error) { return StoreAverage(*context.project, form.data(), error); });
}
