#pragma once

#include "catalogue/core/CatalogueContext.h"

#include <QString>

/** Opening the catalogue "baza.sqlite" beside the program. */
namespace catalogue {

/**
 * Opens the catalogue unless it is open and checks that it can be read. A catalogue that
 * cannot be opened or read is named in `error` with its place and the reason; when an
 * automatic copy of it exists the context's questions are offered the latest good one (the
 * damaged file is kept beside it under another name). Once opened: the run's automatic copy
 * is made (once per run) and the catalogue's full paths are changed to paths relative to the
 * projects root (once ever).
 */
bool OpenCatalogue(const CatalogueContext& context, QString* error = nullptr);

/**
 * Offers the latest good automatic copy of an unreadable catalogue; `reason` is why it
 * cannot be read. True when the copy has been put in its place; false when declined (`error`
 * empty), or with the error when there is no copy or it could not be put in place.
 */
bool OfferCatalogueCopy(const CatalogueContext& context, const QString& reason,
                        QString* error = nullptr);

/** "Каталог проектів "path" не вдається прочитати.\rПомилка: reason" */
QString UnreadableCatalogueText(const QString& path, const QString& reason);

/** The catalogue's full path. */
QString CataloguePath();

} // namespace catalogue
