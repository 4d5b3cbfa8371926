#include "tests/catalogue/refs/RefsTestData.h"

#include "db/Databases.h"
#include "db/QueryFunctions.h"

#include <QApplication>

std::optional<QStringList> ScriptedInput::ask(const QString& title,
                                              const std::vector<FieldInfo>& fields,
                                              const QStringList& values) {
    titles << title;
    this->fields = fields;
    this->values = values;
    const QStringList answer = answers.empty() ? QStringList() : answers.front();
    if (!answers.empty())
        answers.erase(answers.begin());
    return answer.isEmpty() ? std::nullopt : std::optional<QStringList>(answer);
}

bool ScriptedInput::confirmDelete() {
    ++deleteAsks;
    if (deletions.empty())
        return true;
    const bool answer = deletions.front();
    deletions.erase(deletions.begin());
    return answer;
}

void RefsDbTest::SetUp() {
    Db().main.close();
    Db().templ.close();
    ASSERT_TRUE(Db().ConnectCatalogue());
    ASSERT_TRUE(Db().ConnectTemplate());
}

void RefsDbTest::TearDown() {
    book.clearTable();
    Db().main.close();
    Db().templ.close();
}

void RefsDbTest::execMain(const QString& sql) {
    Query q(&Db().main);
    ASSERT_TRUE(RunQuery(q, sql, false)) << LastError().toStdString();
}

QStringList RefsDbTest::mainRows(const QString& table) {
    Query q(&Db().main);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY id"),
                  true))
        return {QStringLiteral("<error>")};
    QStringList rows;
    for (q.first(); !q.eof(); q.next())
        rows << q.texts().join(u'|');
    return rows;
}

QString RefsDbTest::currentId() {
    return HasCurrentRecord(book.QueryValues()) ? book.QueryValues().text(QStringLiteral("id"))
                                                : QString();
}
