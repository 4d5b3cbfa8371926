#include "app/RecalcResultWindow.h"

#include "valuation/StepNames.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QStringList Headings() {
    return {QStringLiteral("Крок"), QStringLiteral("Значення"), QStringLiteral("Було"),
            QStringLiteral("Стало")};
}

QString Shown(const QString& text) {
    return text.isEmpty() ? QStringLiteral("(порожньо)") : text;
}

QStringList RowOf(const valuation::StaleValue& v) {
    return {valuation::StepCaption(v.step), v.what, Shown(v.stored), Shown(v.computed)};
}

} // namespace

QString RecalcTableText(const std::vector<valuation::StaleValue>& changed) {
    QStringList lines{Headings().join(u'\t')};
    for (const valuation::StaleValue& v : changed)
        lines << RowOf(v).join(u'\t');
    return lines.join(u'\n') + u'\n';
}

RecalcResultWindow::RecalcResultWindow(const std::vector<valuation::StaleValue>& changed,
                                       QWidget* parent)
    : QDialog(parent), m_text(RecalcTableText(changed)) {
    setObjectName(QStringLiteral("RecalcResultWindow"));
    setWindowTitle(QStringLiteral("Перераховано"));
    resize(760, 420);
    auto* caption =
        new QLabel(QStringLiteral("Перераховано значень: %1. Значення, введені вручну, не змінено.")
                       .arg(changed.size()),
                   this);
    m_model = new QStandardItemModel(0, 4, this);
    m_model->setHorizontalHeaderLabels(Headings());
    for (const valuation::StaleValue& v : changed) {
        QList<QStandardItem*> row;
        for (const QString& cell : RowOf(v)) {
            auto* item = new QStandardItem(cell);
            item->setEditable(false);
            row << item;
        }
        m_model->appendRow(row);
    }
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("TableChanged"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    m_copy = new QPushButton(QStringLiteral("Копіювати"), this);
    m_copy->setObjectName(QStringLiteral("BCopy"));
    m_copy->setToolTip(QStringLiteral("Скопіювати таблицю в буфер обміну"));
    auto* close = new QPushButton(QStringLiteral("Закрити"), this);
    close->setDefault(true);
    connect(m_copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(m_text); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_copy);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
}
