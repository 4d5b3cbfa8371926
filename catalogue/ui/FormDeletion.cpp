#include "catalogue/ui/FormDeletion.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFormDeletion::TFormDeletion(const QString& nodeText, const QString& outsideFolder, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TFormDeletion"));
    setWindowTitle(QStringLiteral("Вилучення"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Ви дійсно бажаєте вилучити: "), this));
    auto* name = new QLabel(nodeText, this);
    name->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; }"));
    layout->addWidget(name);
    if (!outsideFolder.isEmpty()) {
        // "With all data" would reach outside the projects: the folder is named in full.
        auto* folder = new QLabel(QStringLiteral("Папка поза папкою проектів:\n") +
                                      QDir::toNativeSeparators(outsideFolder),
                                  this);
        folder->setObjectName(QStringLiteral("LabelOutsideFolder"));
        folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
        folder->setWordWrap(true);
        layout->addWidget(folder);
    }
    auto* buttons = new QHBoxLayout;
    auto* fromList = new QPushButton(QStringLiteral("Так, просто зі списку"), this);
    fromList->setObjectName(QStringLiteral("BFromList"));
    fromList->setDefault(true);
    auto* withData = new QPushButton(QStringLiteral("Так, зі всьома даними"), this);
    withData->setObjectName(QStringLiteral("BWithData"));
    auto* no = new QPushButton(QStringLiteral("Ні"), this);
    no->setObjectName(QStringLiteral("BNo"));
    connect(fromList, &QPushButton::clicked, this, [this] { done(FromList); });
    connect(withData, &QPushButton::clicked, this, [this] { done(WithData); });
    connect(no, &QPushButton::clicked, this, [this] { done(No); });
    buttons->addWidget(fromList);
    buttons->addWidget(withData);
    buttons->addWidget(no);
    layout->addLayout(buttons);
}

TFormDeletion::Result TFormDeletion::Ask(const QString& nodeText, const QString& outsideFolder,
                                         QWidget* parent) {
    TFormDeletion form(nodeText, outsideFolder, parent);
    const int result = form.exec();
    return result == FromList || result == WithData ? static_cast<Result>(result) : No;
}
