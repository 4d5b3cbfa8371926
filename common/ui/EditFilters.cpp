#include "common/ui/EditFilters.h"

#include "widgets/LineEditFilter.h"

void FilterEditNumber(QLineEdit* edit, int intDigits, int fracDigits) {
    if (LineEditFilter* filter = LineEditFilter::installNumber(edit, intDigits, fracDigits))
        filter->apply();
}

void FilterEditChars(QLineEdit* edit, const QString& allowed) {
    if (LineEditFilter* filter = LineEditFilter::installChars(edit, allowed))
        filter->apply();
}
