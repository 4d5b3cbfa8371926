#pragma once

#include "db/Database.h"
#include "map/MapDocument.h"
#include "steps/common/StepContext.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

/**
 * A settlement made from the shipped settlement template in a temporary program folder,
 * with the catalogue, an empty map and the indexation table: the world a step works on.
 */
class StepDbTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /** Runs a statement on the settlement's database; the test fails when it fails. */
    void exec(const QString& sql);
    /** The first column of every row of the statement's result, as texts. */
    QStringList column(const QString& sql);
    /** The value of a named indicator of "характеристика" ("<none>" without a row). */
    QString indicator(const QString& name);
    /** Sets (creating when missing) a named indicator. */
    void setIndicator(const QString& name, const QString& value);
    /** Makes every later write to `table` fail, to test that a store rolls back. */
    void breakTable(const QString& table);

    TempAppDir app{true};
    RecordingMessages messages;
    Connection project;
    Connection catalogue;
    MapDocument map;
    TDinArryOfKoef indexation;
    StepContext context;
};
