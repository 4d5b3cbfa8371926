#include "steps/common/StepLayers.h"

#include "common/FileUtils.h"
#include "map/LayerFingerprint.h"
#include "map/MapGlobal.h"
#include "valuation/CheckLayers.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

/** The folder's local factor layers with a factor number, in name order. */
QStringList LocalLayersOf(const QString& folder) {
    QStringList layers;
    for (const QString& file : ListFiles(folder, QStringLiteral("*.tab"), false)) {
        const QString name = LayerNameOf(file);
        if (valuation::IsLocalLayerName(name) && LocalLayerFactor(name) > 0)
            layers << name;
    }
    return layers;
}

void Fingerprint(const QString& folder, std::vector<valuation::LayerUse>& layers) {
    const QDir dir(folder);
    std::vector<FingerprintJob> jobs;
    for (const valuation::LayerUse& use : layers)
        jobs.push_back(
            FingerprintJob{dir.filePath(use.layer + QStringLiteral(".tab")), use.fields, {}, {}});
    FingerprintLayers(jobs);
    for (size_t i = 0; i < layers.size(); ++i) {
        layers[i].fingerprint = jobs[i].fingerprint;
        // A layer gone is told apart from one that is there but cannot be read.
        layers[i].error = jobs[i].fingerprint.isEmpty() && QFileInfo(jobs[i].path).isFile()
                              ? jobs[i].error
                              : QString();
    }
}

class FolderLayers : public valuation::MapLayersNow {
public:
    explicit FolderLayers(const QString& folder) : m_folder(folder) {}
    QStringList localLayers() override { return LocalLayersOf(m_folder); }
    void fingerprint(std::vector<valuation::LayerUse>& layers) override {
        Fingerprint(m_folder, layers);
    }
    bool holdsObjects(const QString& layer) override {
        return LayerHoldsObjects(QDir(m_folder).filePath(layer + QStringLiteral(".tab")));
    }

private:
    QString m_folder;
};

} // namespace

std::vector<valuation::LayerUse> FingerprintStepLayers(const QString& folder,
                                                       valuation::Step step) {
    std::vector<valuation::LayerUse> layers = valuation::LayersOfStep(step, LocalLayersOf(folder));
    Fingerprint(folder, layers);
    return layers;
}

bool RecordStepLayers(Connection& project, const QString& folder, valuation::Step step,
                      const std::vector<valuation::LayerUse>& taken, bool fromMap, QString* error) {
    if (!taken.empty())
        return valuation::StoreLayerUses(project, step, taken, error);
    // Values no longer from the map have no layer to follow.
    if (!fromMap)
        return valuation::StoreLayerUses(project, step, {}, error);
    if (folder.isEmpty())
        return true;
    bool has = false;
    if (!valuation::HasLayerUses(project, step, has, error))
        return false;
    if (has)
        return true;
    std::vector<valuation::LayerUse> now = FingerprintStepLayers(folder, step);
    // Nothing to compare with later when a layer is missing.
    for (const valuation::LayerUse& use : now)
        if (use.fingerprint.isEmpty())
            return true;
    return valuation::StoreLayerUses(project, step, now, error);
}

bool CheckStepLayers(Connection& project, const QString& folder, valuation::CheckResult& result,
                     QString* error) {
    FolderLayers layers(folder);
    return valuation::CheckLayerUses(project, layers, result, error);
}

QString LayersStateKey(const QString& folder) {
    QStringList parts;
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*.tab"), QStringLiteral("*.dat"),
                                    QStringLiteral("*.map"), QStringLiteral("*.id")},
                                   QDir::Files, QDir::Name);
    for (const QFileInfo& info : files)
        parts << info.fileName() + u'=' + QString::number(info.size()) + u'@' +
                     QString::number(info.lastModified().toMSecsSinceEpoch());
    return parts.join(u'|');
}
