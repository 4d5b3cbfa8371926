#pragma once

#include "map/TabFile.h"
#include "map/VectorSource.h"

#include <QString>
#include <map>
#include <optional>
#include <vector>

/** The kinds of layer a settlement keeps, each in its own ".tab" of the settlement folder. */
enum class LayerKind { Boundary, Districts, Zones, Functional, Soils, LocalFactor };

/** What a field of the settlement's layer holds, for the checks of an import. */
enum class FieldRole {
    Text,       ///< any text
    Number,     ///< a number or nothing
    Coefficient ///< a number above 0, required
};

/** A field the steps read from a layer of that kind. */
struct TargetField {
    QString name;    ///< "Raion", "Zona", "Code"...
    QString caption; ///< what it holds, for the valuer
    FieldRole role = FieldRole::Text;
    bool required = false; ///< the layer is useless without it
    bool key = false;      ///< a whole number that names one object (district, zone)
    int width = 10;
    QStringList aliases; ///< other names a source may give it, lower case
};

/** A kind of layer: its word, the file it is kept in and its fields. */
struct LayerKindInfo {
    LayerKind kind = LayerKind::Boundary;
    QString word; ///< "межі", "райони", "зони", "функціональне", "грунти", "лок"
    std::vector<TargetField> fields;
};

/** Every kind, in the order the valuer is offered them. */
const std::vector<LayerKindInfo>& LayerKinds();
const LayerKindInfo& LayerKindOf(LayerKind kind);

/** A kind with, for a local-factor layer, its factor number (1..99). */
struct LayerTarget {
    LayerKind kind = LayerKind::Boundary;
    int factor = 0;
};

/**
 * Reads a kind as typed: "межі", "райони", "зони", "функціональне", "грунти" or "лок" with the
 * factor number ("лок7", "лок07", "лок 7"); false with a one-line reason.
 */
bool ParseLayerTarget(const QString& text, LayerTarget& target, QString* error);
/** The layer's name and file name without extension: "райони", "лок07". */
QString LayerFileBase(const LayerTarget& target);
/** The kind of a settlement layer by its name; nothing for a layer of no known kind. */
std::optional<LayerTarget> LayerTargetOf(const QString& layerName);
/** The kind in words for lists: "райони", "лок, фактор 7". */
QString LayerTargetCaption(const LayerTarget& target);

/** Which source field fills each target field (by target name; "" for none). */
using FieldMapping = std::map<QString, QString>;

/**
 * Guesses the mapping: the same name (letter case ignored), then a known other name, then a
 * name that contains one; a required field without any is given the only source field of a
 * fitting type left.
 */
FieldMapping GuessFieldMapping(const LayerKindInfo& kind, const std::vector<SourceField>& fields);
