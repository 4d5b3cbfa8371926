#include "steps/local/ui/FormOtsenkaSelectRaions.h"

#include "widgets/CheckList.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TFormOtsenkaSelectRaions::TFormOtsenkaSelectRaions(const QStringList& districts, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormOtsenkaSelectRaions"));
    setWindowTitle(QStringLiteral("Вкажіть райони"));
    setModal(true);
    resize(420, 320);

    ListRaions = new CheckList(this);
    ListRaions->setObjectName(QStringLiteral("ListRaions"));
    ListRaions->setColumnCount(5);
    for (const QString& district : districts)
        ListRaions->addCheckItem(district);

    auto makeButton = [this](const char* name, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        return button;
    };
    BAll = makeButton("BAll", QStringLiteral("Усі"));
    BNone = makeButton("BNone", QStringLiteral("Ні"));
    BOk = makeButton("BOk", QStringLiteral("Ок"));
    BCancel = makeButton("BCancel", QStringLiteral("Скасувати"));
    BOk->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BAll);
    buttons->addWidget(BNone);
    buttons->addStretch(1);
    buttons->addWidget(BOk);
    buttons->addWidget(BCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListRaions, 1);
    layout->addLayout(buttons);

    connect(BAll, &QPushButton::clicked, this, [this] { ListRaions->setAllChecked(true); });
    connect(BNone, &QPushButton::clicked, this, [this] { ListRaions->setAllChecked(false); });
    connect(BOk, &QPushButton::clicked, this, [this] { done(ResultOk); });
    connect(BCancel, &QPushButton::clicked, this, [this] { done(ResultCancel); });
}

QStringList TFormOtsenkaSelectRaions::checkedDistricts() const {
    QStringList checked;
    for (int i = 0; i < ListRaions->count(); ++i)
        if (ListRaions->isChecked(i))
            checked << ListRaions->itemText(i);
    return checked;
}

void TFormOtsenkaSelectRaions::reject() {
    done(ResultCancel);
}
