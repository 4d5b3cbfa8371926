#include "catalogue/refs/RefsModel.h"

#include <QPainter>

void RefsModel::load(Query& query) {
    beginResetModel();
    m_fields = query.fields();
    m_rows.clear();
    const int current = query.recNo();
    m_rows.reserve(static_cast<size_t>(query.recordCount()));
    for (query.first(); !query.eof(); query.next())
        m_rows.push_back(query.texts());
    if (current > 0)
        query.setRecNo(current);
    else
        query.first();
    endResetModel();
}

void RefsModel::clear() {
    beginResetModel();
    m_fields.clear();
    m_rows.clear();
    endResetModel();
}

int RefsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int RefsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

bool RefsModel::isMemo(int column) const {
    return column >= 0 && column < columnCount() && field(column).type == FieldType::Memo;
}

QString RefsModel::cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0)
        return QString();
    return m_rows[static_cast<size_t>(row)].value(column);
}

QVariant RefsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole) {
        QString text = cell(index.row(), index.column());
        if (isMemo(index.column()))
            text.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
                .replace(u'\r', u' ')
                .replace(u'\n', u' ');
        return text;
    }
    if (role == Qt::ToolTipRole && isMemo(index.column()))
        return cell(index.row(), index.column()).replace(u'\r', u'\n');
    return {};
}

QVariant RefsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < columnCount() ? field(section).name : QString();
    return {};
}

void RefsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const bool selected = opt.state & QStyle::State_Selected;
    const auto* model = qobject_cast<const RefsModel*>(index.model());
    const bool memo = model && model->isMemo(index.column());
    if (selected) {
        painter->fillRect(opt.rect, selectedColor());
        opt.state &= ~QStyle::State_Selected;
        opt.palette.setColor(QPalette::Text, Qt::black);
        opt.backgroundBrush = QBrush(selectedColor());
    }
    if (!memo) {
        QStyledItemDelegate::paint(painter, opt, index);
        return;
    }
    // A memo is one line, 2 pixels in from the left and top, vertically centred.
    if (!selected)
        painter->fillRect(opt.rect, opt.palette.base());
    const QRect text = opt.rect.adjusted(2, 2, -2, 0);
    painter->save();
    painter->setPen(selected ? QColor(Qt::black) : opt.palette.color(QPalette::Text));
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      opt.fontMetrics.elidedText(opt.text, Qt::ElideRight, text.width()));
    painter->restore();
}
