#include "steps/average/ui/FormOtsenkaKm1.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/TextUtils.h"
#include "common/ui/EditFilters.h"
#include "steps/average/ui/ReferenceLink.h"
#include "valuation/Km1Tables.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

/** "RadioButton1_" ... "RadioButton4_": the name of a button without its option. */
QString RadioPrefix(int table) {
    return QStringLiteral("RadioButton%1_").arg(table);
}

/** The option part of a button's name: from its 14th character on, two characters long. */
QString OptionOfName(const QString& name) {
    return name.mid(13, 2);
}

QLabel* Heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

} // namespace

TFormOtsenkaKm1::TFormOtsenkaKm1(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormOtsenkaKm1"));
    setWindowTitle(QStringLiteral("Вирахування Км1"));
    setModal(true);
    resize(760, 560);

    auto* layout = new QVBoxLayout(this);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    for (int t = 1; t <= 4; ++t)
        PageControl->addTab(makeTab(t), Km1Tables()[static_cast<size_t>(t - 1)].tab);
    layout->addWidget(PageControl, 1);

    auto* bottom = new QHBoxLayout;
    EKm1Zagalniy = new QLineEdit(this);
    EKm1Zagalniy->setObjectName(QStringLiteral("EKm1Zagalniy"));
    EKm1Zagalniy->setMaximumWidth(100);
    EKm1Zagalniy->setAlignment(Qt::AlignRight);
    FilterEditNumber(EKm1Zagalniy, 15, 3);
    auto* total = new QLabel(QStringLiteral("Загальний Км1"), this);
    total->setBuddy(EKm1Zagalniy);
    BOk = new QPushButton(QStringLiteral("Ок"), this);
    BOk->setObjectName(QStringLiteral("BOk"));
    BOk->setDefault(true);
    BCancel = new QPushButton(QStringLiteral("Скасувати"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BCancel->setAutoDefault(false);
    bottom->addWidget(total);
    bottom->addWidget(EKm1Zagalniy);
    bottom->addStretch(1);
    bottom->addWidget(BOk);
    bottom->addWidget(BCancel);
    layout->addLayout(bottom);

    connect(BOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* TFormOtsenkaKm1::makeTab(int table) {
    const Km1Table& t = Km1Tables()[static_cast<size_t>(table - 1)];
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Heading(QStringLiteral("КОЕФІЦІЄНТИ,   ") + t.subject, page));

    auto* grid = new QGridLayout;
    const int columns = static_cast<int>(t.columns.size());
    for (int c = 0; c < columns; ++c) {
        auto* caption = Heading(t.columns[c], page);
        caption->setAlignment(Qt::AlignCenter);
        grid->addWidget(caption, 0, c == 0 ? 0 : c + 1, 1, c == 0 ? 2 : 1);
    }
    auto* group = new QButtonGroup(page);
    int row = 1;
    for (const Km1Option& option : t.options) {
        auto* radio = new QRadioButton(page);
        radio->setObjectName(RadioPrefix(table) + option.option);
        group->addButton(radio);
        auto* caption = new QLabel(option.caption, page);
        caption->setWordWrap(true);
        caption->setBuddy(radio);
        // A click on the caption chooses its button, as on the button's own text.
        caption->installEventFilter(this);
        caption->setProperty("radio", QVariant::fromValue<QObject*>(radio));
        grid->addWidget(radio, row, 0);
        grid->addWidget(caption, row, 1);
        int col = 2;
        if (columns == 3) {
            grid->addWidget(new QLabel(option.population, page), row, col++, Qt::AlignCenter);
        }
        auto* value = new QLabel(FormatFixed(option.coefficient, 1), page);
        if (option.option == Km1NoOption())
            value->clear();
        grid->addWidget(value, row, col, Qt::AlignCenter);
        connect(radio, &QRadioButton::clicked, this, &TFormOtsenkaKm1::CalcKm1);
        if (option.option == Km1NoOption())
            radio->setChecked(true);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    for (const Km1Link& link : Km1Links()) {
        if (link.table != table - 1)
            continue;
        layout->addWidget(new ReferenceLink(
            link.text, JoinPath(GlobalVar().Settings.AppDir, link.document), page));
    }
    return page;
}

QRadioButton* TFormOtsenkaKm1::radio(int table, const QString& option) const {
    return findChild<QRadioButton*>(RadioPrefix(table) + option);
}

void TFormOtsenkaKm1::SetOptions(const QString& options) {
    const Km1Options chosen = ParseKm1Options(options);
    for (int t = 1; t <= 4; ++t)
        if (QRadioButton* button = radio(t, chosen[static_cast<size_t>(t - 1)]))
            button->setChecked(true);
}

QString TFormOtsenkaKm1::GetOptions() const {
    Km1Options options;
    for (int t = 1; t <= 4; ++t) {
        QString option = Km1NoOption();
        for (QRadioButton* button : findChildren<QRadioButton*>())
            if (button->isChecked() && button->objectName().startsWith(RadioPrefix(t)))
                option = OptionOfName(button->objectName());
        options[static_cast<size_t>(t - 1)] = option;
    }
    return Km1OptionsText(options);
}

void TFormOtsenkaKm1::CalcKm1() {
    EKm1Zagalniy->setText(Km1Text(ParseKm1Options(GetOptions())));
}

void TFormOtsenkaKm1::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CalcKm1();
}

bool TFormOtsenkaKm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (auto* button =
                qobject_cast<QRadioButton*>(watched->property("radio").value<QObject*>())) {
            button->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
