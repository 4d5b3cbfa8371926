#include "gis/LayerKinds.h"

#include "valuation/Names.h"

#include <QRegularExpression>
#include <algorithm>
#include <functional>

namespace {

TargetField field(const QString& name, const char* caption, FieldRole role, bool required, bool key,
                  int width, QStringList aliases) {
    return {name, QString::fromUtf8(caption), role, required, key, width, std::move(aliases)};
}

QStringList words(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* w : list)
        out << QString::fromUtf8(w);
    return out;
}

bool fits(FieldRole role, bool key, FieldKind type) {
    if (key)
        return type == FieldKind::Integer;
    return role == FieldRole::Text ? type == FieldKind::Char : type == FieldKind::Float;
}

} // namespace

const std::vector<LayerKindInfo>& LayerKinds() {
    static const std::vector<LayerKindInfo> kinds{
        {LayerKind::Boundary,
         names::layer::Boundary(),
         {field(QStringLiteral("Nazva"), "назва", FieldRole::Text, false, false, 100,
                words({"name", "назва", "title", "naimenuv"}))}},
        {LayerKind::Districts,
         names::layer::Districts(),
         {field(
              names::field::Raion(), "номер району", FieldRole::Number, true, true, 10,
              words({"raion", "rajon", "rayon", "district", "район", "номер", "nomer", "number"})),
          field(names::field::Zona(), "номер зони", FieldRole::Number, false, true, 10,
                words({"zona", "zone", "зона"})),
          field(names::field::Km3Mean(), "Км3 району", FieldRole::Number, false, false, 20,
                words({"km3_sr", "km3", "км3"}))}},
        {LayerKind::Zones,
         names::layer::Zones(),
         {field(names::field::Zona(), "номер зони", FieldRole::Number, true, true, 10,
                words({"zona", "zone", "зона", "номер", "nomer", "number"})),
          field(names::field::Price(), "вартість 1 м², грн", FieldRole::Number, false, false, 20,
                words({"cena", "cina", "ціна", "price", "вартість", "vartist"})),
          field(names::field::Km2(), "Км2", FieldRole::Number, false, false, 20,
                words({"km2", "км2"}))}},
        {LayerKind::Functional,
         names::layer::Functional(),
         {field(names::field::Code(), "код використання", FieldRole::Text, true, false, 10,
                words({"code", "kod", "код", "landuse", "use", "funk", "func", "категорія"}))}},
        {LayerKind::Soils,
         names::layer::Soils(),
         {field(names::field::Code(), "шифр агрогрупи", FieldRole::Text, true, false, 10,
                words({"code", "kod", "код", "шифр", "shyfr", "agro", "soil", "grunt"})),
          field(QStringLiteral("Bonitet"), "бал бонітету", FieldRole::Number, false, false, 10,
                words({"bonitet", "бонітет", "bal", "бал", "score"}))}},
        {LayerKind::LocalFactor,
         QStringLiteral("лок"),
         {field(names::field::Km3(), "коефіцієнт фактора", FieldRole::Coefficient, true, false, 20,
                words({"km3", "км3", "koef", "coef", "коеф", "value", "значення"}))}},
    };
    return kinds;
}

const LayerKindInfo& LayerKindOf(LayerKind kind) {
    for (const LayerKindInfo& info : LayerKinds())
        if (info.kind == kind)
            return info;
    return LayerKinds().front();
}

bool ParseLayerTarget(const QString& text, LayerTarget& target, QString* error) {
    QString word = text.trimmed().toLower();
    word.replace(u'ґ', u'г');
    static const QRegularExpression local(QStringLiteral("^лок\\s*0*(\\d{1,2})$"));
    if (const QRegularExpressionMatch m = local.match(word); m.hasMatch()) {
        const int factor = m.captured(1).toInt();
        if (factor >= 1) {
            target = {LayerKind::LocalFactor, factor};
            return true;
        }
    }
    for (const LayerKindInfo& info : LayerKinds()) {
        if (info.kind != LayerKind::LocalFactor && word == info.word) {
            target = {info.kind, 0};
            return true;
        }
    }
    if (error)
        *error = QStringLiteral("Невідомий вид шару \"%1\": межі, райони, зони, функціональне, "
                                "грунти або лок з номером фактора від 1 до 99 (лок07).")
                     .arg(text.trimmed());
    return false;
}

QString LayerFileBase(const LayerTarget& target) {
    const QString& word = LayerKindOf(target.kind).word;
    if (target.kind == LayerKind::LocalFactor)
        return word + QStringLiteral("%1").arg(target.factor, 2, 10, QChar(u'0'));
    return word;
}

std::optional<LayerTarget> LayerTargetOf(const QString& layerName) {
    LayerTarget target;
    if (ParseLayerTarget(layerName, target, nullptr))
        return target;
    return std::nullopt;
}

QString LayerTargetCaption(const LayerTarget& target) {
    if (target.kind == LayerKind::LocalFactor)
        return QStringLiteral("лок, фактор %1").arg(target.factor);
    return LayerKindOf(target.kind).word;
}

FieldMapping GuessFieldMapping(const LayerKindInfo& kind, const std::vector<SourceField>& fields) {
    FieldMapping mapping;
    QStringList used;
    auto take = [&](const TargetField& target, const SourceField& source) {
        mapping[target.name] = source.name;
        used << source.name;
    };
    auto free = [&](const SourceField& f) { return !used.contains(f.name); };
    // Each pass over every target field, so an exact name is never taken by a looser match.
    const std::vector<std::function<bool(const TargetField&, const QString&)>> passes{
        [](const TargetField& t, const QString& n) { return n == t.name.toLower(); },
        [](const TargetField& t, const QString& n) { return t.aliases.contains(n); },
        [](const TargetField& t, const QString& n) {
            return std::any_of(t.aliases.begin(), t.aliases.end(),
                               [&n](const QString& a) { return a.size() >= 3 && n.contains(a); });
        }};
    for (const auto& matches : passes) {
        for (const TargetField& target : kind.fields) {
            if (mapping.count(target.name))
                continue;
            for (const SourceField& source : fields) {
                if (free(source) && matches(target, source.name.toLower())) {
                    take(target, source);
                    break;
                }
            }
        }
    }
    for (const TargetField& target : kind.fields) {
        if (mapping.count(target.name) || !target.required)
            continue;
        std::vector<const SourceField*> fitting;
        for (const SourceField& source : fields)
            if (free(source) && fits(target.role, target.key, source.type))
                fitting.push_back(&source);
        if (fitting.size() == 1)
            take(target, *fitting.front());
    }
    for (const TargetField& target : kind.fields)
        mapping.try_emplace(target.name, QString());
    return mapping;
}
