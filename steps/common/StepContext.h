#pragma once

#include "valuation/Indexation.h"

#include <QString>

class Connection;
class MapDocument;

/**
 * What a valuation step works on, handed to it by the program's session: the selected
 * settlement's database and folder, the catalogue, the map and the indexation table. A step
 * reaches nothing else; tests build one over temporary files.
 */
struct StepContext {
    /** The settlement's "data.sqlite" (open while the settlement is selected). */
    Connection* project = nullptr;
    /** The catalogue "baza.sqlite" beside the program (reference tables). */
    Connection* catalogue = nullptr;
    /** The map of the session with the settlement's layers; null without a map. */
    MapDocument* map = nullptr;
    /** The yearly indexation coefficients read from the catalogue. */
    const TDinArryOfKoef* indexation = nullptr;
    /** The settlement's folder and its name as the catalogue shows it. */
    QString folder;
    QString name;

    /** True when a settlement is selected and its database is at hand. */
    bool valid() const { return project != nullptr && !folder.isEmpty(); }
    /** A file of the settlement's folder. */
    QString file(const QString& name) const;
};
