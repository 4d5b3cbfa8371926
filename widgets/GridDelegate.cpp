#include "widgets/GridDelegate.h"

#include "widgets/LineEditFilter.h"
#include "widgets/StringGridModel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <algorithm>

namespace {
const GridColumn& columnOf(const QModelIndex& index) {
    static const GridColumn defaults;
    const auto* model = qobject_cast<const StringGridModel*>(index.model());
    return model ? model->column(index.column()) : defaults;
}
} // namespace

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
    const GridColumn& column = columnOf(index);
    if (!column.comboItems.isEmpty()) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(column.comboItems);
        combo->setFrame(false);
        // Items name what they store ("45г - Темно-сірі ...", "Землі промисловості — 1.20"):
        // the list is as wide as its texts, within reason, however narrow the column.
        QAbstractItemView* list = combo->view();
        list->setMinimumWidth(std::min(640, list->sizeHintForColumn(0) + 24));
        if (QCompleter* completer = combo->completer()) {
            completer->setCaseSensitivity(Qt::CaseInsensitive);
            completer->setCompletionMode(QCompleter::PopupCompletion);
        }
        if (column.numeric())
            LineEditFilter::installNumber(combo->lineEdit(), column.intDigits, column.decimals,
                                          true);
        return combo;
    }
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    edit->setAlignment(column.cellAlignment() & Qt::AlignHorizontal_Mask);
    if (column.numeric())
        LineEditFilter::installNumber(edit, column.intDigits, column.decimals, true);
    return edit;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(columnOf(index).comboItemOf(text));
        combo->setEditText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(text);
    }
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        model->setData(index, combo->currentText(), Qt::EditRole);
    else if (auto* edit = qobject_cast<QLineEdit*>(editor))
        model->setData(index, edit->text(), Qt::EditRole);
}

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = DisplayLines(option->text);
    if (columnOf(index).wrap)
        option->features |= QStyleOptionViewItem::WrapText;
    else
        option->features &= ~QStyleOptionViewItem::WrapText;
}
