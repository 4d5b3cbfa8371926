#pragma once

#include "valuation/LandUse.h"

#include <QString>
#include <QStringList>
#include <vector>

class Connection;
namespace valuation {
struct Settlement;
}

namespace reports {

/** A local factor of the catalogue; factor number n of a settlement is the n-th entry. */
struct LocalFactorName {
    QString full;
    QString brief;
};

/** "SELECT * FROM локальні ORDER BY id" of the catalogue; empty without a catalogue. */
std::vector<LocalFactorName> ReadLocalFactorNames(Connection* catalogue);

struct ReportContext;

/**
 * The settlement of the run: the context's, or read into `own`; null with the reason in
 * `error` when it cannot be read.
 */
const valuation::Settlement* SettlementOf(const ReportContext& context, valuation::Settlement& own,
                                          QString* error);

/** A number as the reports write it: two decimals. */
QString Fixed2(double value);

/** Caption of the zone rows of both workbooks, after the zone number. */
QString ZoneCaptionSuffix();

} // namespace reports
