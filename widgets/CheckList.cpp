#include "widgets/CheckList.h"

#include <QAction>
#include <QMenu>
#include <QRegularExpression>
#include <algorithm>

namespace {
/** The visible part of an item's text: everything before a run of 10 or more blanks. */
QString visiblePart(const QString& text) {
    static const QRegularExpression run(QStringLiteral(" {10,}"));
    const qsizetype at = text.indexOf(run);
    return at < 0 ? text : text.left(at);
}
} // namespace

CheckList::CheckList(QWidget* parent) : QListWidget(parent) {
    m_menu = new QMenu(this);
    m_selectAll = m_menu->addAction(QStringLiteral("Помітити усі"));
    m_selectAll->setObjectName(QStringLiteral("POPUP_SELECT_ALL"));
    m_selectNone = m_menu->addAction(QStringLiteral("Зняти помітку з усіх"));
    m_selectNone->setObjectName(QStringLiteral("POPUP_SELECT_NONE"));
    connect(m_selectAll, &QAction::triggered, this, [this] { userSetAll(true); });
    connect(m_selectNone, &QAction::triggered, this, [this] { userSetAll(false); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_menu->exec(viewport()->mapToGlobal(pos)); });
    connect(this, &QListWidget::itemChanged, this, [this] {
        if (m_silent == 0)
            emit checksChanged();
    });
}

int CheckList::addCheckItem(const QString& text, bool checked) {
    ++m_silent;
    auto* item = new QListWidgetItem(visiblePart(text));
    item->setData(Qt::UserRole, text);
    item->setToolTip(visiblePart(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    addItem(item);
    --m_silent;
    return count() - 1;
}

void CheckList::clearItems() {
    ++m_silent;
    clear();
    --m_silent;
}

QString CheckList::itemText(int index) const {
    const QListWidgetItem* it = item(index);
    return it ? it->data(Qt::UserRole).toString() : QString();
}

int CheckList::indexOfText(const QString& text, Qt::CaseSensitivity cs) const {
    for (int i = 0; i < count(); ++i)
        if (itemText(i).compare(text, cs) == 0)
            return i;
    return -1;
}

bool CheckList::isChecked(int index) const {
    const QListWidgetItem* it = item(index);
    return it && it->checkState() == Qt::Checked;
}

void CheckList::setChecked(int index, bool checked) {
    QListWidgetItem* it = item(index);
    if (!it)
        return;
    ++m_silent;
    it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    --m_silent;
}

void CheckList::setAllChecked(bool checked) {
    for (int i = 0; i < count(); ++i)
        setChecked(i, checked);
}

QStringList CheckList::checkedTexts() const {
    QStringList texts;
    for (int i = 0; i < count(); ++i)
        if (isChecked(i))
            texts << itemText(i);
    return texts;
}

void CheckList::userSetAll(bool checked) {
    setAllChecked(checked);
    emit checksChanged();
}

void CheckList::setColumnCount(int columns) {
    m_columns = std::max(columns, 1);
    if (m_columns > 1) {
        setFlow(QListView::LeftToRight);
        setWrapping(true);
        setResizeMode(QListView::Adjust);
    } else {
        setFlow(QListView::TopToBottom);
        setWrapping(false);
        setGridSize(QSize());
    }
    updateGrid();
}

void CheckList::updateGrid() {
    if (m_columns <= 1)
        return;
    const int width = std::max(viewport()->width() / m_columns - 1, 20);
    setGridSize(QSize(width, fontMetrics().height() + 6));
}

void CheckList::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    updateGrid();
}
