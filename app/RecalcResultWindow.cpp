#include "app/RecalcResultWindow.h"

#include "valuation/StepNames.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
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

/** Every row: the values taken from the map first, then those recomputed from them. */
std::vector<QStringList> RowsOf(const std::vector<valuation::StaleValue>& changed,
                                const QStringList& fromMap) {
    std::vector<QStringList> rows;
    for (const QString& line : fromMap)
        rows.push_back(MapChangeRow(line));
    for (const valuation::StaleValue& v : changed)
        rows.push_back(RowOf(v));
    return rows;
}

} // namespace

QStringList MapChangeRow(const QString& line) {
    // "«Крок»: район 1: площа 3.00 → 3.24"
    static const QRegularExpression form(
        QStringLiteral("^\u00ab([^\u00bb]*)\u00bb: (.*) (\\S+) \u2192 (.*)$"));
    const QRegularExpressionMatch m = form.match(line);
    if (!m.hasMatch())
        return {QString(), line, QString(), QString()};
    return {m.captured(1), m.captured(2) + QStringLiteral(" (з мапи)"), Shown(m.captured(3)),
            Shown(m.captured(4))};
}

QString RecalcTableText(const std::vector<valuation::StaleValue>& changed,
                        const QStringList& fromMap) {
    QStringList lines{Headings().join(u'\t')};
    for (const QStringList& row : RowsOf(changed, fromMap))
        lines << row.join(u'\t');
    return lines.join(u'\n') + u'\n';
}

RecalcResultWindow::RecalcResultWindow(const std::vector<valuation::StaleValue>& changed,
                                       const QStringList& fromMap, QWidget* parent)
    : QDialog(parent), m_text(RecalcTableText(changed, fromMap)) {
    setObjectName(QStringLiteral("RecalcResultWindow"));
    setWindowTitle(QStringLiteral("Перераховано"));
    resize(760, 420);
    auto* caption =
        new QLabel(QStringLiteral("Перераховано значень: %1. Значення, введені вручну, не змінено.")
                       .arg(changed.size() + fromMap.size()),
                   this);
    m_model = new QStandardItemModel(0, 4, this);
    m_model->setHorizontalHeaderLabels(Headings());
    for (const QStringList& cells : RowsOf(changed, fromMap)) {
        QList<QStandardItem*> row;
        for (const QString& cell : cells) {
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
