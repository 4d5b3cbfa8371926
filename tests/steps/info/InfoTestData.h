#pragma once

#include "db/Database.h"
#include "steps/common/StepContext.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

/** A settlement database with "показники" and "характеристика", as the project connection. */
class InfoDbTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void exec(const QString& sql);
    /** "показник=значення" of every row of "показники" in id order. */
    QStringList storedRows();
    QString indicator(const QString& name);

    TempAppDir app;
    RecordingMessages messages;
    Connection project;
    StepContext context;
};
