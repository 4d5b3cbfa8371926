#pragma once

#include "common/ProgramPlace.h"

#include <QString>
#include <QStringList>

/** The valuer's program folder of an installed program, made and kept up to date. */
namespace catalogue {

/** The file in the program folder that remembers what was last shipped into it. */
QString ShippedRecordName();

/**
 * Makes the place's program folder from its shipped data on the first start (the catalogue,
 * "settings.dat", "Шаблон", "Проекти" with the demonstration project, the documents, "Temp"),
 * and brings it up to date once the shipped data changed (a newer version installed): the
 * catalogue is upgraded in place (UpgradeCatalogue), a shipped file the valuer has not changed
 * is replaced and one the valuer changed is kept (the template database of settlements gets
 * the current tables through the settlement upgrade), "settings.dat" and the projects are
 * never overwritten. A place without shipped data needs nothing. Two starts at once take
 * turns. `notes` gets the lines the valuer is told; false with the reason in `error`.
 */
bool PrepareProgramFolder(const ProgramPlace& place, QStringList* notes = nullptr,
                          QString* error = nullptr);

} // namespace catalogue
