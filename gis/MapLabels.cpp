#include "gis/MapLabels.h"

#include "map/Feature.h"
#include "valuation/Names.h"

QString SettlementLabel(const QString& layer, const Feature& feature) {
    QString value;
    if (layer.compare(names::layer::Zones(), Qt::CaseInsensitive) == 0) {
        if (feature.value(names::field::Zona(), &value) && !value.trimmed().isEmpty())
            return QStringLiteral("Зона ") + value.trimmed();
    } else if (layer.compare(names::layer::Districts(), Qt::CaseInsensitive) == 0) {
        if (feature.value(names::field::Raion(), &value))
            return value.trimmed();
    }
    return QString();
}

MapLabels SettlementMapLabels() {
    QFont zoneFont(QStringLiteral("DejaVu Sans"));
    zoneFont.setPixelSize(13);
    zoneFont.setBold(true);
    QFont districtFont(QStringLiteral("DejaVu Sans"));
    districtFont.setPixelSize(11);
    MapLabels labels;
    for (const QString& layer : {names::layer::Zones(), names::layer::Districts()}) {
        const bool zones = layer == names::layer::Zones();
        labels.push_back({layer, zones ? zoneFont : districtFont,
                          zones ? QColor(90, 0, 0) : QColor(Qt::black),
                          [layer](const Feature& f) { return SettlementLabel(layer, f); }});
    }
    return labels;
}
