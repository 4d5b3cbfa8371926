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

// As the detail of one of our sentences: Ukrainian, one short line, never the SQL an engine
// quotes, nothing at all when only English would be left.
TEST(EngineMessages, ADetailIsShortUkrainianAndWithoutSql) {
    QString sql = QStringLiteral("sqlite3_exec(CREATE TABLE gpkg_spatial_ref_sys (srs_name TEXT "
                                 "NOT NULL");
    for (int i = 0; i < 200; ++i)
        sql += QStringLiteral(", c%1 TEXT").arg(i);
    sql += QStringLiteral(")) failed: database or disk is full");
    EXPECT_EQ(ShortEngineDetail(sql), QStringLiteral("диск заповнено"));
    EXPECT_EQ(ShortEngineDetail(QStringLiteral("Failed writing 65 bytes at offset 0.")),
              QStringLiteral("не вдалося записати 65 байтів (зміщення 0)"));
    EXPECT_EQ(ShortEngineDetail(QStringLiteral("Failed to read GeoJSON data")),
              QStringLiteral("не вдалося прочитати дані GeoJSON"));
    const QString shx = ShortEngineDetail(QStringLiteral(
        "Unable to open /tmp/р.shx or /tmp/р.SHX. Set SHAPE_RESTORE_SHX config option to YES "
        "to restore or create it."));
    EXPECT_TRUE(shx.startsWith(QStringLiteral("немає файлу /tmp/р.shx"))) << shx.toStdString();
    EXPECT_FALSE(shx.contains(QStringLiteral("SHAPE_RESTORE_SHX")));
    EXPECT_EQ(ShortEngineDetail(QStringLiteral("failed to prepare SQL: SELECT * FROM x")),
              QString());
    EXPECT_EQ(ShortEngineDetail(QStringLiteral("frobnicator jammed")), QString());
    EXPECT_EQ(ShortEngineDetail(QStringLiteral("disk I/O error\nЗапит: COMMIT")),
              QStringLiteral("помилка читання або запису диска"));
    const QString longText =
        ShortEngineDetail(QStringLiteral("немає таблиці ") + QString(500, u'я'));
    EXPECT_LE(longText.size(), 200);
}
