#include "app/CopiesWindow.h"

#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "common/ui/ShellOpen.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

QString DateText(const QDateTime& time) {
    return time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString LabelText(const QString& label) {
    return label.isEmpty() ? QStringLiteral("(не вказано)") : label;
}

} // namespace

QString NoCopiesText(const QString& name) {
    return QStringLiteral("Автоматичних копій бази населеного пункту \"%1\" ще немає: копія "
                          "робиться перед кожним збереженням кроку і перед заповненням звіту.")
        .arg(name);
}

QString CopySizeText(qint64 bytes) {
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 КБ").arg(std::max<qint64>(1, (bytes + 1023) / 1024));
    return QStringLiteral("%1 МБ").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

TFormCopies::TFormCopies(const QString& name, const QString& copiesFolder, Connection& settlement,
                         std::function<bool()> openSettlement, QWidget* parent)
    : QDialog(parent), m_name(name), m_folder(copiesFolder), m_settlement(settlement),
      m_openSettlement(std::move(openSettlement)) {
    setObjectName(QStringLiteral("FormCopies"));
    setWindowTitle(QStringLiteral("Автоматичні копії"));
    resize(620, 380);
    auto* caption = new QLabel(
        QStringLiteral("Копії бази населеного пункту \"%1\", найновіші вгорі:").arg(name), this);
    ListCopies = new QTreeWidget(this);
    ListCopies->setObjectName(QStringLiteral("ListCopies"));
    ListCopies->setRootIsDecorated(false);
    ListCopies->setHeaderLabels(
        {QStringLiteral("Дата"), QStringLiteral("Розмір"), QStringLiteral("Що зберігалося")});
    ListCopies->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ListCopies->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    BRestore = new QPushButton(QStringLiteral("Відновити"), this);
    BRestore->setObjectName(QStringLiteral("BRestore"));
    BOpenFolder = new QPushButton(QStringLiteral("Відкрити папку"), this);
    BOpenFolder->setObjectName(QStringLiteral("BOpenFolder"));
    BClose = new QPushButton(QStringLiteral("Закрити"), this);
    BClose->setObjectName(QStringLiteral("BClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BRestore);
    buttons->addWidget(BOpenFolder);
    buttons->addStretch();
    buttons->addWidget(BClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(ListCopies);
    layout->addLayout(buttons);
    connect(BRestore, &QPushButton::clicked, this, [this] { BRestoreClick(); });
    connect(BOpenFolder, &QPushButton::clicked, this, [this] { ShellOpen(m_folder); });
    connect(BClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(ListCopies, &QTreeWidget::currentItemChanged, this,
            [this] { BRestore->setEnabled(ListCopies->currentItem() != nullptr); });
    reload();
}

bool TFormCopies::reload() {
    m_copies = backup::ListCopies(m_folder);
    ListCopies->clear();
    for (const backup::CopyInfo& copy : m_copies)
        ListCopies->addTopLevelItem(new QTreeWidgetItem(
            {DateText(copy.time), CopySizeText(copy.size), LabelText(copy.label)}));
    if (QTreeWidgetItem* first = ListCopies->topLevelItem(0))
        ListCopies->setCurrentItem(first);
    BRestore->setEnabled(!m_copies.empty());
    return !m_copies.empty();
}

bool TFormCopies::BRestoreClick() {
    const int row = ListCopies->indexOfTopLevelItem(ListCopies->currentItem());
    if (row < 0 || row >= static_cast<int>(m_copies.size()))
        return false;
    const backup::CopyInfo copy = m_copies[static_cast<size_t>(row)];
    const QString question =
        QStringLiteral("Відновити базу населеного пункту \"%1\" з автоматичної копії від %2 "
                       "(що зберігалося: %3)?\rПоточну базу спочатку буде збережено як нову "
                       "автоматичну копію, тож відновлення можна буде скасувати.")
            .arg(m_name, DateText(copy.time), LabelText(copy.label));
    if (AskConfirm(question, Answer::Yes | Answer::No) != Answer::Yes)
        return false;
    if (m_openSettlement && !m_openSettlement())
        return false;
    QString kept, error;
    bool restored = false;
    {
        WaitCursor wait;
        restored = backup::RestoreCopy(m_settlement, copy.path, m_folder, &kept, &error);
    }
    if (!restored) {
        ShowError(QStringLiteral("Відновлення бази населеного пункту з автоматичної копії.\r"
                                 "Помилка: ") +
                  error);
        return false;
    }
    reload();
    if (m_restored)
        m_restored();
    ShowInfo(QStringLiteral("Базу населеного пункту \"%1\" відновлено з копії від %2. Те, що "
                            "було в ній до відновлення, збережено як копію \"%3\".")
                 .arg(m_name, DateText(copy.time), QFileInfo(kept).fileName()));
    return true;
}
