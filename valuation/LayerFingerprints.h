#pragma once

#include "valuation/StepNames.h"

#include <QString>
#include <QStringList>
#include <vector>

class Connection;

/**
 * Which map layers the steps took values from, and the fingerprint of what each read then
 * (geometry and the fields used; map/LayerFingerprint): the table "шари_кроків" (крок, шар,
 * поля, відбиток) of the settlement. Settlements made before it have none: the upgrade creates
 * it empty, and a step records its layers at its next store.
 */
namespace valuation {

/** A layer a step read: its name, the fields it used, and their fingerprint then. */
struct LayerUse {
    QString layer;
    QStringList fields;
    /** Empty when the layer is missing or could not be read. */
    QString fingerprint;
    /** Why a layer that is there could not be read; empty when read or missing. Not stored. */
    QString error{};
};

/** What a step takes from the map. */
struct MapSource {
    Step step = Step::Info;
    /** What the values are, as a check line begins: "площі районів узято". */
    QString taken;
    /** The layers it reads, by name. */
    QStringList layers;
    /** It also reads every local factor layer ("лок1"...) of the folder. */
    bool localLayers = false;
};

/** The steps that take values from the map, in list order. */
const std::vector<MapSource>& MapSources();
/** The source of a step; null for a step that reads no layer. */
const MapSource* MapSourceOf(Step step);
/** The fields a step reads of a layer: "Raion" of "райони", "Code" of "функціональне"... */
QStringList LayerFields(const QString& layer);
/** Whether a layer's name is that of a local factor layer ("лок12"). */
bool IsLocalLayerName(const QString& layer);

QString LayerUsesTable();
/** The statement that creates it. */
QString LayerUsesTableSql();

/** A step's layers as recorded. */
struct StepLayers {
    Step step = Step::Info;
    std::vector<LayerUse> layers;
};

/** Every step's recorded layers (none without the table). False with `error` saying why. */
bool ReadLayerUses(Connection& project, std::vector<StepLayers>& uses, QString* error = nullptr);

/**
 * Replaces the step's recorded layers by `layers` (the table is created when missing). Meant
 * to run inside the step's store transaction; false with `error` saying why.
 */
bool StoreLayerUses(Connection& project, Step step, const std::vector<LayerUse>& layers,
                    QString* error = nullptr);

/** Whether the step has layers recorded. False with `error` when it cannot be read. */
bool HasLayerUses(Connection& project, Step step, bool& has, QString* error = nullptr);

} // namespace valuation
