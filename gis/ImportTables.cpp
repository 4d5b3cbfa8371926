#include "gis/ImportTables.h"

void FieldChoiceModel::reset(const LayerKindInfo& kind,
                             const std::vector<SourceField>& sourceFields) {
    beginResetModel();
    const FieldMapping guess = GuessFieldMapping(kind, sourceFields);
    m_choices = QStringList{noField()};
    for (const SourceField& s : sourceFields)
        m_choices << s.name;
    m_rows.clear();
    for (const TargetField& f : kind.fields) {
        const auto guessed = guess.find(f.name);
        m_rows.push_back({f, guessed == guess.end() ? QString() : guessed->second});
    }
    endResetModel();
}

FieldMapping FieldChoiceModel::mapping() const {
    FieldMapping mapping;
    for (const Row& row : m_rows)
        mapping[row.field.name] = row.source;
    return mapping;
}

QString FieldChoiceModel::noField() {
    return QStringLiteral("(немає)");
}

int FieldChoiceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FieldChoiceModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FieldChoiceModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    if (role == ChoicesRole && index.column() == Source)
        return m_choices;
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case Field:
        return row.field.name;
    case Holds:
        return row.field.required ? row.field.caption + QStringLiteral(" *") : row.field.caption;
    case Source:
        return row.source.isEmpty() ? noField() : row.source;
    default:
        return {};
    }
}

bool FieldChoiceModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != Source || role != Qt::EditRole ||
        index.row() >= rowCount())
        return false;
    const QString text = value.toString();
    // Only a field of the source, or none, can be chosen.
    if (!m_choices.contains(text))
        return false;
    QString& source = m_rows[static_cast<size_t>(index.row())].source;
    const QString chosen = text == noField() ? QString() : text;
    if (source == chosen)
        return true;
    source = chosen;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags FieldChoiceModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == Source)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant FieldChoiceModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Field:
        return QStringLiteral("Поле шару");
    case Holds:
        return QStringLiteral("Що містить");
    case Source:
        return QStringLiteral("Поле джерела");
    default:
        return {};
    }
}

void SourcePreviewModel::reset(const SourceSummary& summary) {
    beginResetModel();
    m_fields.clear();
    for (const SourceField& f : summary.fields)
        m_fields << f.name;
    m_rows = summary.layer.isEmpty() ? std::vector<QStringList>() : summary.firstRows;
    if (summary.layer.isEmpty())
        m_fields.clear();
    endResetModel();
}

int SourcePreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SourcePreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QVariant SourcePreviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= rowCount())
        return {};
    const QStringList& row = m_rows[static_cast<size_t>(index.row())];
    return index.column() < row.size() ? row[index.column()] : QString();
}

QVariant SourcePreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section < m_fields.size() ? m_fields[section] : QVariant();
}
