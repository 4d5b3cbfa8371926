#pragma once

#include "map/Feature.h"
#include "map/MapTypes.h"
#include "map/TabStyle.h"

#include <QString>
#include <vector>

/** Column types of a table file. */
enum class FieldKind { Char, Integer, Float };

/** One column of a table file. */
struct FieldDef {
    QString name;
    FieldKind type = FieldKind::Char;
    int width = 50;
    int precision = 0;
    bool indexed = false;
};

/** The column type of an OGR field type (an OGRFieldType). */
FieldKind FieldKindOfOgr(int ogrFieldType);

/** The numeric (non-earth) coordinate system: type, distance unit code and bounds. */
struct CoordSys {
    int type = 0;
    int units = 7; ///< 7 metres
    MapRect bounds{-10000000, -10000000, 10000000, 10000000};
};

/** How write() writes a whole table. */
struct TableSpec {
    std::vector<FieldDef> fields;
    /** The coordinate system as WKT; empty for the program's numeric (non-earth) system. */
    QString srsWkt;
    /**
     * The coordinate range the file holds; null for ±10,000,000 (±180, ±90 for degrees),
     * widened to hold the features.
     */
    MapRect bounds = MapRect::null();
};

/** What a table file holds once read. */
struct TableContent {
    std::vector<FieldDef> fields;
    FeatureList features;
    MapRect bounds = MapRect::null(); ///< the extent stored in the file
};

/**
 * Reading and writing MapInfo ".tab" tables through OGR. Every call opens the file, does
 * its work and closes it again, so the file on disk is always complete and can be opened
 * by other programs. A whole table is written under a temporary name and put in place under
 * a journal (TabJournal), so a writing cut short by a crash or a kill is finished or undone
 * by the next call on the table. Failures return false with a readable reason in `error`.
 */
namespace TabFile {

/** Reads fields, features and stored extent (an interrupted replace is recovered first). */
bool read(const QString& path, TableContent& content, QString* error);
/**
 * Writes a new empty table with the fields (an existing table only with `overwrite`). The
 * table is written under a temporary name and then put in place, so an existing table is
 * replaced whole or not at all.
 */
bool create(const QString& path, const std::vector<FieldDef>& fields, const CoordSys& coordSys,
            bool overwrite, const QString& description, QString* error);
/**
 * Replaces every object of an existing table (and its fields by `fields`) in one writing,
 * keeping its coordinate system, coordinate range and description. The new table is written
 * under a temporary name beside it and checked, then its companion files (.tab, .dat, .map,
 * .id, .ind) are put in place of the old ones under a journal; on any failure the old table
 * stays as it was, and a kill at any instant leaves the old or the new table whole.
 * Values are matched to the fields by name; the features get the fids 1..n in order.
 */
bool replaceAll(const QString& path, const std::vector<FieldDef>& fields, FeatureList& features,
                QString* error);
/** Appends a feature; its values are matched to the table's fields by name. Sets its fid. */
bool append(const QString& path, Feature& feature, QString* error);
/** Appends many features with one opening of the file; sets their fids. */
bool appendAll(const QString& path, FeatureList& features, QString* error);
/** Rewrites the stored feature of the same fid with the feature's shape, values and style. */
bool rewrite(const QString& path, const Feature& feature, QString* error);
/** Deletes the feature of the fid. */
bool remove(const QString& path, qint64 fid, QString* error);
/**
 * Writes a whole table with the features in one writing: a new table, or (with `overwrite`)
 * in place of an existing one, which stays whole on any failure. The features get the fids
 * 1..n in order; values are matched to the fields by name.
 */
bool write(const QString& path, const TableSpec& shape, FeatureList& features, bool overwrite,
           QString* error);
/**
 * The table's coordinate system as WKT; "" for the numeric (non-earth) one or none. The exact
 * system write() keeps beside the table ("<name>.wkt") wins while it still describes the
 * table's projection: a table keeps some systems only approximately (no names, a datum as a
 * shift to WGS 84).
 */
bool coordinateSystem(const QString& path, QString* wkt, QString* error);
/**
 * Finishes or undoes an interrupted replace of the table and removes its leftovers; true
 * when the table is whole (also when nothing was interrupted).
 */
bool recover(const QString& path, QString* error);
/**
 * recover() for every table of the folder, and removes the temporary files of writings cut
 * short; run when a settlement is opened. False with the reasons in `error`.
 */
bool recoverFolder(const QString& folder, QString* error);
/** Removes a table file with its companion files (.dat, .map, .id, .ind, .wkt). */
bool removeFiles(const QString& path);

} // namespace TabFile
