#include "steps/zonal/ZonalMap.h"

#include "common/EngineMessages.h"
#include "common/FileUtils.h"
#include "map/FeatureFactory.h"
#include "map/MapGlobal.h"
#include "valuation/Names.h"

#include <QHash>
#include <QSaveFile>

QStringList ZoneLayerFields() {
    return {names::field::Zona(), names::field::Price(), names::field::Km2()};
}

namespace {

const QString Districts = names::layer::Districts();
const QString Zones = names::layer::Zones();
const QString Labels = QStringLiteral("підписи");
const QString RaionField = names::field::Raion();

QString NoDistrictsText() {
    return QStringLiteral("На мапі не знайдено районів.");
}

/** The district objects by their number (the first object of a number counts). */
QHash<QString, int> DistrictIndex(const Dataset& data, const FeatureList& districts) {
    QHash<QString, int> index;
    for (size_t i = 0; i < districts.size(); ++i) {
        const QString number = FeatureValue(&data, districts[i], RaionField).trimmed();
        if (!number.isEmpty() && !index.contains(number))
            index.insert(number, static_cast<int>(i));
    }
    return index;
}

/** A colour value of the map (red in the lowest byte). */
constexpr int Rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

/** A fill of its own for each zone, in the order of the zones, black outlines. */
RegionStyle ZoneStyle(int index) {
    static const int colours[] = {Rgb(255, 170, 150), Rgb(255, 215, 160), Rgb(215, 235, 180),
                                  Rgb(170, 215, 240), Rgb(220, 190, 235), Rgb(250, 240, 150),
                                  Rgb(190, 230, 210), Rgb(240, 200, 200), Rgb(200, 200, 230),
                                  Rgb(230, 220, 190)};
    RegionStyle style;
    style.regionColor = colours[index % static_cast<int>(std::size(colours))];
    style.regionPattern = 2;
    style.regionBorderColor = 0;
    return style;
}

/** A zone of the result grid: its rows, and its Km2 and value from the first row with one. */
struct ZoneRows {
    QString zone;
    std::vector<int> rows;
    QString km2;
    QString value;
};

std::vector<ZoneRows> ZonesOf(const StringGrid& result, const ResultColumns& cols) {
    std::vector<ZoneRows> zones;
    QHash<QString, int> byText;
    for (int row = result.fixedRows(); row < result.rowCount(); ++row) {
        const QString zone = result.at(row, cols.zone);
        if (zone.isEmpty())
            continue;
        auto it = byText.constFind(zone);
        if (it == byText.cend()) {
            it = byText.insert(zone, static_cast<int>(zones.size()));
            zones.push_back(ZoneRows{zone, {}, {}, {}});
        }
        ZoneRows& z = zones[static_cast<size_t>(*it)];
        z.rows.push_back(row);
        if (z.km2.isEmpty() && !result.at(row, cols.km2).isEmpty()) {
            z.km2 = result.at(row, cols.km2);
            z.value = result.at(row, cols.value);
        }
    }
    return zones;
}

/** The zone layer's fields with "Zona", "Cena_1m2" and "Km2" added when missing. */
std::vector<FieldDef> ZoneFields(const Layer& layer, bool* added) {
    std::vector<FieldDef> fields = layer.fields();
    *added = false;
    for (const QString& name : ZoneLayerFields()) {
        if (layer.fieldIndex(name) < 0) {
            fields.push_back(FieldDef{name, FieldKind::Char, 20, 0, false});
            *added = true;
        }
    }
    return fields;
}

} // namespace

MapOutcome RebuildZoneLayer(MapDocument* map, const StringGrid& result, const ResultColumns& cols) {
    MapOutcome out;
    const auto say = [&out](MapMessage::Kind kind, const QString& text) {
        out.messages.push_back(MapMessage{kind, text});
    };
    std::optional<FeatureList> districts;
    if (map)
        districts = GetLayerFeatures(*map, Districts);
    if (!districts || districts->empty()) {
        say(MapMessage::Warning, NoDistrictsText());
        return out;
    }
    Layer* zoneLayer = GetLayer(*map, Zones);
    if (!zoneLayer) {
        say(MapMessage::Warning, QStringLiteral("Не знайдено мапи \"зони\"."));
        return out;
    }
    const std::optional<Dataset> districtData = GetLayerDataset(*map, Districts);
    if (!districtData) {
        say(MapMessage::Error, QStringLiteral("Помилка пошуку даних карти (DatasetRaion = nil)."));
        return out;
    }
    if (!GetLayerDataset(*map, Zones)) {
        say(MapMessage::Error, QStringLiteral("Помилка пошуку даних карти (DatasetZona = nil)."));
        return out;
    }

    const QHash<QString, int> districtOf = DistrictIndex(*districtData, *districts);
    bool fieldsAdded = false;
    const std::vector<FieldDef> fields = ZoneFields(*zoneLayer, &fieldsAdded);
    auto names = std::make_shared<QStringList>();
    for (const FieldDef& f : fields)
        names->append(f.name);

    FeatureList zoneObjects;
    FeatureList changedDistricts;
    QStringList zoneNumbers;
    const std::vector<ZoneRows> zones = ZonesOf(result, cols);
    for (size_t z = 0; z < zones.size(); ++z) {
        const ZoneRows& zone = zones[z];
        std::vector<Feature> pieces; // one object, or more when a union failed
        bool open = false;
        for (const int row : zone.rows) {
            const auto it = districtOf.constFind(result.at(row, 0).trimmed());
            if (it == districtOf.cend())
                continue;
            Feature& district = (*districts)[static_cast<size_t>(*it)];
            if (districtData->setValue(district, names::field::Zona(), zone.zone))
                changedDistricts.push_back(district);
            if (!open) {
                pieces.push_back(district);
                open = true;
                continue;
            }
            Feature merged;
            QString error;
            if (FeatureFactory::combine(pieces.back(), district, merged, &error) ==
                GeometryResult::Failed) {
                say(MapMessage::Error,
                    QStringLiteral("Об`єднання районів у зони.\rРайон № ") +
                        result.at(row, 0).trimmed() + QStringLiteral(" залишено у зоні № ") +
                        zone.zone + QStringLiteral(" окремою частиною.\rПодробиці: ") + error);
                // The district is kept as a piece of its own beside what was joined so far,
                // which the next districts go on joining.
                pieces.insert(pieces.end() - 1, district);
                continue;
            }
            pieces.back() = merged;
        }
        for (const Feature& piece : pieces) {
            Feature object;
            object.setFields(names);
            object.setGeometry(piece.geometry());
            object.setValue(names::field::Zona(), zone.zone);
            object.setValue(names::field::Price(), zone.value);
            object.setValue(names::field::Km2(), zone.km2);
            object.setRegionStyle(ZoneStyle(static_cast<int>(z)));
            zoneObjects.push_back(object);
        }
        if (!pieces.empty())
            zoneNumbers << zone.zone;
    }

    if (zoneObjects.empty()) {
        // Nothing to draw: the layer keeps its zones rather than being emptied.
        say(MapMessage::Warning,
            QStringLiteral("Жоден район мапи \"райони\" (поле \"Raion\") не збігається з "
                           "районами розрахунку, тому зони на мапі не поновлено."));
        return out;
    }
    QString error;
    const bool zonesWritten = fieldsAdded ? zoneLayer->replaceAll(fields, zoneObjects, &error)
                                          : zoneLayer->replaceAll(zoneObjects, &error);
    if (!zonesWritten) {
        say(MapMessage::Error, QStringLiteral("Створення зони № ") +
                                   zoneNumbers.join(QStringLiteral(", ")) +
                                   QStringLiteral(".\rПодробиці: ") + error);
        return out;
    }
    zoneLayer->setVisible(true);
    Layer* districtLayer = GetLayer(*map, Districts);
    if (!changedDistricts.empty() && !districtLayer->updateFeatures(changedDistricts, &error)) {
        say(MapMessage::Error, QStringLiteral("Об`єднання районів у зони.\rПодробиці: ") + error);
        return out;
    }
    map->notifyChanged();
    out.written = true;
    say(MapMessage::Info, QStringLiteral("Завершено."));
    return out;
}

QStringList PreviewWorkspaceLines() {
    return {QStringLiteral("!version 1"), QStringLiteral("!LAYER 1"),
            QStringLiteral("/LAYER File=райони.tab"), QStringLiteral("!LAYER 2"),
            QStringLiteral("/LAYER File=підписи.tab")};
}

namespace {

/** Puts the view back as it was when made. */
class ViewKeeper {
public:
    explicit ViewKeeper(MapDocument& map)
        : m_map(map), m_centre(map.centre()), m_zoom(map.zoom()) {}
    ~ViewKeeper() {
        m_map.setZoom(m_zoom);
        m_map.setCentre(m_centre);
    }
    ViewKeeper(const ViewKeeper&) = delete;
    ViewKeeper& operator=(const ViewKeeper&) = delete;

private:
    MapDocument& m_map;
    QPointF m_centre;
    double m_zoom;
};

/** A text object of the label layer with its "info". */
Feature Label(const Layer& layer, const Feature& text, const QString& info) {
    Feature f = layer.newFeature();
    f.setGeometry(text.geometry());
    f.setText(text.text(), text.textStyle(), text.textHeight());
    f.setValue(QStringLiteral("info"), info);
    return f;
}

} // namespace

MapOutcome BuildIndexLabels(MapDocument* map, const QString& folder, const StringGrid& result,
                            const ResultColumns& cols, QString* workspace) {
    MapOutcome out;
    const auto say = [&out](MapMessage::Kind kind, const QString& text) {
        out.messages.push_back(MapMessage{kind, text});
    };
    Layer* labels = map ? CreateLayer(*map, folder, Labels) : nullptr;
    if (!labels) {
        say(MapMessage::Warning, QStringLiteral("Помилка створення шару \"підписи\"."));
        return out;
    }
    if (!GetLayerDataset(*map, Labels)) {
        say(MapMessage::Error, QStringLiteral("Помилка пошуку даних карти (DatasetText = nil)."));
        return out;
    }
    Layer* districtLayer = GetLayer(*map, Districts);
    if (!districtLayer || districtLayer->featureCount() == 0) {
        say(MapMessage::Warning, NoDistrictsText());
        return out;
    }
    const std::optional<Dataset> districtData = GetLayerDataset(*map, Districts);
    if (!districtData) {
        say(MapMessage::Error, QStringLiteral("Помилка пошуку даних карти (DatasetRaion = nil)."));
        return out;
    }

    QHash<QString, QString> indexOf;
    for (int row = result.fixedRows(); row < result.rowCount(); ++row)
        if (!result.at(row, cols.ii).isEmpty() && !indexOf.contains(result.at(row, 0).trimmed()))
            indexOf.insert(result.at(row, 0).trimmed(), result.at(row, cols.ii));

    TextStyle numberStyle;
    numberStyle.family = QStringLiteral("Arial");
    numberStyle.pointSize = 14;
    numberStyle.bold = true;
    numberStyle.color = 16711680; // blue: red is the lowest byte
    TextStyle indexStyle;
    indexStyle.family = QStringLiteral("Arial");
    indexStyle.pointSize = 10;
    indexStyle.bold = true;
    indexStyle.italic = true;
    indexStyle.color = 0;

    FeatureList texts;
    {
        // Label sizes follow the scale at which all districts are seen.
        const ViewKeeper keep(*map);
        ZoomToLayer(*map, *districtLayer);
        for (const Feature& district : districtLayer->features()) {
            const QString number = FeatureValue(&*districtData, district, RaionField).trimmed();
            const auto it = indexOf.constFind(number);
            if (number.isEmpty() || it == indexOf.cend())
                continue;
            const QPointF at = district.centre();
            const Feature numberText = FeatureFactory::createText(*map, at, number, numberStyle);
            const QPointF below(at.x(), at.y() - numberText.textHeight());
            const Feature indexText = FeatureFactory::createText(*map, below, *it, indexStyle);
            texts.push_back(Label(*labels, numberText, QString()));
            texts.push_back(Label(*labels, indexText, *it));
        }
    }
    QString error;
    if (!labels->replaceAll(texts, &error)) {
        say(MapMessage::Error,
            QStringLiteral("Помилка створення шару \"підписи\".\rПодробиці: ") + error);
        return out;
    }
    map->notifyChanged();

    const QString path = JoinPath(folder, QStringLiteral("просмотр.gwp"));
    QSaveFile file(path);
    const QByteArray text = (PreviewWorkspaceLines().join(u'\n') + u'\n').toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        say(MapMessage::Error, QStringLiteral("Не вдалося записати \"") + path +
                                   QStringLiteral("\".\rПодробиці: ") +
                                   UkrainianEngineMessage(file.errorString()));
        return out;
    }
    if (workspace)
        *workspace = path;
    out.written = true;
    return out;
}
