#include "valuation/PurposeBook.h"

#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "valuation/LandUse.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

bool fail(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
    return false;
}

QString codesOfCategories() {
    QStringList codes;
    for (const FunctionalCategory& c : FunctionalCategories())
        codes << c.code;
    return codes.join(QStringLiteral(", "));
}

} // namespace

void PurposeBook::add(const Purpose& purpose) {
    const QString key = NormalPurposeCode(purpose.code);
    Purpose row = purpose;
    row.code = key.isEmpty() ? purpose.code.trimmed() : key;
    row.name = purpose.name.trimmed();
    row.category = purpose.category.trimmed();
    const auto it = m_byCode.constFind(row.code);
    if (it != m_byCode.cend()) {
        m_rows[static_cast<size_t>(*it)] = row;
        return;
    }
    m_byCode.insert(row.code, static_cast<int>(m_rows.size()));
    m_rows.push_back(row);
}

const Purpose* PurposeBook::find(const QString& code) const {
    const QString key = NormalPurposeCode(code);
    if (key.isEmpty())
        return nullptr;
    const auto it = m_byCode.constFind(key);
    return it == m_byCode.cend() ? nullptr : &m_rows[static_cast<size_t>(*it)];
}

QString NormalPurposeCode(const QString& code) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2})(?:[.,](\\d{2}))?(?:\\s|$)"));
    const QRegularExpressionMatch m = form.match(code.trimmed());
    if (!m.hasMatch())
        return QString();
    const QString section = m.captured(1).rightJustified(2, u'0');
    const QString kind = m.captured(2).isEmpty() ? QStringLiteral("00") : m.captured(2);
    if (section == QStringLiteral("00"))
        return QString();
    return section + u'.' + kind;
}

bool LoadPurposeBook(Connection& catalogue, PurposeBook& book, QString* error) {
    book = PurposeBook();
    Query q(&catalogue);
    if (!RunQuery(q, QStringLiteral("SELECT код, назва, категорія FROM призначення ORDER BY id"),
                  true))
        return FailReading(error, QStringLiteral("призначення"));
    for (q.first(); !q.eof(); q.next())
        book.add({q.text(0), q.text(1), q.text(2)});
    return true;
}

bool UseForPurpose(const PurposeBook& book, const QString& code, QString* use, QString* reason) {
    const QString asked = code.trimmed();
    if (asked.isEmpty())
        return fail(reason, QStringLiteral("Цільове призначення ділянки не вказано."));
    if (NormalPurposeCode(asked).isEmpty())
        return fail(reason, QStringLiteral("«%1» не є кодом цільового призначення земель "
                                           "(має бути як «02.01»).")
                                .arg(asked));
    const Purpose* purpose = book.find(asked);
    if (!purpose)
        return fail(reason, QStringLiteral("Коду цільового призначення «%1» немає в довіднику "
                                           "«призначення».")
                                .arg(NormalPurposeCode(asked)));
    if (purpose->category.isEmpty())
        return fail(reason, QStringLiteral("Для цільового призначення %1 «%2» категорію "
                                           "функціонального використання в довіднику "
                                           "«призначення» не встановлено.")
                                .arg(purpose->code, purpose->name));
    const int column = FunctionalCategoryOf(purpose->category);
    if (column < 1)
        return fail(reason, QStringLiteral("Цільовому призначенню %1 у довіднику «призначення» "
                                           "відповідає категорія «%2», якої немає серед "
                                           "категорій функціонального використання (%3).")
                                .arg(purpose->code, purpose->category, codesOfCategories()));
    if (use)
        *use = FunctionalCategories()[static_cast<size_t>(column - 1)].code;
    return true;
}
