#pragma once

#include "common/Answer.h"
#include "db/QueryFunctions.h"

#include <QDateTime>
#include <QString>

class Databases;

namespace catalogue {

/** The automatic copy offered in place of a catalogue that cannot be read. */
struct RestoreOffer {
    /** Why the catalogue is unreadable: UnreadableCatalogueText() of its path and reason. */
    QString problem;
    /** When the offered copy was made. */
    QDateTime copyTime;
    /** The name the damaged file is kept under; "" when there is no file to keep. */
    QString keepName;
};

/**
 * The decisions the catalogue needs on the way: the window asks the user, tests answer from a
 * script. A folder copy's questions come with them (the templates are copied on creation).
 */
class Questions : public CopyQuestions {
public:
    /** A file of that name is in the folder already: Yes replaces it, No keeps both, Cancel. */
    virtual Answer replaceFileInFolder(const QString& target) = 0;
    /** The export's target folder holds valuation materials already: true replaces them. */
    virtual bool replaceMaterials(const QString& folder) = 0;
    /** True puts the offered automatic copy in place of the unreadable catalogue. */
    virtual bool restoreCatalogue(const RestoreOffer& offer) = 0;
};

/**
 * What the catalogue functions work on, handed in by the window: the program's connections
 * (the catalogue and the project connection they re-point) and whoever answers their
 * questions. Tests build one over a temporary program folder.
 */
struct CatalogueContext {
    Databases& db;
    Questions& ask;
};

} // namespace catalogue
