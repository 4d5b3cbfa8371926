#include "reports/ReportLayers.h"

#include "common/FileUtils.h"
#include "map/LayerFingerprint.h"
#include "map/MapGlobal.h"
#include "valuation/LayerFingerprints.h"
#include "valuation/Names.h"

#include <QDir>
#include <vector>

namespace {

/** The fields the maps label of a layer (its geometry always counts). */
QStringList ShownFields(const QString& layer) {
    if (layer == names::layer::Zones())
        return {names::field::Zona(), names::field::Price(), names::field::Km2()};
    if (layer == names::layer::Soils())
        return {names::field::Code()};
    return valuation::LayerFields(layer);
}

void Fingerprint(const QString& folder, const QStringList& layers,
                 std::vector<FingerprintJob>& jobs) {
    const QDir dir(folder);
    for (const QString& layer : layers)
        jobs.push_back(FingerprintJob{
            dir.filePath(layer + QStringLiteral(".tab")), ShownFields(layer), {}, {}});
    FingerprintLayers(jobs);
}

} // namespace

QString ReportLayerStamp(const QString& folder) {
    QStringList layers;
    for (const QString& layer :
         {names::layer::Districts(), names::layer::Zones(), names::layer::Functional(),
          names::layer::Soils(), names::layer::Boundary()})
        if (FileExistsQuiet(QDir(folder).filePath(layer + QStringLiteral(".tab"))))
            layers << layer;
    for (const QString& file : ListFiles(folder, QStringLiteral("*.tab"), false)) {
        const QString name = LayerNameOf(file);
        if (valuation::IsLocalLayerName(name) && LocalLayerFactor(name) > 0)
            layers << name;
    }
    std::vector<FingerprintJob> jobs;
    Fingerprint(folder, layers, jobs);
    QStringList parts;
    for (qsizetype i = 0; i < layers.size(); ++i)
        if (!jobs[static_cast<size_t>(i)].fingerprint.isEmpty())
            parts << layers[i] + u'=' + jobs[static_cast<size_t>(i)].fingerprint;
    return parts.join(u';');
}

QStringList ChangedReportLayers(const QString& folder, const QString& stamp) {
    QStringList layers, made;
    for (const QString& part : stamp.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq <= 0)
            continue;
        layers << part.left(eq);
        made << part.mid(eq + 1);
    }
    std::vector<FingerprintJob> jobs;
    Fingerprint(folder, layers, jobs);
    QStringList changed;
    for (qsizetype i = 0; i < layers.size(); ++i)
        if (jobs[static_cast<size_t>(i)].fingerprint != made[i])
            changed << layers[i];
    return changed;
}

QString ReportLayerStampProperty() {
    return QStringLiteral("TamberonLayerStamp");
}
