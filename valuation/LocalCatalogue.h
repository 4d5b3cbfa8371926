#pragma once

#include <QString>
#include <optional>
#include <vector>

class Connection;

/** A factor of the catalogue of local factors; its number is its place in id order, from 1. */
struct LocalFactor {
    int number = 0;
    QString name; ///< the short name (`назва_коротко`)
    QString min;  ///< the bounds of its admissible range, as stored
    QString max;
    QString fullName{}; ///< the name in full (`назва_фактору`)

    /** "мін - макс", as the grid's column "Мін. - макс." shows it. */
    QString rangeText() const { return min + QStringLiteral(" - ") + max; }
    /**
     * Whether a typed coefficient lies outside the range (a text that is not a number counts
     * as outside). An empty value, or a range that is not two numbers, is never outside.
     */
    bool outOfRange(const QString& value) const;
};

/**
 * Reads "SELECT * FROM локальні ORDER BY id" of the catalogue; false with `error` naming the
 * table and the reason.
 */
bool ReadLocalCatalogue(Connection& catalogue, std::vector<LocalFactor>& factors,
                        QString* error = nullptr);

/** The factor of that number; null when the catalogue has none. */
const LocalFactor* FindLocalFactor(const std::vector<LocalFactor>& factors, int number);
