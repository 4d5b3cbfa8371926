// The check of "Локальні фактори": the stored coefficients.
#include "valuation/CheckRun.h"

#include "common/TextUtils.h"
#include "valuation/Formulas.h"

namespace valuation::check {

// Coefficients are refused where typed; one already stored is reported here.
bool Local(CheckRun& run) {
    for (const LocalCell& c : run.s.local)
        if (!IsLocalCoefficient(c.coefficient))
            run.result.problems.push_back(
                {Step::Local, QStringLiteral("локальні, район ") + c.district +
                                  QStringLiteral(", фактор ") + QString::number(c.factor) +
                                  QStringLiteral(": коефіцієнт ") + Quoted(c.coefficient) +
                                  QStringLiteral(" не є числом більшим за 0, Км3 його не "
                                                 "враховує")});
    return true;
}

} // namespace valuation::check
