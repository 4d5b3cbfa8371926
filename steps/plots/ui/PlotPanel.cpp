#include "steps/plots/ui/PlotPanel.h"

#include "common/ui/EditFilters.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QLabel* Heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

PlotPanel::PlotPanel(int number, QWidget* parent) : QWidget(parent), m_number(number) {
    const QString n = QString::number(number);
    setObjectName(QStringLiteral("TabPlot") + n);
    setProperty("tag", number);

    ENazva = new QLineEdit(this);
    ENazva->setObjectName(QStringLiteral("ENazva") + n);
    ENazva->setProperty("tag", number);
    ERaions = new QComboBox(this);
    ERaions->setObjectName(QStringLiteral("ERaions") + n);
    ERaions->setProperty("tag", number);
    ERaions->setMinimumWidth(100);
    EBazova = makeEdit(QStringLiteral("EBazova") + n, 15, 2);
    EKf = makeEdit(QStringLiteral("EKf") + n, 15, 2);
    EKf->setText(PresetKf(number));
    EKm2 = makeEdit(QStringLiteral("EKm2") + n, 15, 2);
    EKm3 = makeEdit(QStringLiteral("EKm3") + n, 15, 2);
    ECena = makeResult(QStringLiteral("ECena") + n);
    ESq = makeEdit(QStringLiteral("ESq") + n, 15, 4);
    EZagalna = makeResult(QStringLiteral("EZagalna") + n);

    auto* fields = new QGridLayout;
    int row = 0;
    fields->addWidget(new QLabel(QStringLiteral("Назва"), this), row, 0);
    fields->addWidget(ENazva, row++, 1, 1, 2);
    if (household())
        fields->addWidget(Heading(QStringLiteral("Забудована:"), this), row++, 0, 1, 3);
    const std::pair<const char*, QWidget*> rows[] = {{"Розташована в оцін. районі", ERaions},
                                                     {"Базова вартість за 1 м2", EBazova},
                                                     {"* Кф", EKf},
                                                     {"* Км2", EKm2},
                                                     {"* Км3", EKm3},
                                                     {"= Оцінка 1 м2, грн", ECena},
                                                     {"* Площа, га", ESq},
                                                     {"=  Загальна вартість, грн", EZagalna}};
    for (const auto& [caption, field] : rows) {
        fields->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0);
        fields->addWidget(field, row++, 1);
    }
    fields->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    if (household())
        layout->addWidget(makeHouseholdParts());
    layout->addStretch(1);

    connect(ERaions, &QComboBox::currentIndexChanged, this,
            [this] { emit districtChosen(m_number); });
    for (QLineEdit* edit : {EBazova, EKf, EKm2, EKm3})
        connect(edit, &QLineEdit::textChanged, this, [this] { emit koefEdited(m_number); });
    connect(ESq, &QLineEdit::textChanged, this, [this] { emit areaEdited(m_number); });
}

QLineEdit* PlotPanel::makeEdit(const QString& name, int intDigits, int decimals) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setProperty("tag", m_number);
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(170);
    FilterEditNumber(edit, intDigits, decimals);
    return edit;
}

QLineEdit* PlotPanel::makeResult(const QString& name) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setProperty("tag", m_number);
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(170);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setStyleSheet(QStringLiteral("background: palette(window);"));
    return edit;
}

QWidget* PlotPanel::makeHouseholdParts() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 8, 0, 0);
    grid->addWidget(Heading(QStringLiteral("Присадібні ділянки для осг:"), box), 0, 0, 1, 5);
    const char* const headings[] = {"Грунт", "Оцінка 1 га, грн", "Площа, га", "Вартість, грн"};
    for (int col = 0; col < 4; ++col)
        grid->addWidget(new QLabel(QString::fromUtf8(headings[col]), box), 1, col + 1);
    const QString n = QString::number(m_number);
    for (int kind = 1; kind <= PlotPartCount; ++kind) {
        PartFields& part = EOsg[static_cast<size_t>(kind - 1)];
        const QString prefix = QStringLiteral("EOsg") + QString::number(kind);
        part.shifr = new QComboBox(box);
        part.shifr->setObjectName(prefix + QStringLiteral("Shifr") + n);
        part.shifr->setProperty("tag", kind);
        part.shifr->setMinimumWidth(100);
        part.bazova = makeResult(prefix + QStringLiteral("Bazova") + n);
        part.sq = makeEdit(prefix + QStringLiteral("Sq") + n, 15, 4);
        part.zagalna = makeResult(prefix + QStringLiteral("Zagalna") + n);
        const int row = kind + 1;
        grid->addWidget(new QLabel(PlotPartCaption(kind), box), row, 0);
        grid->addWidget(part.shifr, row, 1);
        grid->addWidget(part.bazova, row, 2);
        grid->addWidget(part.sq, row, 3);
        grid->addWidget(part.zagalna, row, 4);
        connect(part.shifr, &QComboBox::currentIndexChanged, this,
                [this, kind] { emit soilChosen(m_number, kind); });
        connect(part.sq, &QLineEdit::textChanged, this, [this] { emit partAreaEdited(m_number); });
    }
    ESqTotal = makeResult(QStringLiteral("ESq") + n + u'0');
    EZagalnaTotal = makeResult(QStringLiteral("EZagalna") + n + u'0');
    grid->addWidget(new QLabel(QStringLiteral("Площа загальна, га"), box), PlotPartCount + 2, 0, 1,
                    3, Qt::AlignRight);
    grid->addWidget(ESqTotal, PlotPartCount + 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("Загальна вартість, грн"), box), PlotPartCount + 3, 0,
                    1, 4, Qt::AlignRight);
    grid->addWidget(EZagalnaTotal, PlotPartCount + 3, 4);
    return box;
}

void PlotPanel::selectText(QComboBox* combo, const QString& text) {
    int index = combo->findText(text);
    // A stored value the list no longer offers stays shown and stored.
    if (index < 0 && !text.isEmpty()) {
        combo->addItem(text);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

void PlotPanel::setChoices(const QStringList& districts, const QStringList& soilCodes) {
    ERaions->clear();
    ERaions->addItems(districts);
    ERaions->setCurrentIndex(-1);
    for (PartFields& part : EOsg) {
        if (!part.shifr)
            continue;
        part.shifr->clear();
        // The empty choice takes a part off the plot.
        part.shifr->addItem(QString());
        part.shifr->addItems(soilCodes);
    }
}

void PlotPanel::showPlot(const Plot& plot) {
    ENazva->setText(plot.name);
    selectText(ERaions, plot.district);
    EBazova->setText(plot.baseValue);
    EKf->setText(plot.kf);
    ESq->setText(plot.area);
    for (int kind = 1; kind <= PlotPartCount && household(); ++kind) {
        const PlotPart& part = plot.parts[static_cast<size_t>(kind - 1)];
        const PartFields& fields = EOsg[static_cast<size_t>(kind - 1)];
        selectText(fields.shifr, part.code);
        fields.sq->setText(part.area);
    }
    showCoefficients(plot);
    showSoilValues(plot);
    showResults(plot);
}

void PlotPanel::showCoefficients(const Plot& plot) {
    EKm2->setText(plot.km2);
    EKm3->setText(plot.km3);
}

void PlotPanel::showSoilValues(const Plot& plot) {
    if (!household())
        return;
    for (size_t k = 0; k < EOsg.size(); ++k)
        EOsg[k].bazova->setText(plot.parts[k].valuePerHa);
}

void PlotPanel::showResults(const Plot& plot) {
    ECena->setText(plot.valuePerSqM);
    EZagalna->setText(plot.value);
    if (!household())
        return;
    for (size_t k = 0; k < EOsg.size(); ++k)
        EOsg[k].zagalna->setText(plot.parts[k].value);
    ESqTotal->setText(plot.totalArea);
    EZagalnaTotal->setText(plot.totalValue);
}

Plot PlotPanel::plot() const {
    Plot plot;
    plot.name = ENazva->text();
    plot.district = ERaions->currentText();
    plot.baseValue = EBazova->text();
    plot.kf = EKf->text();
    plot.km2 = EKm2->text();
    plot.km3 = EKm3->text();
    plot.valuePerSqM = ECena->text();
    plot.area = ESq->text();
    plot.value = EZagalna->text();
    if (household()) {
        for (size_t k = 0; k < EOsg.size(); ++k) {
            PlotPart& part = plot.parts[k];
            part.code = EOsg[k].shifr->currentText();
            part.valuePerHa = EOsg[k].bazova->text();
            part.area = EOsg[k].sq->text();
            part.value = EOsg[k].zagalna->text();
        }
        plot.totalArea = ESqTotal->text();
        plot.totalValue = EZagalnaTotal->text();
    }
    return plot;
}
