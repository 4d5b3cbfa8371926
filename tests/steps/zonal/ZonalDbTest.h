#pragma once

#include "tests/steps/support/StepTestSupport.h"

/**
 * A settlement ready for the zonal steps: three districts of 10, 30 and 5 ha, an average
 * value of 30.62 and 15 thousand inhabitants.
 */
class ZonalDbTest : public StepDbTest {
protected:
    void SetUp() override;
    /** The rows of a table in id order, columns joined by "|". */
    QStringList rows(const QString& table, const QString& columns);
};
