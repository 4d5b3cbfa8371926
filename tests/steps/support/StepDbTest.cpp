#include "tests/steps/support/StepDbTest.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "valuation/Indicators.h"

#include <QDir>
#include <QFile>

void StepDbTest::SetUp() {
    const QString folder = app.file(QStringLiteral("Проекти/Проект/Липове"));
    QDir().mkpath(folder);
    const QDir templ(JoinPath(GlobalVar().Settings.TemplateDir, QStringLiteral("наспункт")));
    for (const QString& name : templ.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(templ.filePath(name), JoinPath(folder, name)));
    ASSERT_TRUE(project.open(JoinPath(folder, DataFileName())));
    ASSERT_TRUE(catalogue.open(app.file(CatalogueFileName())));
    Query ref(&catalogue);
    LoadIndexation(ref, indexation);
    context.project = &project;
    context.catalogue = &catalogue;
    context.map = &map;
    context.indexation = &indexation;
    context.folder = folder;
    context.name = QStringLiteral("с. Липове");
}

void StepDbTest::TearDown() {
    project.close();
    catalogue.close();
}

void StepDbTest::exec(const QString& sql) {
    Query q(&project);
    ASSERT_TRUE(RunQuery(q, sql, false)) << LastError().toStdString();
}

QStringList StepDbTest::column(const QString& sql) {
    Query q(&project);
    if (!RunQuery(q, sql, true))
        return {QStringLiteral("<error>")};
    QStringList values;
    for (q.first(); !q.eof(); q.next())
        values << q.text(0);
    return values;
}

QString StepDbTest::indicator(const QString& name) {
    const QStringList values =
        column(QStringLiteral("SELECT значення FROM характеристика WHERE показник='") +
               QuoteSql(name) + QStringLiteral("' ORDER BY id"));
    return values.isEmpty() ? QStringLiteral("<none>") : values.first();
}

void StepDbTest::setIndicator(const QString& name, const QString& value) {
    QString error;
    ASSERT_TRUE(WriteIndicator(project, name, value, &error)) << error.toStdString();
}

void StepDbTest::breakTable(const QString& table) {
    for (const char* when : {"INSERT", "UPDATE", "DELETE"})
        exec(QStringLiteral("CREATE TRIGGER break_%1_%2 BEFORE %2 ON %3 BEGIN "
                            "SELECT RAISE(ABORT, 'зламано'); END")
                 .arg(QString::number(qHash(table)), QString::fromUtf8(when), table));
}
