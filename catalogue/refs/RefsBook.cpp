#include "catalogue/refs/RefsBook.h"

#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"

namespace {

const QString IdField = QStringLiteral("id");

QString Quoted(const QString& text) {
    return u'\'' + QuoteSql(text) + u'\'';
}

} // namespace

const std::vector<RefsGroupInfo>& RefsGroups() {
    static const std::vector<RefsGroupInfo> groups = {
        {RefsGroup::General,
         QStringLiteral("Загальні"),
         {QStringLiteral("грунти"), QStringLiteral("збірник_цін"), QStringLiteral("індексація"),
          QStringLiteral("локальні")}},
        {RefsGroup::Defaults,
         QStringLiteral("За замовчуванням"),
         {QStringLiteral("експертні_фактори"), QStringLiteral("показники"), QStringLiteral("кф"),
          QStringLiteral("витрати")}},
    };
    return groups;
}

QString PriceCatalogueTable() {
    return QStringLiteral("збірник_цін");
}

RefsBook::RefsBook() = default;

bool RefsBook::selectTable(RefsGroup group, const QString& table) {
    m_connection = group == RefsGroup::General ? &Db().main : &Db().templ;
    m_values.setConnection(m_connection);
    m_use.setConnection(m_connection);
    m_table = table;
    m_sortField.clear();
    m_sort = RefsSort::None;
    SearchContinues = false;
    return ReloadTable();
}

void RefsBook::clearTable() {
    m_values.close();
    m_table.clear();
}

QString RefsBook::currentId() const {
    return HasCurrentRecord(m_values) ? m_values.text(IdField) : QString();
}

bool RefsBook::ReloadTable(const QString& id) {
    const QString returnTo = id.isEmpty() ? currentId() : id;
    m_values.close();
    WaitCursor wait;
    QString sql = QStringLiteral("SELECT * FROM ") + m_table;
    if (!m_sortField.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + m_sortField +
               (m_sort == RefsSort::Descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
    else
        sql += QStringLiteral(" ORDER BY id");
    m_lastSql = sql;
    if (!RunQuery(m_values, sql, true)) {
        ShowError(QStringLiteral("Завантаження"),
                  QStringLiteral("Завантаження всіх записів\rПомилка: ") + LastError());
        return false;
    }
    m_values.first();
    LocateValue(returnTo, m_values, IdField);
    return true;
}

bool RefsBook::setSort(const QString& field, RefsSort sort) {
    if (sort == RefsSort::None || field.isEmpty()) {
        m_sortField.clear();
        m_sort = RefsSort::None;
    } else {
        m_sortField = field;
        m_sort = sort;
    }
    return ReloadTable();
}

std::vector<FieldInfo> RefsBook::valueFields() const {
    std::vector<FieldInfo> fields = m_values.fields();
    if (!fields.empty())
        fields.erase(fields.begin());
    return fields;
}

QString RefsBook::insertSql(long long id, const QStringList& values) const {
    QString sql = QStringLiteral("INSERT INTO ") + m_table + QStringLiteral(" VALUES (") +
                  QString::number(id);
    for (const QString& value : values)
        sql += u',' + Quoted(value);
    return sql + u')';
}

QString RefsBook::updateSql(const QString& id, const QStringList& values) const {
    const std::vector<FieldInfo> fields = valueFields();
    QStringList sets;
    for (size_t i = 0; i < fields.size() && i < static_cast<size_t>(values.size()); ++i)
        sets << fields[i].name + u'=' + Quoted(values[static_cast<int>(i)]);
    return QStringLiteral("UPDATE ") + m_table + QStringLiteral(" SET ") + sets.join(u',') +
           QStringLiteral(" WHERE id=") + id;
}

bool RefsBook::needRecord() const {
    if (HasCurrentRecord(m_values))
        return true;
    ShowWarning(QStringLiteral("Запис не виділений."));
    return false;
}

bool RefsBook::afterChange(const QString& id, const QString& failCaption) {
    if (RunQuery(m_use, m_lastSql, false)) {
        if (ReloadTable(id))
            return true;
        ShowError(QStringLiteral("Завантаження записів"), LastError());
        return false;
    }
    ShowError(failCaption, LastError());
    return false;
}

bool RefsBook::ACT_ADDExecute(RefsInput& input) {
    if (!hasTable() || !m_values.isOpen())
        return false;
    const std::vector<FieldInfo> fields = valueFields();
    const std::optional<QStringList> values =
        input.ask(QStringLiteral("Додавання запису"), fields, QStringList());
    if (!values)
        return false;
    const long long id = MaxValue(m_use, m_table, IdField) + 1;
    m_lastSql = insertSql(id, *values);
    return afterChange(QString::number(id), QStringLiteral("Додавання нового запису"));
}

bool RefsBook::ACT_ADDCOPYExecute() {
    if (!needRecord())
        return false;
    QStringList values = m_values.texts();
    values.removeFirst(); // the id
    const long long id = MaxValue(m_use, m_table, IdField) + 1;
    m_lastSql = insertSql(id, values);
    return afterChange(QString::number(id), QStringLiteral("Додавання нового запису"));
}

bool RefsBook::ACT_EDITExecute(RefsInput& input) {
    if (!needRecord())
        return false;
    const QString id = m_values.text(IdField);
    QStringList current = m_values.texts();
    current.removeFirst();
    const std::optional<QStringList> values =
        input.ask(QStringLiteral("Редагування запису"), valueFields(), current);
    if (!values)
        return false;
    m_lastSql = updateSql(id, *values);
    return afterChange(id, QStringLiteral("Редагування запису"));
}

bool RefsBook::ACT_DELETEExecute() {
    if (!needRecord())
        return false;
    if (AskConfirm(QStringLiteral("Видалити поточний запис?"), Answer::Ok | Answer::Cancel) !=
        Answer::Ok)
        return false;
    m_lastSql = QStringLiteral("DELETE FROM ") + m_table + QStringLiteral(" WHERE id=") +
                m_values.text(IdField);
    return afterChange(QStringLiteral("-1"), QStringLiteral("Видалення запису"));
}

bool RefsBook::BSearchClick(const QString& text, QObject* control) {
    const QString needle = text.toLower();
    if (!m_values.isOpen())
        return false;
    const int remembered = m_values.recNo();
    if (SearchContinues)
        m_values.next();
    const int count = static_cast<int>(m_values.fields().size());
    for (; !m_values.eof(); m_values.next()) {
        for (int i = 0; i < count; ++i) {
            if (m_values.text(i).toLower().contains(needle)) {
                SearchContinues = true;
                return true;
            }
        }
    }
    if (remembered > 0)
        m_values.setRecNo(remembered);
    else
        m_values.first();
    ShowBalloon(QStringLiteral("Пошук"), u'"' + needle + QStringLiteral("\" не знайдено."), 1,
                control);
    return false;
}

void RefsBook::ESearchTextChange(const QString& text, QObject* control) {
    SearchContinues = false;
    if (text.length() > 1 && m_values.isOpen()) {
        m_values.first();
        BSearchClick(text, control);
    }
}
