#include "office/SheetCells.h"

#include <algorithm>

QString SheetCells::text(int row, int column) const {
    const quint64 k = key(row, column);
    if (m_ordered) {
        const auto it = std::lower_bound(m_list.begin(), m_list.end(), k,
                                         [](const Entry& e, quint64 v) { return e.key < v; });
        if (it == m_list.end() || it->key != k)
            return QString();
        return QString(m_text.constData() + it->piece.offset, it->piece.length);
    }
    const auto it = m_hash.constFind(k);
    if (it == m_hash.cend())
        return QString();
    return QString(m_text.constData() + it->offset, it->length);
}

void SheetCells::set(int row, int column, QStringView text) {
    const quint64 k = key(row, column);
    if (m_ordered && !m_list.empty() && k < m_list.back().key)
        leaveOrder();
    if (text.isEmpty()) {
        if (!m_ordered)
            m_hash.remove(k);
        else if (!m_list.empty() && m_list.back().key == k)
            m_list.pop_back();
        return;
    }
    const Piece piece{m_text.size(), text.size()};
    m_text.append(text);
    if (!m_ordered)
        m_hash.insert(k, piece);
    else if (!m_list.empty() && m_list.back().key == k)
        m_list.back().piece = piece;
    else
        m_list.push_back({k, piece});
    m_rows = std::max(m_rows, row);
    m_columns = std::max(m_columns, column);
}

void SheetCells::reserve(qsizetype cells, qsizetype characters) {
    if (m_ordered)
        m_list.reserve(static_cast<size_t>(cells));
    else
        m_hash.reserve(cells);
    m_text.reserve(characters);
}

void SheetCells::leaveOrder() {
    m_hash.reserve(static_cast<qsizetype>(m_list.size()));
    for (const Entry& e : m_list)
        m_hash.insert(e.key, e.piece);
    m_list = std::vector<Entry>();
    m_ordered = false;
}
