#include "gis/ui/ChoiceDelegate.h"

#include <QComboBox>

ChoiceDelegate::ChoiceDelegate(int choicesRole, QObject* parent)
    : QStyledItemDelegate(parent), m_choicesRole(choicesRole) {}

QWidget* ChoiceDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                      const QModelIndex& index) const {
    auto* combo = new QComboBox(parent);
    combo->addItems(index.data(m_choicesRole).toStringList());
    connect(combo, &QComboBox::currentIndexChanged, this, &ChoiceDelegate::choiceMade);
    return combo;
}

void ChoiceDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* combo = qobject_cast<QComboBox*>(editor);
    const QSignalBlocker block(combo);
    combo->setCurrentText(index.data(Qt::EditRole).toString());
}

void ChoiceDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                  const QModelIndex& index) const {
    model->setData(index, qobject_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
}

void ChoiceDelegate::choiceMade() {
    if (auto* editor = qobject_cast<QWidget*>(sender()))
        emit commitData(editor);
}
