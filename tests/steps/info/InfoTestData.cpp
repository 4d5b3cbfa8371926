#include "tests/steps/info/InfoTestData.h"

#include "common/FileUtils.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"

#include <QApplication>
#include <QDir>

void InfoDbTest::SetUp() {
    const QString folder = app.file(QStringLiteral("Проекти/п/с"));
    QDir().mkpath(folder);
    Connection c;
    ASSERT_TRUE(c.create(JoinPath(folder, DataFileName())));
    Query q(&c);
    for (const char* sql : {
             "CREATE TABLE характеристика (id AUTOINCREMENT, показник nvarchar (255), "
             "значення nvarchar (255) DEFAULT '')",
             "CREATE TABLE показники (id AUTOINCREMENT, показник nvarchar (255), значення "
             "nvarchar (255))",
             "INSERT INTO показники (показник, значення) VALUES ('Назва', 'Липове')",
             "INSERT INTO показники (показник, значення) VALUES ('Загальна площа, га', '10')",
             "INSERT INTO показники (показник, значення) VALUES "
             "('Чисельність населення, тис. чол.', '2.5')",
             "INSERT INTO характеристика (показник, значення) VALUES "
             "('Загальна площа населеного пункту', '10.0000')",
             "INSERT INTO характеристика (показник, значення) VALUES "
             "('Чисельність населення (тис. чол.)', '2.5000')",
         })
        ASSERT_TRUE(RunQuery(q, QString::fromUtf8(sql), false)) << LastError().toStdString();
    c.close();
    ASSERT_TRUE(project.open(JoinPath(folder, DataFileName())));
    context.project = &project;
    context.folder = folder;
}

void InfoDbTest::TearDown() {
    project.close();
}

void InfoDbTest::exec(const QString& sql) {
    Query q(&project);
    ASSERT_TRUE(RunQuery(q, sql, false)) << LastError().toStdString();
}

QStringList InfoDbTest::storedRows() {
    QStringList rows;
    Query q(&project);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM показники ORDER BY id"), true))
        return {QStringLiteral("<error>")};
    for (q.first(); !q.eof(); q.next())
        rows << q.text(QStringLiteral("показник")) + u'=' + q.text(QStringLiteral("значення"));
    return rows;
}

QString InfoDbTest::indicator(const QString& name) {
    Query q(&project);
    if (!RunQuery(q,
                  QStringLiteral("SELECT значення FROM характеристика WHERE показник='") +
                      QuoteSql(name) + u'\'',
                  true, true))
        return QStringLiteral("<none>");
    return q.text(0);
}
