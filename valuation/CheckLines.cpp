#include "valuation/Check.h"

#include "common/TextUtils.h"
#include "valuation/StepNames.h"

#include <cmath>

namespace valuation {

namespace {

/** "56.69 (В 23.62, Км1 1.200)"; the value alone without inputs. */
QString WithInputs(const QString& value, const QString& inputs) {
    return inputs.isEmpty() ? ShownValue(value)
                            : ShownValue(value) + QStringLiteral(" (") + inputs + u')';
}

/** A typed value without its step. */
QString TypedText(const TypedValue& t) {
    QString text = t.what + QStringLiteral(": уведено оцінювачем ") + ShownValue(t.value);
    if (t.changed)
        return text + QStringLiteral("; обчислене значення змінилося: було ") +
               WithInputs(t.computedThen, t.inputsThen) + QStringLiteral(", тепер ") +
               WithInputs(t.computedNow, t.inputsNow) +
               QStringLiteral("; перевірте його і збережіть крок знову");
    return text + QStringLiteral(", обчислене значення ") + WithInputs(t.computedNow, t.inputsNow);
}

} // namespace

bool SameValue(const QString& a, const QString& b) {
    if (a.trimmed() == b.trimmed())
        return true;
    const std::optional<double> x = ParseNumber(a), y = ParseNumber(b);
    return x && y && std::fabs(*x - *y) < 1e-9;
}

QString ShownValue(const QString& text) {
    return text.isEmpty() ? QStringLiteral("(порожньо)") : text;
}

bool CheckResult::typedChanged() const {
    for (const TypedValue& t : typed)
        if (t.changed)
            return true;
    return false;
}

bool CheckResult::isStale(Step step) const {
    for (const StaleValue& v : stale)
        if (v.step == step)
            return true;
    for (const Problem& p : problems)
        if (p.step == step)
            return true;
    for (const Problem& p : mapChanges)
        if (p.step == step)
            return true;
    return false;
}

QStringList CheckResult::reasons(Step step) const {
    QStringList lines;
    for (const StaleValue& v : stale)
        if (v.step == step)
            lines << v.what + QStringLiteral(": збережено ") + ShownValue(v.stored) +
                         QStringLiteral(", перераховано ") + ShownValue(v.computed);
    for (const Problem& p : problems)
        if (p.step == step)
            lines << p.text;
    for (const Problem& p : mapChanges)
        if (p.step == step)
            lines << p.text;
    for (const TypedValue& t : typed)
        if (t.step == step && t.changed)
            lines << TypedText(t);
    return lines;
}

QString StaleLine(const StaleValue& v) {
    return Quoted(StepCaption(v.step)) + QStringLiteral(": ") + v.what +
           QStringLiteral(": збережено ") + ShownValue(v.stored) +
           QStringLiteral(", перераховано ") + ShownValue(v.computed);
}

QString ProblemLine(const Problem& p) {
    return Quoted(StepCaption(p.step)) + QStringLiteral(": ") + p.text;
}

QString MapLine(const Problem& p) {
    return u'\u00ab' + StepCaption(p.step) + QStringLiteral("\u00bb: ") + p.text;
}

QStringList CheckLines(const CheckResult& result) {
    QStringList lines;
    for (const StaleValue& v : result.stale)
        lines << StaleLine(v);
    for (const Problem& p : result.problems)
        lines << ProblemLine(p);
    for (const Problem& p : result.mapChanges)
        lines << MapLine(p);
    for (const TypedValue& t : result.typed)
        if (t.changed)
            lines << TypedLine(t);
    return lines;
}

QString TypedLine(const TypedValue& t) {
    return Quoted(StepCaption(t.step)) + QStringLiteral(": ") + TypedText(t);
}

QStringList NoteLines(const CheckResult& result) {
    QStringList lines;
    for (const TypedValue& t : result.typed)
        if (!t.changed)
            lines << QStringLiteral("примітка: ") + TypedLine(t);
    for (const Problem& p : result.mapNotes)
        lines << QStringLiteral("примітка: ") + MapLine(p);
    return lines;
}

QString RecalcLine(const StaleValue& v) {
    return Quoted(StepCaption(v.step)) + QStringLiteral(": ") + v.what + QStringLiteral(": ") +
           ShownValue(v.stored) + QStringLiteral(" → ") + ShownValue(v.computed);
}

} // namespace valuation
