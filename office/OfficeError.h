#pragma once

#include <QString>
#include <stdexcept>

/**
 * A failed document or workbook operation (a missing part, cell, bookmark or table, a
 * broken package). Thrown inside the engine only: fill procedures let it escape and the job
 * turns it into its error text; code outside a job calls the engine through OfficeCall.
 */
class OfficeError : public std::runtime_error {
public:
    explicit OfficeError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    /** The message as the user reads it. */
    const QString& message() const { return m_message; }

private:
    QString m_message;
};
