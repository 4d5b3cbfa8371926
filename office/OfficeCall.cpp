#include "office/OfficeCall.h"

#include "common/LastError.h"
#include "office/OfficeError.h"

#include <exception>

bool OfficeCall(const std::function<void()>& work, QString* error) {
    try {
        work();
        return true;
    } catch (const OfficeError& e) {
        return FailWith(error, e.message());
    } catch (const std::exception& e) {
        return FailWith(error, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return FailWith(error, QStringLiteral("Невідома помилка."));
    }
}
