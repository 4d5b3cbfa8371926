#pragma once

#include <QString>

/** Opening the catalogue "baza.sqlite" beside the program. */
namespace catalogue {

/**
 * Opens the catalogue unless it is open and checks that it can be read. A catalogue that
 * cannot be opened or read is named with its place and the reason; when an automatic copy
 * of it exists the user is offered the latest good one (the damaged file is kept beside it
 * under another name). Once opened: the run's automatic copy is made (once per run) and the
 * catalogue's full paths are changed to paths relative to the projects root (once ever).
 */
bool OpenCatalogue();

/**
 * Offers the latest good automatic copy of an unreadable catalogue; `reason` is why it
 * cannot be read. Shows the message; true when the copy has been put in its place.
 */
bool OfferCatalogueCopy(const QString& reason);

/** The catalogue's full path. */
QString CataloguePath();

} // namespace catalogue
