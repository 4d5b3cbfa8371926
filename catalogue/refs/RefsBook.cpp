#include "catalogue/refs/RefsBook.h"

#include "common/WaitCursor.h"
#include "db/BulkStore.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"

namespace {

const QString IdField = QStringLiteral("id");

void Tell(RefsMessages* messages, RefsMessage::Kind kind, const QString& caption,
          const QString& text) {
    if (messages)
        messages->push_back({kind, caption, text});
}

} // namespace

const std::vector<RefsGroupInfo>& RefsGroups() {
    static const std::vector<RefsGroupInfo> groups = {
        {RefsGroup::General,
         QStringLiteral("Загальні"),
         {QStringLiteral("грунти"), QStringLiteral("збірник_цін"), QStringLiteral("індексація"),
          QStringLiteral("локальні"), QStringLiteral("призначення"),
          QStringLiteral("ставки_податку")}},
        {RefsGroup::Defaults,
         QStringLiteral("За замовчуванням"),
         {QStringLiteral("експертні_фактори"), QStringLiteral("показники"), QStringLiteral("кф"),
          QStringLiteral("витрати")}},
    };
    return groups;
}

QString RefsTexts::confirmDelete() {
    return QStringLiteral("Видалити поточний запис?");
}

QString RefsTexts::noRecord() {
    return QStringLiteral("Запис не виділений.");
}

QString PriceCatalogueTable() {
    return QStringLiteral("збірник_цін");
}

RefsBook::RefsBook() = default;

bool RefsBook::selectTable(RefsGroup group, const QString& table, RefsMessages* messages) {
    m_connection = group == RefsGroup::General ? &Db().main : &Db().templ;
    m_values.setConnection(m_connection);
    m_use.setConnection(m_connection);
    m_table = table;
    m_sortField.clear();
    m_sort = RefsSort::None;
    SearchContinues = false;
    return ReloadTable(messages);
}

void RefsBook::clearTable() {
    m_values.close();
    m_table.clear();
}

QString RefsBook::currentId() const {
    return HasCurrentRecord(m_values) ? m_values.text(IdField) : QString();
}

bool RefsBook::ReloadTable(RefsMessages* messages, const QString& id) {
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
        Tell(messages, RefsMessage::Kind::Error, QStringLiteral("Завантаження"),
             QStringLiteral("Завантаження всіх записів\rПомилка: ") + LastError());
        return false;
    }
    m_values.first();
    LocateValue(returnTo, m_values, IdField);
    return true;
}

bool RefsBook::setSort(const QString& field, RefsSort sort, RefsMessages* messages) {
    if (sort == RefsSort::None || field.isEmpty()) {
        m_sortField.clear();
        m_sort = RefsSort::None;
    } else {
        m_sortField = field;
        m_sort = sort;
    }
    return ReloadTable(messages);
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
        sql += u',' + SqlLiteral(value);
    return sql + u')';
}

QString RefsBook::updateSql(const QString& id, const QStringList& values) const {
    const std::vector<FieldInfo> fields = valueFields();
    QStringList sets;
    for (size_t i = 0; i < fields.size() && i < static_cast<size_t>(values.size()); ++i)
        sets << fields[i].name + u'=' + SqlLiteral(values[static_cast<int>(i)]);
    return QStringLiteral("UPDATE ") + m_table + QStringLiteral(" SET ") + sets.join(u',') +
           QStringLiteral(" WHERE id=") + id;
}

bool RefsBook::needRecord(RefsMessages* messages) const {
    if (HasCurrentRecord(m_values))
        return true;
    Tell(messages, RefsMessage::Kind::Warning, QString(), RefsTexts::noRecord());
    return false;
}

bool RefsBook::afterChange(const QString& id, const QString& failCaption, RefsMessages* messages) {
    if (RunQuery(m_use, m_lastSql, false)) {
        if (ReloadTable(messages, id))
            return true;
        Tell(messages, RefsMessage::Kind::Error, QStringLiteral("Завантаження записів"),
             LastError());
        return false;
    }
    Tell(messages, RefsMessage::Kind::Error, failCaption, LastError());
    return false;
}

bool RefsBook::ACT_ADDExecute(RefsInput& input, RefsMessages* messages) {
    if (!hasTable() || !m_values.isOpen())
        return false;
    const std::vector<FieldInfo> fields = valueFields();
    const std::optional<QStringList> values =
        input.ask(QStringLiteral("Додавання запису"), fields, QStringList());
    if (!values)
        return false;
    const long long id = MaxValue(m_use, m_table, IdField) + 1;
    m_lastSql = insertSql(id, *values);
    return afterChange(QString::number(id), QStringLiteral("Додавання нового запису"), messages);
}

bool RefsBook::ACT_ADDCOPYExecute(RefsMessages* messages) {
    if (!needRecord(messages))
        return false;
    QStringList values = m_values.texts();
    values.removeFirst(); // the id
    const long long id = MaxValue(m_use, m_table, IdField) + 1;
    m_lastSql = insertSql(id, values);
    return afterChange(QString::number(id), QStringLiteral("Додавання нового запису"), messages);
}

bool RefsBook::ACT_EDITExecute(RefsInput& input, RefsMessages* messages) {
    if (!needRecord(messages))
        return false;
    const QString id = m_values.text(IdField);
    QStringList current = m_values.texts();
    current.removeFirst();
    const std::optional<QStringList> values =
        input.ask(QStringLiteral("Редагування запису"), valueFields(), current);
    if (!values)
        return false;
    m_lastSql = updateSql(id, *values);
    return afterChange(id, QStringLiteral("Редагування запису"), messages);
}

bool RefsBook::ACT_DELETEExecute(RefsInput& input, RefsMessages* messages) {
    if (!needRecord(messages) || !input.confirmDelete())
        return false;
    m_lastSql = QStringLiteral("DELETE FROM ") + m_table + QStringLiteral(" WHERE id=") +
                m_values.text(IdField);
    return afterChange(QStringLiteral("-1"), QStringLiteral("Видалення запису"), messages);
}

bool RefsBook::BSearchClick(const QString& text, RefsMessages* messages) {
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
    Tell(messages, RefsMessage::Kind::NotFound, QStringLiteral("Пошук"),
         u'"' + needle + QStringLiteral("\" не знайдено."));
    return false;
}

void RefsBook::ESearchTextChange(const QString& text, RefsMessages* messages) {
    SearchContinues = false;
    if (text.length() > 1 && m_values.isOpen()) {
        m_values.first();
        BSearchClick(text, messages);
    }
}
