#pragma once

#include "db/Database.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <vector>

/** The rows of the reference grid: a read-only copy of an opened query's rows. */
class RefsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    /** Copies the query's rows; its current record stays where it was. */
    void load(Query& query);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const FieldInfo& field(int column) const { return m_fields[static_cast<size_t>(column)]; }
    bool isMemo(int column) const;
    /** The stored text of a cell. */
    QString cell(int row, int column) const;

private:
    std::vector<FieldInfo> m_fields;
    std::vector<QStringList> m_rows;
};

/** Paints the selected row light blue with black text and memo cells as one line. */
class RefsDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static QColor selectedColor() { return QColor(166, 202, 240); }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
