#include "gis/PlotRegister.h"

#include "common/LastError.h"
#include "common/TextUtils.h"
#include "gis/PlotGeometry.h"
#include "map/CoordinateSystems.h"
#include "map/GeometryRepair.h"
#include "map/VectorSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ogr_geometry.h>

#include <optional>

namespace {

/** Other names a plot file may give a field, lower case; the first ones exactly. */
struct FieldAliases {
    QStringList exact;
    QStringList within;
};

const FieldAliases& cadastralAliases() {
    static const FieldAliases a{{QStringLiteral("cadnum"), QStringLiteral("cad_num"),
                                 QStringLiteral("cadastral"), QStringLiteral("kadnum"),
                                 QStringLiteral("kn"), QStringLiteral("кн")},
                                {QStringLiteral("cadast"), QStringLiteral("kadast"),
                                 QStringLiteral("кадастр"), QStringLiteral("cadnum")}};
    return a;
}
const FieldAliases& purposeAliases() {
    static const FieldAliases a{
        {QStringLiteral("purpose"), QStringLiteral("kvcpz"), QStringLiteral("kvzu"),
         QStringLiteral("cpz"), QStringLiteral("призначення")},
        {QStringLiteral("purpose"), QStringLiteral("цільов"), QStringLiteral("признач")}};
    return a;
}
const FieldAliases& areaAliases() {
    static const FieldAliases a{{QStringLiteral("area"), QStringLiteral("area_ha"),
                                 QStringLiteral("площа"), QStringLiteral("s_ha")},
                                {QStringLiteral("area"), QStringLiteral("площ")}};
    return a;
}
const FieldAliases& addressAliases() {
    static const FieldAliases a{{QStringLiteral("address"), QStringLiteral("адреса")},
                                {QStringLiteral("addr"), QStringLiteral("адрес")}};
    return a;
}

/** The index of the source field named, or guessed by its aliases when `named` is "". */
int fieldIndex(const std::vector<SourceField>& fields, const QString& named,
               const FieldAliases& aliases) {
    auto find = [&](const std::function<bool(const QString&)>& fits) {
        for (size_t i = 0; i < fields.size(); ++i)
            if (fits(fields[i].name.toLower()))
                return static_cast<int>(i);
        return -1;
    };
    if (!named.isEmpty())
        return find([&](const QString& n) { return n == named.toLower(); });
    for (const QString& alias : aliases.exact)
        if (const int i = find([&](const QString& n) { return n == alias; }); i >= 0)
            return i;
    for (const QString& alias : aliases.within)
        if (const int i = find([&](const QString& n) { return n.contains(alias); }); i >= 0)
            return i;
    return -1;
}

QString valueAt(const QStringList& values, int index) {
    return index >= 0 && index < values.size() ? values[index].trimmed() : QString();
}

/** A stated area in hectares; 0 when none is given or it is no number above 0. */
double hectaresOf(const QString& text) {
    QString t = text.trimmed();
    t.replace(u',', u'.');
    const std::optional<double> v = ParseNumber(t);
    return v && *v > 0 ? *v : 0;
}

/** The folder's files that are exchange files, by name. */
QStringList exchangeFilesIn(const QString& folder) {
    QStringList out;
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("*.xml"), QStringLiteral("*.XML")}, QDir::Files, QDir::Name))
        if (IsExchangeFile(dir.filePath(name)))
            out << dir.filePath(name);
    return out;
}

RegisterPlot unreadable(const QString& source, const QString& reason) {
    RegisterPlot p;
    p.source = source;
    p.reason = reason;
    return p;
}

} // namespace

PlotMover::PlotMover() = default;
PlotMover::~PlotMover() = default;

bool PlotMover::prepare(const QString& fromWkt, const PlotSystems& systems, QString* reason,
                        QString* note) {
    m_move.reset();
    note->clear();
    const QString from = fromWkt.isEmpty() ? systems.askedWkt : fromWkt;
    const QString& to = systems.settlementWkt;
    if (from.isEmpty() || (!to.isEmpty() && Crs::same(from, to)))
        return true; // taken as given in the settlement's system
    if (to.isEmpty()) {
        if (!Crs::isMetricProjected(from))
            return FailWith(reason, QStringLiteral("Координати в системі «%1» (не в метрах), а "
                                                   "населений пункт не має системи координат.")
                                        .arg(Crs::describe(from)));
        return true;
    }
    m_move = CrsTransform::make(from, to, reason);
    if (!m_move)
        return false;
    *note = QStringLiteral("Координати перераховано з «%1» у «%2».")
                .arg(Crs::describe(from), Crs::describe(to));
    return true;
}

bool PlotMover::apply(OGRGeometry& region) const {
    return !m_move || m_move->apply(region);
}

std::unique_ptr<OGRGeometry> PlotRegion(const OGRGeometry& shape, QStringList& notes,
                                        QString* reason) {
    std::unique_ptr<OGRGeometry> region = ShapeToRegion(shape);
    if (!region) {
        FailWith(reason, QStringLiteral("Об'єкт не має площі (не полігон)."));
        return nullptr;
    }
    QString what;
    switch (RepairRegion(region, &what)) {
    case RegionRepair::Broken:
        FailWith(reason,
                 QStringLiteral("Межа ділянки неправильна (%1), площі не лишається.").arg(what));
        return nullptr;
    case RegionRepair::TooComplex:
        FailWith(reason, QStringLiteral("Межа ділянки неправильна (%1) і надто складна, щоб її "
                                        "виправити.")
                             .arg(what));
        return nullptr;
    case RegionRepair::Repaired:
        notes << QStringLiteral("Межу виправлено: %1.").arg(what);
        break;
    case RegionRepair::Valid:
        break;
    }
    return region;
}

bool ParsePlotField(const QString& text, PlotFields& fields, QString* error) {
    const qsizetype eq = text.indexOf(u'=');
    const QString key = text.left(eq).trimmed().toLower();
    const QString value = eq < 0 ? QString() : text.mid(eq + 1).trimmed();
    QString* target = key == QLatin1String("cadastral") ? &fields.cadastral
                      : key == QLatin1String("purpose") ? &fields.purpose
                      : key == QLatin1String("area")    ? &fields.area
                      : key == QLatin1String("address") ? &fields.address
                                                        : nullptr;
    if (!target || value.isEmpty())
        return FailWith(error, QStringLiteral("Поле задають як НАЗВА=ПОЛЕ_ФАЙЛУ, де НАЗВА - "
                                              "cadastral, purpose, area або address: \"%1\".")
                                   .arg(text));
    *target = value;
    return true;
}

bool ReadVectorPlots(const QString& path, const QString& layer, const PlotFields& fields,
                     const PlotSystems& systems, std::vector<RegisterPlot>& plots, QString* error) {
    const QString name = QFileInfo(path).fileName();
    int indexes[4] = {-1, -1, -1, -1};
    PlotMover mover;
    QString moveNote;
    QString moveError;
    bool prepared = false;
    int number = 0;
    std::vector<RegisterPlot> read;
    SourceSummary summary;
    const bool ok = VectorSource::read(
        path, layer, summary,
        [&](std::unique_ptr<OGRGeometry> shape, const QStringList& values) {
            if (!prepared) { // the fields and the system are known with the first object
                prepared = true;
                indexes[0] = fieldIndex(summary.fields, fields.cadastral, cadastralAliases());
                indexes[1] = fieldIndex(summary.fields, fields.purpose, purposeAliases());
                indexes[2] = fieldIndex(summary.fields, fields.area, areaAliases());
                indexes[3] = fieldIndex(summary.fields, fields.address, addressAliases());
                if (!mover.prepare(summary.crsWkt, systems, &moveError, &moveNote) &&
                    moveError.isEmpty())
                    moveError = QStringLiteral("Координати не вдалося перерахувати.");
            }
            RegisterPlot p;
            p.source = QStringLiteral("%1, об'єкт %2").arg(name).arg(++number);
            p.cadastral = valueAt(values, indexes[0]);
            p.purpose = valueAt(values, indexes[1]);
            p.statedHa = hectaresOf(valueAt(values, indexes[2]));
            p.address = valueAt(values, indexes[3]);
            std::unique_ptr<OGRGeometry> region =
                shape ? PlotRegion(*shape, p.notes, &p.reason) : nullptr;
            if (!shape)
                p.reason = QStringLiteral("Об'єкт не має межі.");
            else if (region && !moveError.isEmpty())
                p.reason = moveError;
            else if (region && !mover.apply(*region))
                p.reason = QStringLiteral("Координати ділянки не вдалося перерахувати.");
            else if (region) {
                if (!moveNote.isEmpty())
                    p.notes << moveNote;
                p.geometry = std::move(region);
            }
            read.push_back(std::move(p));
        },
        error);
    if (!ok)
        return false;
    // The named fields must exist: a misspelt name would silently leave every plot blank.
    const std::pair<const QString*, int> named[] = {{&fields.cadastral, indexes[0]},
                                                    {&fields.purpose, indexes[1]},
                                                    {&fields.area, indexes[2]},
                                                    {&fields.address, indexes[3]}};
    for (const auto& [field, index] : named)
        if (prepared && !field->isEmpty() && index < 0)
            return FailWith(error, QStringLiteral("У файлі \"%1\" немає поля \"%2\".")
                                       .arg(QDir::toNativeSeparators(path), *field));
    for (RegisterPlot& p : read)
        plots.push_back(std::move(p));
    return true;
}

void ReadPlotSources(const QStringList& sources, const QString& layer, const PlotFields& fields,
                     const PlotSystems& systems, std::vector<RegisterPlot>& plots) {
    for (const QString& source : sources) {
        const QFileInfo info(source);
        QStringList files;
        if (info.isDir()) {
            files = exchangeFilesIn(source);
            if (files.isEmpty())
                plots.push_back(unreadable(
                    info.fileName(),
                    QStringLiteral("У папці \"%1\" немає обмінних файлів кадастру (.xml).")
                        .arg(QDir::toNativeSeparators(source))));
        } else {
            files << source;
        }
        for (const QString& file : files) {
            QString reason;
            const bool ok = IsExchangeFile(file)
                                ? ReadExchangePlots(file, systems, plots, &reason)
                                : ReadVectorPlots(file, layer, fields, systems, plots, &reason);
            if (!ok)
                plots.push_back(unreadable(QFileInfo(file).fileName(), reason));
        }
    }
}
