#include "common/EngineMessages.h"

#include <gtest/gtest.h>

TEST(UkrainianEngineMessage, KnownMessagesKeepTheirNamesAndUnknownOnesStay) {
    EXPECT_EQ(UkrainianEngineMessage(QStringLiteral("database is locked")),
              QStringLiteral("базу даних заблоковано іншою програмою"));
    EXPECT_EQ(UkrainianEngineMessage(QStringLiteral("no such table: зони")),
              QStringLiteral("немає таблиці зони"));
    EXPECT_EQ(UkrainianEngineMessage(QStringLiteral("near \"FORM\": syntax error")),
              QStringLiteral("помилка запиту біля \"FORM\""));
    EXPECT_EQ(UkrainianEngineMessage(QStringLiteral("UNIQUE constraint failed: зони.зона")),
              QStringLiteral("значення зони.зона має бути єдиним у таблиці"));
    // Parts joined by ": " (libzip and the system), lines the program appended, a final point.
    EXPECT_EQ(UkrainianEngineMessage(QStringLiteral("Can't open file: Permission denied")),
              QStringLiteral("не вдалося відкрити файл: доступ заборонено"));
    EXPECT_EQ(UkrainianEngineMessage(QStringLiteral("disk I/O error\rЗапит: COMMIT")),
              QStringLiteral("помилка читання або запису диска\rЗапит: COMMIT"));
    // A save stopped by the file size limit, as the report says it.
    EXPECT_EQ(UkrainianEngineMessage(QStringLiteral("Write error: File too large")),
              QStringLiteral("помилка запису: файл більший, ніж дозволено записати"));
    EXPECT_EQ(UkrainianEngineMessage(QStringLiteral("Not a zip archive.")),
              QStringLiteral("файл не є zip-архівом"));
    EXPECT_EQ(UkrainianEngineMessage(QStringLiteral("`/tmp/x.tab' not recognized as a supported "
                                                    "file format.")),
              QStringLiteral("формат файлу /tmp/x.tab не розпізнано"));
    // A message of the program's own or one it does not know is left alone.
    EXPECT_EQ(UkrainianEngineMessage(QStringLiteral("відмовлено")), QStringLiteral("відмовлено"));
    EXPECT_EQ(UkrainianEngineMessage(QStringLiteral("frobnicator jammed")),
              QStringLiteral("frobnicator jammed"));
    EXPECT_EQ(UkrainianEngineMessage(QString()), QString());
}
