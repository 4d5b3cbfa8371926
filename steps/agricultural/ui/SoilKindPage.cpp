#include "steps/agricultural/ui/SoilKindPage.h"

#include "common/ui/EditFilters.h"
#include "steps/agricultural/AgriculturalStep.h"
#include "widgets/GridView.h"
#include "widgets/PopupButton.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

SoilKindPage::SoilKindPage(int kind, QMenu* indexMenu, QWidget* parent)
    : QWidget(parent), m_kind(kind) {
    const QString n = QString::number(kind);
    setObjectName(QStringLiteral("TabUgodia") + n);
    setProperty("tag", kind);

    EBazovaCina = new QLineEdit(this);
    EBazovaCina->setObjectName(QStringLiteral("EBazovaCina") + n);
    EBazovaCina->setProperty("tag", kind);
    ESeredniyBall = new QLineEdit(this);
    ESeredniyBall->setObjectName(QStringLiteral("ESeredniyBall") + n);
    ESeredniyBall->setProperty("tag", kind);
    for (QLineEdit* edit : {EBazovaCina, ESeredniyBall}) {
        edit->setMinimumWidth(120);
        edit->setMaximumWidth(160);
        edit->setAlignment(Qt::AlignRight);
        FilterEditNumber(edit, 15, 2);
    }

    PopupButtonIndex = new PopupButton(QStringLiteral("* на коеф. індексації"), this);
    PopupButtonIndex->setObjectName(QStringLiteral("PopupButtonIndex") + n);
    PopupButtonIndex->setProperty("tag", kind);
    PopupButtonIndex->setToolTip(QStringLiteral("Застосувати до оцінки коефіцієнт індексації"));
    PopupButtonIndex->setPopupMenu(indexMenu);

    auto* baseRow = new QHBoxLayout;
    baseRow->addWidget(EBazovaCina);
    baseRow->addWidget(PopupButtonIndex);
    LabelIndex = new QLabel(QStringLiteral("з урахуванням індексації"), this);
    LabelIndex->setObjectName(QStringLiteral("LabelIndex") + n);
    baseRow->addWidget(LabelIndex);
    baseRow->addStretch(1);

    auto* fields = new QFormLayout;
    fields->addRow(
        new QLabel(QStringLiteral("Грошова оцінка 1 га на території базового підприємства, грн"),
                   this),
        baseRow);
    fields->addRow(
        new QLabel(QStringLiteral("Середній бал бонітету по базовому с-г підприємству"), this),
        ESeredniyBall);

    auto* note = new QLabel(QStringLiteral("  Поля \"Шифр\", \"Бал бонітету\", \"Площа\" "
                                           "обов'язкові для розрахунку оцінки. Якщо площі не "
                                           "визначені,  уведіть 0.  "),
                            this);
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: grey;"));

    GridUgodia = new GridView(this);
    GridUgodia->setObjectName(QStringLiteral("GridUgodia") + n);
    GridUgodia->setProperty("tag", kind);
    *GridUgodia->grid() = MakeSoilGrid();
    GridColumn value = GridColumn::number(QStringLiteral("Грошова оцінка 1 га, грн"), 2, 170);
    value.readOnly = true;
    value.shaded = true;
    GridUgodia->setColumns({GridColumn::text(QStringLiteral("Шифр"), 110),
                            GridColumn::number(QStringLiteral("Бал бонітету"), 2, 110),
                            GridColumn::number(QStringLiteral("Площа, га"), 4, 120), value});
    GridUgodia->horizontalHeader()->setStretchLastSection(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(note);
    layout->addWidget(GridUgodia, 1);

    connect(EBazovaCina, &QLineEdit::textChanged, this, [this] { emit parametersChanged(m_kind); });
    connect(ESeredniyBall, &QLineEdit::textChanged, this,
            [this] { emit parametersChanged(m_kind); });
    connect(GridUgodia, &GridView::cellEdited, this,
            [this](int row, int col, const QString&) { emit cellEdited(m_kind, row, col); });
}

StringGrid& SoilKindPage::grid() {
    return *GridUgodia->grid();
}
