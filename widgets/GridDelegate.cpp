#include "widgets/GridDelegate.h"

#include "widgets/LineEditFilter.h"
#include "widgets/StringGridModel.h"

#include <QComboBox>
#include <QLineEdit>

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
        combo->setCurrentIndex(combo->findText(text));
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
