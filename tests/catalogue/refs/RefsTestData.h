#pragma once

#include "catalogue/refs/RefsBook.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

class QApplication;

/** The test program's one application object (for the window tests). */
QApplication& TestApp();

/** Answers the record dialog from a script and remembers what it was asked. */
class ScriptedInput : public RefsInput {
public:
    std::optional<QStringList> ask(const QString& title, const std::vector<FieldInfo>& fields,
                                   const QStringList& values) override;
    /** The next answers; an empty list (or none left) cancels. */
    std::vector<QStringList> answers;
    QStringList titles;
    std::vector<std::vector<FieldInfo>> askedFields;
    std::vector<QStringList> askedValues;
};

/** The shipped catalogue and template databases in a temporary program folder, connected. */
class RefsDbTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    /** Runs a statement on the catalogue; fails the test when it fails. */
    void execMain(const QString& sql);
    /** Every row of a catalogue table in id order, the values joined by "|". */
    QStringList mainRows(const QString& table);
    /** The id of the book's current row ("" when none). */
    QString currentId();

    TempAppDir app{true};
    RecordingMessages messages;
    RefsBook book;
    ScriptedInput input;
};
