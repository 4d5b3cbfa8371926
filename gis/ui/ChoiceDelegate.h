#pragma once

#include <QStyledItemDelegate>

/**
 * Edits a cell by choosing one of the texts its model gives under `choicesRole`; a choice is
 * written to the model as soon as it is made.
 */
class ChoiceDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    ChoiceDelegate(int choicesRole, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private slots:
    /** Writes the choice of the editor that sent it. */
    void choiceMade();

private:
    int m_choicesRole;
};
