#pragma once

#include "valuation/Check.h"
#include "valuation/LayerFingerprints.h"

#include <QString>
#include <vector>

class Connection;

/**
 * The layers of a settlement's folder a step reads ("райони.tab", "лок3.tab"...), fingerprinted
 * now: what the step records with values it takes from the map. A missing layer has no
 * fingerprint.
 */
std::vector<valuation::LayerUse> FingerprintStepLayers(const QString& folder, valuation::Step step);

/**
 * Records the step's layers inside the step's store: `taken` when the values were just taken
 * from the map, else (a settlement made before fingerprints were kept) the layers as they are
 * now, once, when the step has none recorded yet. With `fromMap` false (the values no longer
 * come from the map) the record is removed. False with `error` saying what failed.
 */
bool RecordStepLayers(Connection& project, const QString& folder, valuation::Step step,
                      const std::vector<valuation::LayerUse>& taken, bool fromMap, QString* error);

/**
 * Adds to `result` the values whose layers in `folder` changed since they were taken, and
 * the notes of values without a fingerprint (valuation::CheckLayerUses); the layers are
 * hashed two at a time. False with the reason in `error` when the settlement cannot be read.
 */
bool CheckStepLayers(Connection& project, const QString& folder, valuation::CheckResult& result,
                     QString* error = nullptr);

/**
 * What identifies the state of the folder's layers on disk: the size and time of change of
 * every table file. For remembered step marks: any edit of a layer changes it.
 */
QString LayersStateKey(const QString& folder);
