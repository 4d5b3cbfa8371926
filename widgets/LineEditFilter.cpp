#include "widgets/LineEditFilter.h"

#include "common/Messages.h"
#include "common/TextUtils.h"

#include <QLineEdit>
#include <algorithm>

namespace {
const char* const kFilterName = "tamberonLineEditFilter";
}

LineEditFilter::LineEditFilter(QLineEdit* edit) : QObject(edit), m_edit(edit) {
    setObjectName(QLatin1String(kFilterName));
}

LineEditFilter* LineEditFilter::of(QLineEdit* edit) {
    if (!edit)
        return nullptr;
    return edit->findChild<LineEditFilter*>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly);
}

LineEditFilter* LineEditFilter::install(QLineEdit* edit, bool userEditsOnly) {
    LineEditFilter* filter = of(edit);
    if (!filter) {
        filter = new LineEditFilter(edit);
        filter->m_userEditsOnly = userEditsOnly;
        if (userEditsOnly)
            connect(edit, &QLineEdit::textEdited, filter, [filter] { filter->apply(); });
        else
            connect(edit, &QLineEdit::textChanged, filter, [filter] { filter->apply(); });
    }
    return filter;
}

LineEditFilter* LineEditFilter::installNumber(QLineEdit* edit, int intDigits, int fracDigits,
                                              bool userEditsOnly) {
    if (!edit)
        return nullptr;
    LineEditFilter* filter = install(edit, userEditsOnly);
    filter->m_number = true;
    filter->m_intDigits = intDigits;
    filter->m_fracDigits = fracDigits;
    return filter;
}

LineEditFilter* LineEditFilter::installChars(QLineEdit* edit, const QString& allowed,
                                             bool userEditsOnly) {
    if (!edit)
        return nullptr;
    LineEditFilter* filter = install(edit, userEditsOnly);
    filter->m_number = false;
    filter->m_allowed = allowed;
    return filter;
}

int LineEditFilter::apply() {
    if (m_busy)
        return 0;
    const QString text = m_edit->text();
    const FilterResult result =
        m_number ? FilterNumberText(text, m_edit->cursorPosition(), m_intDigits, m_fracDigits)
                 : FilterCharsText(text, m_edit->cursorPosition(), m_allowed);
    if (result.text == text)
        return 0;
    m_busy = true;
    m_edit->setText(result.text);
    m_edit->setCursorPosition(std::max(0, result.caret));
    m_busy = false;
    if (m_number && result.removed > 0)
        Beep();
    return result.removed;
}
