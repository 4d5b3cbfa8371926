#pragma once

#include <QString>

struct zip;

/**
 * A new, empty archive that zip_close writes straight into the file at `path` (created, or
 * emptied when it exists). libzip's own file target would write a temporary file of its own
 * beside it, and the random part of that name starts the system's crypto library: two
 * megabytes of memory and its start-up for every saved document. Null with the reason in
 * `error` when the file cannot be opened.
 */
struct zip* OpenZipWritingTo(const QString& path, QString* error);
