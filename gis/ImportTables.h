#pragma once

#include "gis/LayerKinds.h"
#include "map/VectorSource.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

/**
 * The fields a kind of layer holds and the source field chosen for each, as the import window
 * shows them: field, what it holds (" *" when required), source field. Only the source column
 * is edited; its choices are "(немає)" and the source's fields.
 */
class FieldChoiceModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /** The role under which the source column gives its choices (a QStringList). */
    static constexpr int ChoicesRole = Qt::UserRole + 1;
    enum Column { Field, Holds, Source, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    /** The fields of `kind`, each with the source field the guess takes. */
    void reset(const LayerKindInfo& kind, const std::vector<SourceField>& sourceFields);
    /** Each field with its chosen source field ("" for none). */
    FieldMapping mapping() const;
    /** The text of the choice of no field. */
    static QString noField();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Row {
        TargetField field;
        QString source; ///< "" for none
    };
    std::vector<Row> m_rows;
    QStringList m_choices;
};

/** The first objects of a source, one row each under its field names. */
class SourcePreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void reset(const SourceSummary& summary);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList m_fields;
    std::vector<QStringList> m_rows;
};
