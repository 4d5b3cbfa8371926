#include "gis/SettlementExport.h"

#include "gis/SettlementLayers.h"
#include "map/GeoPackage.h"
#include "map/Layer.h"

#include <QDir>

namespace {

/** Every readable ".tab" layer of the folder as it is. */
void tableLayers(const QString& folder, std::vector<PackageLayer>& out, QStringList& warnings) {
    for (const SettlementLayer& layer : ListSettlementLayers(folder)) {
        QString error;
        std::unique_ptr<Layer> opened =
            layer.error.isEmpty() ? Layer::open(layer.path, layer.name, &error) : nullptr;
        if (!opened) {
            warnings << QStringLiteral("Шар «%1» не записано: %2")
                            .arg(layer.name, layer.error.isEmpty() ? error : layer.error);
            continue;
        }
        out.push_back({layer.name, opened->fields(), opened->allFeatures(), layer.crsWkt});
    }
}

} // namespace

bool ExportSettlement(const QString& folder, Connection& project, const QString& path,
                      ExportResult& result, QString* error) {
    Q_UNUSED(project);
    result = ExportResult();
    if (!QDir(folder).exists()) {
        if (error)
            *error = QStringLiteral("Папки населеного пункту \"%1\" немає.")
                         .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    std::vector<PackageLayer> layers;
    tableLayers(folder, layers, result.warnings);
    if (!GeoPackage::write(path, layers, error))
        return false;
    for (const PackageLayer& layer : layers)
        result.layers << layer.name;
    return true;
}
