#include "gis/RegisterTable.h"

#include "common/TextUtils.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <ogr_geometry.h>

namespace {

bool isNumberColumn(int column) {
    switch (column) {
    case ColKf:
    case ColStatedHa:
    case ColDrawnHa:
    case ColValuePerSqM:
    case ColValue:
    case ColIndexedValue:
        return true;
    default:
        return false;
    }
}

QString areaNote(const ValuedPlot& v) {
    return QStringLiteral("Площа за межею %1 га відрізняється від зазначеної більш як на 1 %.")
        .arg(v.drawnHa);
}

QString canonical(const QString& path) {
    const QFileInfo info(path);
    const QString found = info.canonicalFilePath();
    return found.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : found;
}

} // namespace

QString RegisterCellText(const RegisterData& data, size_t plot, int column) {
    if (plot >= data.plots.size() || plot >= data.valued.size())
        return QString();
    const RegisterPlot& p = data.plots[plot];
    const ValuedPlot& v = data.valued[plot];
    switch (column) {
    case ColCadastral:
        return p.cadastral;
    case ColAddress:
        return p.address;
    case ColPurpose:
        return p.purpose;
    case ColCategory:
        return v.valued ? v.valuation.use : QString();
    case ColKf:
        return v.valued ? v.valuation.kf : QString();
    case ColStatedHa:
        return p.statedHa > 0 ? FormatFixed(p.statedHa, 4) : QString();
    case ColDrawnHa:
        return v.drawnHa;
    case ColValuePerSqM:
        return PlotValuePerSqM(v);
    case ColValue:
        return v.valued ? v.valuation.value : QString();
    case ColIndexedValue:
        return v.valued ? v.valuation.indexedValue : QString();
    case ColReason: {
        if (!v.valued)
            return v.reason;
        QStringList notes;
        if (v.areaDiffers)
            notes << areaNote(v);
        notes << v.notes;
        return notes.join(u' ');
    }
    default:
        return QString();
    }
}

QString RegisterRowHint(const RegisterData& data, size_t plot) {
    if (plot >= data.plots.size() || plot >= data.valued.size())
        return QString();
    const RegisterPlot& p = data.plots[plot];
    const ValuedPlot& v = data.valued[plot];
    QStringList lines;
    lines << (p.cadastral.isEmpty() ? p.source
                                    : QStringLiteral("%1 (%2)").arg(p.cadastral, p.source));
    const QString name = data.purposeName ? data.purposeName(p.purpose) : QString();
    if (!name.isEmpty())
        lines << QStringLiteral("%1 %2").arg(p.purpose, name);
    if (v.valued && !v.valuation.useName.isEmpty())
        lines << QStringLiteral("%1 - %2, Кф %3")
                     .arg(v.valuation.use, v.valuation.useName, v.valuation.kf);
    if (!v.valued)
        lines << QStringLiteral("Не оцінено: ") + v.reason;
    if (v.areaDiffers)
        lines << areaNote(v);
    lines << p.notes << v.notes;
    if (!v.tax.isEmpty())
        lines << QStringLiteral("Земельний податок %1 грн (%2 %).").arg(v.tax, v.taxRate);
    return lines.join(u'\n');
}

QString RegisterSummary(const RegisterData& data) {
    const RegisterTotals t = TotalsOf(data.plots, data.valued);
    QString text = QStringLiteral("Ділянок: %1; оцінено: %2; не оцінено: %3. Разом %4 грн")
                       .arg(data.plots.size())
                       .arg(t.valued)
                       .arg(t.notValued)
                       .arg(t.value);
    int toYear = 0;
    for (const ValuedPlot& v : data.valued)
        if (v.valued && !v.valuation.indexedValue.isEmpty())
            toYear = v.valuation.toYear;
    if (!t.indexedValue.isEmpty() && toYear > 0)
        text += QStringLiteral(", у %1 році %2 грн").arg(toYear).arg(t.indexedValue);
    if (!t.tax.isEmpty())
        text += QStringLiteral("; податок %1 грн").arg(t.tax);
    return text + u'.';
}

ExtractPlot ExtractPlotOf(const RegisterPlot& plot, const ValuedPlot& valued,
                          const PurposeName& purposeName) {
    ExtractPlot e;
    e.cadastral = plot.cadastral;
    e.address = plot.address;
    e.purpose = plot.purpose;
    e.purposeName = purposeName ? purposeName(plot.purpose) : QString();
    e.statedAreaHa = plot.statedHa > 0 ? FormatFixed(plot.statedHa, 4) : QString();
    if (plot.geometry)
        e.shape =
            std::make_shared<const Geometry>(std::unique_ptr<OGRGeometry>(plot.geometry->clone()));
    e.valuation = valued.valuation;
    return e;
}

QString RegisterOutputProblem(const QString& path, const QString& settlementFolder,
                              const QStringList& sources) {
    const QString target = canonical(path);
    for (const QString& source : sources)
        if (canonical(source) == target)
            return QStringLiteral("\"%1\" - це джерело ділянок: оберіть інше ім'я.")
                .arg(QDir::toNativeSeparators(path));
    if (settlementFolder.isEmpty())
        return QString();
    const QString folder = canonical(settlementFolder);
    if (target == folder)
        return QStringLiteral("Оберіть іншу папку, не папку населеного пункту.");
    if (QFileInfo::exists(path) && target.startsWith(folder + u'/'))
        return QStringLiteral("Файл \"%1\" уже є в папці населеного пункту: щоб не замінити його "
                              "файлів, оберіть інше ім'я.")
            .arg(QDir::toNativeSeparators(path));
    return QString();
}

void RegisterTableModel::setRegister(RegisterData data) {
    beginResetModel();
    m_data = std::move(data);
    m_data.valued.resize(m_data.plots.size());
    m_numbers.assign(m_data.plots.size(), {});
    for (size_t plot = 0; plot < m_data.plots.size(); ++plot)
        for (int column = 0; column < RegisterColumnCount; ++column) {
            if (!isNumberColumn(column))
                continue;
            // Plots without the number sort before every number.
            bool ok = false;
            const double number = RegisterCellText(m_data, plot, column).toDouble(&ok);
            m_numbers[plot][static_cast<size_t>(column)] = ok ? number : -1.0;
        }
    endResetModel();
}

bool RegisterTableModel::isValued(int row) const {
    return row >= 0 && static_cast<size_t>(row) < m_data.valued.size() &&
           m_data.valued[static_cast<size_t>(row)].valued;
}

int RegisterTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_data.plots.size());
}

int RegisterTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RegisterColumnCount;
}

QVariant RegisterTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const auto plot = static_cast<size_t>(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return RegisterCellText(m_data, plot, column);
    case Qt::ToolTipRole:
        return RegisterRowHint(m_data, plot);
    case Qt::TextAlignmentRole:
        return int(isNumberColumn(column) ? Qt::AlignRight | Qt::AlignVCenter
                                          : Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        // A plot not valued, or one whose areas disagree, stands out.
        if (!m_data.valued[plot].valued)
            return QColor(0xa0, 0x20, 0x20);
        if (column == ColDrawnHa && m_data.valued[plot].areaDiffers)
            return QColor(0xa0, 0x60, 0x00);
        return QVariant();
    case RegisterSortRole:
        if (isNumberColumn(column))
            return m_numbers[plot][static_cast<size_t>(column)];
        return RegisterCellText(m_data, plot, column);
    default:
        return QVariant();
    }
}

QVariant RegisterTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    if (role != Qt::DisplayRole)
        return QVariant();
    static const char* const captions[RegisterColumnCount] = {
        "Кадастровий номер", "Адреса",       "Призначення", "Категорія",     "Кф",
        "Площа, га",         "За межею, га", "1 м², грн",   "Вартість, грн", "Індексована",
        "Причина, примітки"};
    return section >= 0 && section < RegisterColumnCount ? QString::fromUtf8(captions[section])
                                                         : QVariant();
}

RegisterFilterModel::RegisterFilterModel(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortRole(RegisterSortRole);
}

void RegisterFilterModel::setNotValuedOnly(bool only) {
    if (only == m_notValuedOnly)
        return;
    m_notValuedOnly = only;
    invalidateFilter();
}

int RegisterFilterModel::plotOf(int row) const {
    const QModelIndex source = mapToSource(index(row, 0));
    return source.isValid() ? source.row() : -1;
}

bool RegisterFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (!m_notValuedOnly)
        return true;
    const auto* model = qobject_cast<const RegisterTableModel*>(sourceModel());
    return model && !sourceParent.isValid() && !model->isValued(sourceRow);
}
