#include "gis/LayerImport.h"

#include "common/FileUtils.h"
#include "common/TextUtils.h"
#include "db/Backup.h"
#include "gis/SettlementLayers.h"
#include "map/CoordinateSystems.h"
#include "map/Feature.h"
#include "map/Geometry.h"
#include "map/GeometryRepair.h"
#include "map/MapGlobal.h"
#include "valuation/LandUse.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ogr_geometry.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <unordered_map>

namespace {

/** At most this many lines of one list are given; the rest are counted. */
constexpr int MaxLines = 20;
/** At most this many object numbers in one line. */
constexpr int MaxNumbers = 10;
/** The widest text field a table holds. */
constexpr int MaxWidth = 254;
/** Copies kept of each replaced layer. */
constexpr int KeepLayerCopies = 10;

/** Lines of one kind, at most MaxLines of them, then how many more there were. */
class LineList {
public:
    explicit LineList(QStringList& out) : m_out(out) {}
    void add(const QString& line) {
        if (m_count++ < MaxLines)
            m_out << line;
    }
    void finish() {
        if (m_count > MaxLines)
            m_out << QStringLiteral("… і ще %1.").arg(m_count - MaxLines);
    }

private:
    QStringList& m_out;
    int m_count = 0;
};

/** "3, 7, 9" with at most MaxNumbers numbers, then "і ще N". */
QString numbers(const std::vector<int>& objects) {
    QStringList shown;
    for (size_t i = 0; i < objects.size() && i < MaxNumbers; ++i)
        shown << QString::number(objects[i]);
    QString text = shown.join(QStringLiteral(", "));
    if (objects.size() > MaxNumbers)
        text += QStringLiteral(" і ще %1").arg(objects.size() - MaxNumbers);
    return text;
}

/** One object read from the source. */
struct SourceObject {
    std::unique_ptr<OGRGeometry> shape;
    QStringList values;
};

/** The name of the field in the list, letter case ignored; "" when absent. */
QString findName(const QStringList& names, const QString& name) {
    const int i = FieldIndex(names, name);
    return i < 0 ? QString() : names[i];
}

/** Applies the valuer's mapping over the guess, checking both sides; refusals when wrong. */
FieldMapping resolveMapping(const LayerKindInfo& kind, const SourceSummary& source,
                            const FieldMapping& asked, QStringList& refusals) {
    FieldMapping mapping = GuessFieldMapping(kind, source.fields);
    QStringList targets, sources;
    for (const TargetField& f : kind.fields)
        targets << f.name;
    for (const SourceField& f : source.fields)
        sources << f.name;
    for (const auto& [target, field] : asked) {
        const QString t = findName(targets, target);
        if (t.isEmpty()) {
            refusals << QStringLiteral("Шар «%1» не має поля «%2» (є: %3).")
                            .arg(kind.word, target, targets.join(QStringLiteral(", ")));
            continue;
        }
        if (field.isEmpty()) {
            mapping[t].clear();
            continue;
        }
        const QString s = findName(sources, field);
        if (s.isEmpty())
            refusals << QStringLiteral("У джерелі немає поля «%1» (є: %2).")
                            .arg(field, sources.isEmpty() ? QStringLiteral("жодного")
                                                          : sources.join(QStringLiteral(", ")));
        else
            mapping[t] = s;
    }
    for (const TargetField& f : kind.fields)
        if (f.required && mapping[f.name].isEmpty())
            refusals << QStringLiteral("Не вказано, з якого поля джерела брати «%1» (%2).")
                            .arg(f.name, f.caption);
    return mapping;
}

/** The coordinate systems of the source and the layer, and the transformation between. */
struct CrsPlan {
    QString target; ///< "" numeric
    std::unique_ptr<CrsTransform> transform;
};

bool planCrs(const ImportRequest& request, const SourceSummary& source, ImportResult& result,
             CrsPlan& plan) {
    QString asked;
    if (!request.crs.trimmed().isEmpty()) {
        QString reason;
        if (!Crs::parse(request.crs, &asked, &reason)) {
            result.refusals << reason;
            return false;
        }
    }
    QString holder;
    const QString settlement = SettlementCrs(request.folder, &holder);
    const QString from = source.crsWkt;
    if (!settlement.isEmpty()) {
        if (!asked.isEmpty() && !Crs::same(asked, settlement)) {
            result.refusals << QStringLiteral("Населений пункт уже має систему координат «%1» "
                                              "(шар «%2»): іншої вказувати не треба.")
                                   .arg(Crs::describe(settlement), holder);
            return false;
        }
        plan.target = settlement;
    } else if (!asked.isEmpty()) {
        if (!Crs::isMetricProjected(asked)) {
            result.refusals << QStringLiteral("Система координат населеного пункту має бути "
                                              "прямокутною, у метрах; «%1» не така.")
                                   .arg(Crs::describe(asked));
            return false;
        }
        plan.target = asked;
    } else if (!from.isEmpty()) {
        if (!Crs::isMetricProjected(from)) {
            result.refusals << QStringLiteral("Координати джерела в системі «%1» (не в метрах), "
                                              "а система координат населеного пункту ще "
                                              "невідома: вкажіть її (наприклад, EPSG:6384).")
                                   .arg(Crs::describe(from));
            return false;
        }
        plan.target = from;
        result.notes << QStringLiteral("Населений пункт ще не мав системи координат: шар "
                                       "записано в системі джерела «%1».")
                            .arg(Crs::describe(from));
    }
    if (from.isEmpty()) {
        if (!plan.target.isEmpty())
            result.warnings << QStringLiteral("Джерело не називає системи координат: координати "
                                              "взято як є, у системі населеного пункту «%1».")
                                   .arg(Crs::describe(plan.target));
    } else if (!plan.target.isEmpty() && !Crs::same(from, plan.target)) {
        QString reason;
        plan.transform = CrsTransform::make(from, plan.target, &reason);
        if (!plan.transform) {
            result.refusals << reason;
            return false;
        }
        result.notes << QStringLiteral("Координати перераховано з «%1» у «%2».")
                            .arg(Crs::describe(from), Crs::describe(plan.target));
    }
    result.crsWkt = plan.target;
    return true;
}

/** Checks and normalises the values of one kind's objects. */
class ValueCheck {
public:
    ValueCheck(const LayerKindInfo& kind, LineList& refusals) : m_kind(kind), m_refusals(refusals) {
        for (const TargetField& f : kind.fields)
            m_widths.push_back(f.width);
    }

    /** The values of object `number` in target order, normalised; refusals added when bad. */
    QStringList check(int number, QStringList values) {
        for (size_t t = 0; t < m_kind.fields.size(); ++t) {
            const TargetField& f = m_kind.fields[t];
            QString& v = values[static_cast<qsizetype>(t)];
            v = v.trimmed();
            const QString where = QStringLiteral("Об'єкт %1: ").arg(number);
            if (f.key) {
                checkKey(f, number, v, where);
            } else if (f.role != FieldRole::Text) {
                checkNumber(f, v, where);
            } else if (v.isEmpty() && f.required) {
                m_emptyTexts.push_back(number);
            } else if (m_kind.kind == LayerKind::Functional && FunctionalCategoryOf(v) == 0) {
                m_unknownCodes.insert(v);
            }
            if (v.size() > MaxWidth)
                m_refusals.add(
                    where +
                    QStringLiteral("значення «%1» довше за %2 знаки.").arg(f.name).arg(MaxWidth));
            else
                m_widths[t] = std::max(m_widths[t], static_cast<int>(v.size()));
        }
        return values;
    }

    /** The warnings of the whole layer. */
    void finish(QStringList& warnings) const {
        if (!m_emptyTexts.empty())
            warnings << QStringLiteral("Об'єкти без значення «%1» (кроки їх не враховують): %2.")
                            .arg(m_kind.fields.front().name, numbers(m_emptyTexts));
        if (!m_unknownCodes.empty())
            warnings << QStringLiteral("Коди, яких немає серед категорій функціонального "
                                       "використання (крок їх не враховує): %1.")
                            .arg(QStringList(m_unknownCodes.begin(), m_unknownCodes.end())
                                     .join(QStringLiteral(", ")));
    }

    const std::vector<int>& widths() const { return m_widths; }

private:
    void checkKey(const TargetField& f, int number, QString& v, const QString& where) {
        if (v.isEmpty()) {
            if (f.required)
                m_refusals.add(where +
                               QStringLiteral("немає значення «%1» (%2).").arg(f.name, f.caption));
            return;
        }
        // A whole number also when a source keeps it as a real ("7.0") or padded ("007").
        const std::optional<double> d = ParseNumber(QString(v).replace(u',', u'.'));
        if (!d || *d != std::floor(*d) || *d < 1 || *d > 1e9) {
            m_refusals.add(where +
                           QStringLiteral("%1 «%2» не є цілим додатним числом.").arg(f.caption, v));
            return;
        }
        const auto n = static_cast<long long>(*d);
        v = QString::number(n);
        if (!f.required)
            return; // a district's zone repeats; only the object's own number must not
        const auto [it, added] = m_seen.emplace(n, number);
        if (!added)
            m_refusals.add(QStringLiteral("%1 %2 повторюється: об'єкти %3 і %4.")
                               .arg(capitalised(f.caption))
                               .arg(n)
                               .arg(it->second)
                               .arg(number));
    }

    void checkNumber(const TargetField& f, QString& v, const QString& where) {
        if (v.isEmpty()) {
            if (f.role == FieldRole::Coefficient)
                m_refusals.add(where +
                               QStringLiteral("немає значення «%1» (%2).").arg(f.name, f.caption));
            return;
        }
        const QString dotted = QString(v).replace(u',', u'.');
        const std::optional<double> d = ParseNumber(dotted);
        if (!d) {
            m_refusals.add(where + QStringLiteral("%1 «%2» не є числом.").arg(f.caption, v));
            return;
        }
        if (f.role == FieldRole::Coefficient && *d <= 0) {
            m_refusals.add(where +
                           QStringLiteral("%1 «%2» має бути більшим за 0.").arg(f.caption, v));
            return;
        }
        v = ShortestNumberText(*d);
    }

    static QString capitalised(const QString& text) {
        return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
    }

    const LayerKindInfo& m_kind;
    LineList& m_refusals;
    std::vector<int> m_widths;
    std::unordered_map<long long, int> m_seen;
    std::vector<int> m_emptyTexts;
    std::set<QString> m_unknownCodes;
};

/** The companion files of a table in its folder, as found on disk. */
QStringList tableFiles(const QString& tabPath) {
    const QFileInfo info(tabPath);
    QStringList out;
    for (const QFileInfo& f : info.dir().entryInfoList(QDir::Files)) {
        if (f.completeBaseName().compare(info.completeBaseName(), Qt::CaseInsensitive) == 0 &&
            QStringList{QStringLiteral("tab"), QStringLiteral("dat"), QStringLiteral("map"),
                        QStringLiteral("id"), QStringLiteral("ind"), QStringLiteral("wkt")}
                .contains(f.suffix().toLower()))
            out << f.absoluteFilePath();
    }
    return out;
}

/** How far from the settlement an object may lie: no settlement is wider than this. */
double PlausibleReach(const QString& crsWkt) {
    OGRSpatialReference srs;
    const bool degrees = !crsWkt.isEmpty() &&
                         srs.importFromWkt(crsWkt.toUtf8().constData()) == OGRERR_NONE &&
                         srs.IsGeographic();
    return degrees ? 1.0 : 100000.0;
}

/** The extent of the settlement's readable layers other than `except`; null when none. */
MapRect SettlementExtent(const QString& folder, const QString& except) {
    MapRect extent = MapRect::null();
    for (const SettlementLayer& layer : ListSettlementLayers(folder)) {
        if (!layer.error.isEmpty() || QFileInfo(layer.path) == QFileInfo(except))
            continue;
        SourceSummary summary;
        if (VectorSource::summarize(layer.path, QString(), 0, summary, nullptr) &&
            !summary.extent.isNull())
            extent = extent.united(summary.extent);
    }
    return extent;
}

/**
 * Refuses, one line each, the objects that lie far from the settlement: beyond `reach` of its
 * other layers, or, when it has none, of the middle of the source's objects (the median,
 * which one far-out object does not move). A far-out vertex would also coarsen the grid of
 * the whole table.
 */
void RefuseFarObjects(const std::vector<std::pair<int, MapRect>>& objects, MapRect around,
                      double reach, LineList& refusals) {
    if (objects.empty())
        return;
    if (around.isNull()) {
        std::vector<double> xs, ys;
        for (const auto& [number, box] : objects) {
            xs.push_back((box.xMin + box.xMax) / 2);
            ys.push_back((box.yMin + box.yMax) / 2);
        }
        std::nth_element(xs.begin(), xs.begin() + xs.size() / 2, xs.end());
        std::nth_element(ys.begin(), ys.begin() + ys.size() / 2, ys.end());
        around = {xs[xs.size() / 2], ys[ys.size() / 2], xs[xs.size() / 2], ys[ys.size() / 2]};
    }
    const MapRect allowed{around.xMin - reach, around.yMin - reach, around.xMax + reach,
                          around.yMax + reach};
    for (const auto& [number, box] : objects) {
        if (box.xMin >= allowed.xMin && box.yMin >= allowed.yMin && box.xMax <= allowed.xMax &&
            box.yMax <= allowed.yMax)
            continue;
        const double x = box.xMin < allowed.xMin ? box.xMin : box.xMax;
        const double y = box.yMin < allowed.yMin ? box.yMin : box.yMax;
        refusals.add(QStringLiteral("Об'єкт %1: точка (%2; %3) далеко від населеного пункту "
                                    "(понад %4 від його карти): перевірте координати і систему "
                                    "координат джерела.")
                         .arg(number)
                         .arg(x, 0, 'g', 12)
                         .arg(y, 0, 'g', 12)
                         .arg(reach >= 1000 ? QStringLiteral("%1 км").arg(reach / 1000)
                                            : QStringLiteral("%1°").arg(reach)));
    }
}

/**
 * Copies the table's files into a new folder of `copies`; "" with the reason on failure. The
 * copy is made in a hidden folder and named only when whole, so a copy cut short by a kill is
 * never taken for one (the next copy removes it).
 */
QString copyLayerFiles(const QString& tabPath, const QString& copies, QString* error) {
    const QString layer = QFileInfo(tabPath).completeBaseName();
    const QString partPrefix = QStringLiteral(".~") + layer + u' ';
    for (const QString& part :
         QDir(copies).entryList({partPrefix + u'*'}, QDir::Dirs | QDir::Hidden, QDir::Name))
        DeleteFolder(JoinPath(copies, part));
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString target = JoinPath(copies, layer + u' ' + stamp);
    if (QFileInfo::exists(target))
        target = UniqueFileName(target, QStringLiteral(" "));
    const QString part =
        JoinPath(copies, partPrefix + QFileInfo(target).fileName().mid(layer.size() + 1));
    auto failed = [&](const QString& text) {
        DeleteFolder(part);
        if (error)
            *error = text;
        return QString();
    };
    if (!QDir().mkpath(part))
        return failed(QStringLiteral("Не вдалося створити папку копії \"%1\".")
                          .arg(QDir::toNativeSeparators(part)));
    for (const QString& file : tableFiles(tabPath))
        if (!QFile::copy(file, JoinPath(part, QFileInfo(file).fileName())))
            return failed(QStringLiteral("Не вдалося скопіювати \"%1\".")
                              .arg(QDir::toNativeSeparators(file)));
    if (!QDir().rename(part, target))
        return failed(QStringLiteral("Не вдалося назвати папку копії \"%1\".")
                          .arg(QDir::toNativeSeparators(target)));
    // The newest copies of this layer stay; the time after the layer's name sorts them.
    QStringList older =
        QDir(copies).entryList({layer + QStringLiteral(" *")}, QDir::Dirs, QDir::Name);
    while (older.size() > KeepLayerCopies)
        DeleteFolder(JoinPath(copies, older.takeFirst()));
    return target;
}

} // namespace

bool PrepareImport(const ImportRequest& request, ImportResult& result, QString* error) {
    result = ImportResult();
    if (!QFileInfo(request.folder).isDir()) {
        if (error)
            *error = QStringLiteral("Папки населеного пункту \"%1\" немає.")
                         .arg(QDir::toNativeSeparators(request.folder));
        return false;
    }
    const LayerKindInfo& kind = LayerKindOf(request.target.kind);
    const QString layerName = LayerFileBase(request.target);
    result.path = SettlementLayerPath(request.folder, layerName);
    result.exists = QFileInfo::exists(result.path);

    std::vector<SourceObject> objects;
    if (!VectorSource::read(
            request.source, request.layer, result.source,
            [&objects](std::unique_ptr<OGRGeometry> shape, const QStringList& v) {
                objects.push_back({std::move(shape), v});
            },
            error))
        return false;

    result.mapping = resolveMapping(kind, result.source, request.mapping, result.refusals);
    // Every reason is told at once: a wrong system does not stop the checks of the objects.
    CrsPlan crs;
    const qsizetype refusedBefore = result.refusals.size();
    planCrs(request, result.source, result, crs);
    // Shapes left in a system the settlement does not use are not compared with its map.
    const bool crsRefused = result.refusals.size() > refusedBefore;

    std::vector<int> sourceIndex;
    for (const TargetField& f : kind.fields) {
        int index = -1;
        for (size_t s = 0; s < result.source.fields.size(); ++s)
            if (result.source.fields[s].name == result.mapping[f.name])
                index = static_cast<int>(s);
        sourceIndex.push_back(index);
    }
    auto names = std::make_shared<QStringList>();
    for (const TargetField& f : kind.fields)
        *names << f.name;
    std::shared_ptr<const QStringList> shared = names;

    LineList refusals(result.refusals);
    ValueCheck values(kind, refusals);
    std::vector<int> noShape, noArea;
    std::vector<std::pair<int, MapRect>> placed; // object number, its extent
    QStringList repaired; // "об'єкт 2 (самоперетин у точці (25; 5))"
    int number = 0, regions = 0;
    result.features.reserve(objects.size());
    for (SourceObject& object : objects) {
        ++number;
        if (!object.shape || object.shape->IsEmpty()) {
            noShape.push_back(number);
            continue;
        }
        std::unique_ptr<OGRGeometry> region = ShapeToRegion(*object.shape);
        object.shape.reset();
        if (!region) {
            noArea.push_back(number);
            continue;
        }
        ++regions;
        if (!HasFiniteCoordinates(*region)) {
            refusals.add(
                QStringLiteral("Об'єкт %1: координати не є скінченними числами.").arg(number));
            continue;
        }
        if (crs.transform && !crs.transform->apply(*region)) {
            refusals.add(
                QStringLiteral("Об'єкт %1: не вдалося перерахувати координати.").arg(number));
            continue;
        }
        QString reason;
        switch (RepairRegion(region, &reason)) {
        case RegionRepair::Repaired:
            repaired << QStringLiteral("об'єкт %1 (%2)").arg(number).arg(reason);
            break;
        case RegionRepair::Broken:
            refusals.add(QStringLiteral("Об'єкт %1: полігон без площі або зламаний, виправити "
                                        "не вдалося.")
                             .arg(number));
            continue;
        case RegionRepair::TooComplex:
            refusals.add(QStringLiteral("Об'єкт %1: контур надто складний (%2), його виправлення "
                                        "перервано; виправте об'єкт у ГІС.")
                             .arg(number)
                             .arg(reason.isEmpty() ? QStringLiteral("самоперетини") : reason));
            continue;
        case RegionRepair::Valid:
            break;
        }
        QStringList mapped;
        for (int index : sourceIndex)
            mapped << (index >= 0 ? object.values.value(index) : QString());
        Feature feature;
        feature.setFields(shared);
        const QStringList checked = values.check(number, mapped);
        for (qsizetype i = 0; i < checked.size(); ++i)
            feature.setValueAt(static_cast<int>(i), checked[i]);
        OGREnvelope env;
        region->getEnvelope(&env);
        placed.push_back({number, MapRect{env.MinX, env.MinY, env.MaxX, env.MaxY}});
        feature.setGeometry(std::make_shared<const Geometry>(std::move(region)));
        result.features.push_back(std::move(feature));
    }
    if (!crsRefused)
        RefuseFarObjects(placed, SettlementExtent(request.folder, result.path),
                         PlausibleReach(result.crsWkt), refusals);
    if (regions == 0)
        refusals.add(QStringLiteral("У джерелі немає жодного полігону (%1): шар «%2» має "
                                    "складатися з полігонів.")
                         .arg(result.source.featureCount == 0 ? QStringLiteral("немає об'єктів")
                                                              : QStringLiteral("лише точки, "
                                                                               "лінії або "
                                                                               "порожні форми"),
                              kind.word));
    refusals.finish();

    if (!repaired.isEmpty()) {
        QString list = repaired.mid(0, MaxNumbers).join(QStringLiteral(", "));
        if (repaired.size() > MaxNumbers)
            list += QStringLiteral(" і ще %1").arg(repaired.size() - MaxNumbers);
        result.warnings << QStringLiteral("Виправлено геометрію: %1.").arg(list);
    }
    if (!noArea.empty())
        result.warnings << QStringLiteral("Пропущено об'єкти без площі (точки, лінії): %1.")
                               .arg(numbers(noArea));
    if (!noShape.empty())
        result.warnings << QStringLiteral("Пропущено об'єкти без форми: %1.").arg(numbers(noShape));
    values.finish(result.warnings);

    for (size_t t = 0; t < kind.fields.size(); ++t) {
        const TargetField& f = kind.fields[t];
        result.fields.push_back(
            FieldDef{f.name, FieldKind::Char, std::min(values.widths()[t], MaxWidth), 0, false});
    }
    if (!result.source.guessedEncoding.isEmpty())
        result.notes << QStringLiteral("Кодування текстів джерела не вказано (файлу .cpg немає): "
                                       "їх прочитано як %1.")
                            .arg(result.source.guessedEncoding);
    result.notes.prepend(QStringLiteral("Об'єктів у шарі «%1»: %2 (у джерелі %3).")
                             .arg(layerName)
                             .arg(result.features.size())
                             .arg(result.source.featureCount));
    if (!result.ok())
        result.features.clear();
    return true;
}

bool WriteImport(ImportResult& result, bool replace, const QString& copiesFolder, QString* copiedTo,
                 QString* error) {
    const QString layer = LayerNameOf(result.path);
    if (!result.ok()) {
        if (error)
            *error = QStringLiteral("Шар «%1» не записано: %2").arg(layer, result.refusals.first());
        return false;
    }
    if (result.exists && !replace) {
        if (error)
            *error = QStringLiteral("Шар «%1» уже є в населеному пункті; замінити його можна "
                                    "лише з підтвердженням.")
                         .arg(layer);
        return false;
    }
    if (result.exists && QFileInfo::exists(result.path)) {
        const QString copy = copyLayerFiles(result.path, copiesFolder, error);
        if (copy.isEmpty())
            return false;
        if (copiedTo)
            *copiedTo = copy;
    }
    TableSpec shape;
    shape.fields = result.fields;
    shape.srsWkt = result.crsWkt;
    return TabFile::write(result.path, shape, result.features, result.exists, error);
}

QString LayerCopiesFolder(const QString& settlementFolder) {
    if (!backup::CopiesRoot().isEmpty())
        return JoinPath(backup::SettlementCopiesFolder(settlementFolder), QStringLiteral("Шари"));
    return JoinPath(settlementFolder, QStringLiteral("Копії шарів"));
}
