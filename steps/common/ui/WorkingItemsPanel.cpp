#include "steps/common/ui/WorkingItemsPanel.h"

#include "widgets/CheckList.h"

#include <QLabel>
#include <QListWidgetItem>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
constexpr int KeyRole = Qt::UserRole + 1;
}

WorkingItemsPanel::WorkingItemsPanel(const QString& listName, const QString& buttonName,
                                     const QString& note, QWidget* parent)
    : QWidget(parent) {
    m_list = new CheckList(this);
    m_list->setObjectName(listName);
    m_button = new QPushButton(QStringLiteral("Встановити як робочі"), this);
    m_button->setObjectName(buttonName);
    m_button->setAutoDefault(false);
    m_button->setEnabled(false);
    auto* noteLabel = new QLabel(note, this);
    noteLabel->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(m_button);
    row->addWidget(noteLabel, 1);
    layout->addLayout(row);

    connect(m_list, &CheckList::checksChanged, this, [this] { m_button->setEnabled(true); });
    // The step disables the button once it has applied the list: the valuer may decline.
    connect(m_button, &QPushButton::clicked, this, &WorkingItemsPanel::applyRequested);
}

int WorkingItemsPanel::addItem(const QString& text, const QString& key, bool checked) {
    const int index = m_list->addCheckItem(text, checked);
    // Setting the key is not a change of the checks by the user.
    const QSignalBlocker silent(m_list);
    m_list->item(index)->setData(KeyRole, key.isEmpty() ? text : key);
    return index;
}

void WorkingItemsPanel::clearItems() {
    m_list->clearItems();
}

QString WorkingItemsPanel::key(int index) const {
    const QListWidgetItem* item = m_list->item(index);
    return item ? item->data(KeyRole).toString() : QString();
}

int WorkingItemsPanel::indexOfKey(const QString& key) const {
    for (int i = 0; i < m_list->count(); ++i)
        if (this->key(i) == key)
            return i;
    return -1;
}

std::vector<WorkingItem> WorkingItemsPanel::items() const {
    std::vector<WorkingItem> result;
    result.reserve(static_cast<size_t>(m_list->count()));
    for (int i = 0; i < m_list->count(); ++i)
        result.push_back(WorkingItem{key(i), m_list->isChecked(i)});
    return result;
}
