#pragma once

#include <QString>

class OoxmlPackage;

/**
 * Custom document properties ("docProps/custom.xml"): named texts a document or workbook
 * carries for the program (the state of the data it was made from), shown by Word and Excel
 * among the file's properties.
 */
namespace office {

/** Sets a text property, adding the part, its relationship and content type when missing. */
void SetCustomProperty(OoxmlPackage& package, const QString& name, const QString& value);

/** A text property of the package; "" when it has none. Throws OfficeError on a broken part. */
QString CustomProperty(OoxmlPackage& package, const QString& name);

/**
 * Reads a text property of a ".docx" or ".xlsx" file into `value` ("" when it has none).
 * False with the reason in `error` when the file cannot be read.
 */
bool ReadCustomProperty(const QString& path, const QString& name, QString& value,
                        QString* error = nullptr);

} // namespace office
