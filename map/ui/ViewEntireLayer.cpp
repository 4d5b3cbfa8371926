#include "map/ui/ViewEntireLayer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TFormViewEntireLayer::TFormViewEntireLayer(const QStringList& layerNames, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Показати шар повністю"));
    LabelLayers = new QLabel(QStringLiteral("Шари"), this);
    ListBoxLayers = new QListWidget(this);
    ListBoxLayers->setObjectName(QStringLiteral("ListBoxLayers"));
    ListBoxLayers->addItems(layerNames);
    ListBoxLayers->addItem(allLayersEntry());
    ListBoxLayers->setCurrentRow(ListBoxLayers->count() - 1);
    LabelLayers->setBuddy(ListBoxLayers);
    BOk = new QPushButton(QStringLiteral("Показати"), this);
    BOk->setObjectName(QStringLiteral("BOk"));
    BOk->setDefault(true);
    BCancel = new QPushButton(QStringLiteral("Скасувати"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    connect(BOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBoxLayers, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BOk);
    buttons->addWidget(BCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelLayers);
    layout->addWidget(ListBoxLayers);
    layout->addLayout(buttons);
    resize(300, 320);
}

QString TFormViewEntireLayer::chosen() const {
    const QListWidgetItem* item = ListBoxLayers->currentItem();
    return item ? item->text() : QString();
}
