#pragma once

#include "tests/support/TestApplication.h"

#include "catalogue/refs/RefsBook.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

/**
 * Answers the record dialog from a script (an empty answer cancels) and the deletion question
 * from another (yes when it runs out), and records the asks.
 */
class ScriptedInput : public RefsInput {
public:
    std::optional<QStringList> ask(const QString& title, const std::vector<FieldInfo>& fields,
                                   const QStringList& values) override;
    bool confirmDelete() override;
    std::vector<QStringList> answers;
    std::vector<bool> deletions;
    int deleteAsks = 0;
    QStringList titles;
    std::vector<FieldInfo> fields;
    QStringList values;
};

/** The shipped catalogue and template databases in a temporary program folder, connected. */
class RefsDbTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void execMain(const QString& sql);
    /** The rows of грунти (or another catalogue table) in id order, values joined by "|". */
    QStringList mainRows(const QString& table = QStringLiteral("грунти"));
    QString currentId();

    TempAppDir app{true};
    RecordingMessages messages;
    RefsBook book;
    /** What the book had for the user. */
    RefsMessages said;
    ScriptedInput input;
};
