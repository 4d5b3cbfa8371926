#include "gis/SettlementTiling.h"

#include "common/TextUtils.h"
#include "gis/SettlementLayers.h"
#include "map/Layer.h"
#include "valuation/Names.h"

#include <QFileInfo>

namespace {

// The words of one kind of layer in the forms the lines need.
struct KindWords {
    QString many;    ///< "Райони"
    QString one;     ///< "Район"
    QString among;   ///< "районами"
    QString nearOne; ///< "району"
};

KindWords wordsOf(LayerKind kind) {
    switch (kind) {
    case LayerKind::Zones:
        return {QStringLiteral("Зони"), QStringLiteral("Зона"), QStringLiteral("зонами"),
                QStringLiteral("зони")};
    case LayerKind::Functional:
        return {QStringLiteral("Функціональні зони"), QStringLiteral("Функціональна зона"),
                QStringLiteral("функціональними зонами"), QStringLiteral("функціональної зони")};
    default:
        return {QStringLiteral("Райони"), QStringLiteral("Район"), QStringLiteral("районами"),
                QStringLiteral("району")};
    }
}

QString decimal(double value) {
    return FormatFixed(value, 1).replace(u'.', u',');
}

// "3", "3 і 4", "3, 4 і 5"; a long list is cut after the first ones.
QString joined(const QStringList& labels) {
    constexpr qsizetype Shown = 8;
    if (labels.size() > Shown)
        return labels.mid(0, Shown).join(QStringLiteral(", ")) +
               QStringLiteral(" та ще %1").arg(labels.size() - Shown);
    if (labels.size() < 2)
        return labels.join(QString());
    return labels.mid(0, labels.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" і ") +
           labels.last();
}

// What identifies a region of the kind in a line: the district or zone number; for a
// functional region, its number in the table and its code.
QString labelOf(LayerKind kind, const Feature& f, qint64 number) {
    QString value;
    if (kind == LayerKind::Functional) {
        f.value(names::field::Code(), &value);
        value = value.trimmed();
        return value.isEmpty() ? QStringLiteral("№ %1 (без коду)").arg(number)
                               : QStringLiteral("№ %1 (код %2)").arg(number).arg(value);
    }
    f.value(kind == LayerKind::Zones ? names::field::Zona() : names::field::Raion(), &value);
    value = value.trimmed();
    return value.isEmpty() ? QStringLiteral("без номера (об'єкт № %1)").arg(number) : value;
}

const QString& layerName(LayerKind kind) {
    return LayerKindOf(kind).word;
}

// Checks one layer's regions against the boundary (none: overlaps only).
void checkRegions(LayerKind kind, const FeatureList& features, bool numberedByFid,
                  const std::vector<const OGRGeometry*>& boundary, TilingChecks checks,
                  SettlementTiling& result) {
    if (kind == LayerKind::Functional)
        checks.gaps = false; // functional regions need not cover everything
    std::vector<TilingRegion> regions;
    for (size_t i = 0; i < features.size(); ++i) {
        const Feature& f = features[i];
        if (!f.isRegion() || !f.geometry())
            continue;
        const qint64 number = numberedByFid ? f.fid() : static_cast<qint64>(i) + 1;
        regions.push_back({f.geometry()->ogr(), labelOf(kind, f, number)});
    }
    for (const TilingFinding& finding : FindTilingFaults(boundary, regions, checks))
        result.findings.push_back(
            {kind, finding.fault, TilingLineText(kind, finding), finding.point, finding.piece});
}

std::vector<const OGRGeometry*> shapesOf(const FeatureList& features) {
    std::vector<const OGRGeometry*> shapes;
    for (const Feature& f : features)
        if (f.isRegion() && f.geometry())
            shapes.push_back(f.geometry()->ogr());
    return shapes;
}

// The settlement's layer of the kind; null when there is none or it cannot be read (then
// said in the result).
std::unique_ptr<Layer> openLayer(const QString& folder, LayerKind kind, SettlementTiling& result) {
    const QString path = SettlementLayerPath(folder, layerName(kind));
    if (!QFileInfo::exists(path))
        return nullptr;
    QString error;
    std::unique_ptr<Layer> layer = Layer::open(path, layerName(kind), &error);
    if (!layer)
        result.unreadable << QStringLiteral("Шар «%1» не читається (%2); його покриття не "
                                            "перевірено.")
                                 .arg(layerName(kind), error.isEmpty()
                                                           ? QStringLiteral("файл пошкоджений")
                                                           : error.replace(u'\r', u' '));
    return layer;
}

void noteNoBoundary(const QStringList& checked, SettlementTiling& result) {
    if (!checked.isEmpty())
        result.notes << QStringLiteral("Шару меж населеного пункту «%1» немає: перевірено лише "
                                       "перекриття (%2), а розриви й вихід за межі - ні.")
                            .arg(layerName(LayerKind::Boundary),
                                 checked.join(QStringLiteral(", ")));
}

} // namespace

QStringList SettlementTiling::lines() const {
    QStringList out = unreadable;
    for (const TilingLine& f : findings)
        out << f.text;
    return out;
}

bool MustTile(LayerKind kind) {
    return kind == LayerKind::Boundary || kind == LayerKind::Districts ||
           kind == LayerKind::Zones || kind == LayerKind::Functional;
}

QString TilingLineText(LayerKind kind, const TilingFinding& finding) {
    const KindWords w = wordsOf(kind);
    const QString where =
        QStringLiteral("%1 м² біля (%2; %3)")
            .arg(decimal(finding.area), decimal(finding.point.x()), decimal(finding.point.y()));
    switch (finding.fault) {
    case TilingFault::Overlap:
        return QStringLiteral("%1 %2 перекриваються: %3")
            .arg(w.many, joined(finding.labels), where);
    case TilingFault::Outside:
        return QStringLiteral("%1 %2 виходить за межі населеного пункту: %3")
            .arg(w.one, joined(finding.labels), where);
    case TilingFault::Gap:
        break;
    }
    if (finding.labels.isEmpty())
        return QStringLiteral("Частину меж населеного пункту не вкрито %1: %2").arg(w.among, where);
    if (finding.labels.size() == 1)
        return QStringLiteral("Частину меж населеного пункту біля %1 %2 не вкрито %3: %4")
            .arg(w.nearOne, finding.labels[0], w.among, where);
    return QStringLiteral("Частину меж населеного пункту між %1 %2 не вкрито: %3")
        .arg(w.among, joined(finding.labels), where);
}

void CheckSettlementTiling(const QString& folder, SettlementTiling& result) {
    result = {};
    const std::unique_ptr<Layer> boundary = openLayer(folder, LayerKind::Boundary, result);
    const std::vector<const OGRGeometry*> boundaryShapes =
        boundary ? shapesOf(boundary->features()) : std::vector<const OGRGeometry*>{};
    QStringList checked;
    for (const LayerKind kind : {LayerKind::Districts, LayerKind::Zones, LayerKind::Functional}) {
        const std::unique_ptr<Layer> layer = openLayer(folder, kind, result);
        if (!layer)
            continue;
        checkRegions(kind, layer->features(), true, boundaryShapes, {}, result);
        checked << layerName(kind);
    }
    if (boundaryShapes.empty() && result.unreadable.isEmpty())
        noteNoBoundary(checked, result);
}

void CheckImportTiling(const QString& folder, const LayerTarget& target,
                       const FeatureList& features, SettlementTiling& result) {
    result = {};
    if (!MustTile(target.kind))
        return;
    if (target.kind == LayerKind::Boundary) {
        // A new boundary changes only what the other layers have outside it or leave open.
        const std::vector<const OGRGeometry*> boundaryShapes = shapesOf(features);
        TilingChecks checks;
        checks.overlaps = false;
        for (const LayerKind kind :
             {LayerKind::Districts, LayerKind::Zones, LayerKind::Functional}) {
            if (const std::unique_ptr<Layer> layer = openLayer(folder, kind, result))
                checkRegions(kind, layer->features(), true, boundaryShapes, checks, result);
        }
        result.notes << result.unreadable;
        result.unreadable.clear();
        return;
    }
    const std::unique_ptr<Layer> boundary = openLayer(folder, LayerKind::Boundary, result);
    const std::vector<const OGRGeometry*> boundaryShapes =
        boundary ? shapesOf(boundary->features()) : std::vector<const OGRGeometry*>{};
    checkRegions(target.kind, features, false, boundaryShapes, {}, result);
    if (boundaryShapes.empty() && result.unreadable.isEmpty())
        noteNoBoundary({layerName(target.kind)}, result);
    // Another layer that cannot be read is no fault of the layer imported.
    result.notes << result.unreadable;
    result.unreadable.clear();
}
