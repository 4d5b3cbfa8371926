#include "gis/RegisterValuation.h"

#include "common/TextUtils.h"
#include "gis/PlaceLayers.h"
#include "valuation/Formulas.h"

#include <QHash>
#include <QJsonArray>

#include <ogr_geometry.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <thread>

namespace {

/** Plots a thread takes at a time: small enough to share the work evenly. */
constexpr int Chunk = 8;

QString hectares(double squareMetres) {
    return valuation::Fixed(squareMetres / 10000, 4);
}

/** The use a plot is valued as; "" with the reason when it has none. */
QString useOf(const RegisterPlot& plot, const PurposeUse& lookup, const PlaceOptions& options,
              QString* reason) {
    if (!options.use.isEmpty())
        return options.use;
    if (plot.purpose.isEmpty()) {
        *reason = QStringLiteral("Ділянка не має коду цільового призначення: вкажіть "
                                 "використання (--use).");
        return QString();
    }
    if (!lookup) {
        *reason = QStringLiteral("Для цільового призначення «%1» використання не задано: вкажіть "
                                 "його (--use).")
                      .arg(plot.purpose);
        return QString();
    }
    const QString use = lookup(plot.purpose, reason);
    if (use.isEmpty() && reason->isEmpty())
        *reason = QStringLiteral("Цільовому призначенню «%1» не відповідає жодне використання.")
                      .arg(plot.purpose);
    return use;
}

void valueOne(const PlaceLayers& layers, const PlaceSources& sources, const RegisterPlot& plot,
              const PurposeUse& lookup, const PlaceOptions& options, ValuedPlot& out) {
    out = ValuedPlot();
    out.notes = plot.notes;
    if (!plot.geometry) {
        out.reason = plot.reason.isEmpty() ? QStringLiteral("Ділянка не має межі.") : plot.reason;
        return;
    }
    PlotSplit split = layers.split(*plot.geometry);
    out.drawnHa = hectares(split.areaM2);
    out.areaHa = out.drawnHa;
    PlaceOptions asked = options;
    asked.use = useOf(plot, lookup, options, &out.reason);
    if (asked.use.isEmpty())
        return;
    if (plot.statedHa > 0) {
        const double drawnHa = split.areaM2 / 10000;
        out.areaDiffers = std::abs(drawnHa - plot.statedHa) > 0.01 * plot.statedHa;
        if (out.areaDiffers)
            out.notes << QStringLiteral("Площа за межею %1 га відрізняється від зазначеної "
                                        "%2 га більш як на 1 %.")
                             .arg(out.drawnHa, valuation::Fixed(plot.statedHa, 4));
        if (split.areaM2 > 0)
            ScaleToStatedArea(split, plot.statedHa);
    }
    OGRPoint centre;
    plot.geometry->Centroid(&centre);
    out.valued = ValuePlot(sources, split, {centre.getX(), centre.getY()}, asked, out.valuation,
                           &out.reason);
    if (out.valued) {
        out.areaHa = out.valuation.areaHa;
        out.notes << out.valuation.notes;
    }
}

} // namespace

void ScaleToStatedArea(PlotSplit& split, double statedHa) {
    const double stated = std::round(statedHa * 10000); // m², i.e. units of 0.0001 ha
    const double factor = stated / split.areaM2;
    // Joined as the value of a plot joins them, so the rounding below is the one it shows.
    std::vector<PlotPiece> joined;
    std::map<std::pair<QString, QStringList>, size_t> at;
    for (const PlotPiece& piece : split.pieces) {
        QStringList key;
        for (const FactorHit& h : piece.factors)
            key << h.layer + u'=' + h.value;
        const auto k = std::make_pair(piece.district, key);
        const auto found = at.find(k);
        if (found == at.end()) {
            at[k] = joined.size();
            joined.push_back(piece);
        } else {
            joined[found->second].areaM2 += piece.areaM2;
        }
    }
    double wanted = 0;
    std::vector<double> exact;
    for (PlotPiece& piece : joined) {
        exact.push_back(piece.areaM2 * factor);
        wanted += exact.back();
        piece.areaM2 = std::floor(exact.back());
    }
    // Whole square metres left by the rounding go to the largest remainders.
    double left = std::round(wanted);
    for (const PlotPiece& piece : joined)
        left -= piece.areaM2;
    std::vector<size_t> order(joined.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return exact[a] - joined[a].areaM2 > exact[b] - joined[b].areaM2;
    });
    for (size_t i = 0; i < order.size() && left >= 1; ++i, left -= 1)
        joined[order[i]].areaM2 += 1;
    split.pieces = std::move(joined);
    split.outsideM2 *= factor;
    split.outsideBoundaryM2 *= factor;
    split.areaM2 = stated;
}

void ValueRegister(const PlaceLayers& layers, const PlaceSources& sources,
                   const std::vector<RegisterPlot>& plots, const PurposeUse& useOf,
                   const PlaceOptions& options, std::vector<ValuedPlot>& out,
                   RegisterProgress* progress) {
    out.assign(plots.size(), ValuedPlot());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (;;) {
            const size_t first = next.fetch_add(Chunk);
            if (first >= plots.size())
                return;
            const size_t last = std::min(plots.size(), first + Chunk);
            for (size_t i = first; i < last; ++i) {
                if (progress && progress->stop) {
                    out[i].reason = QStringLiteral("Оцінку зупинено.");
                    continue;
                }
                valueOne(layers, sources, plots[i], useOf, options, out[i]);
            }
            if (progress)
                progress->done += static_cast<int>(last - first);
        }
    };
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t helpers = std::min(cores, plots.size() / (4 * Chunk) + 1) - 1;
    std::vector<std::thread> threads;
    for (size_t t = 0; t < helpers; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
    // A plot given twice would be counted twice in the totals: both say so.
    QHash<QString, size_t> first;
    for (size_t i = 0; i < plots.size(); ++i) {
        const QString& number = plots[i].cadastral;
        if (number.isEmpty())
            continue;
        const auto found = first.constFind(number);
        if (found == first.constEnd()) {
            first.insert(number, i);
            continue;
        }
        const QString note = QStringLiteral("Кадастровий номер %1 повторюється (%2 і %3).")
                                 .arg(number, plots[*found].source, plots[i].source);
        if (!out[*found].notes.contains(note))
            out[*found].notes << note;
        out[i].notes << note;
    }
}

QString PlotValuePerSqM(const ValuedPlot& plot) {
    if (!plot.valued)
        return QString();
    const std::vector<PlaceFigures>& parts = plot.valuation.parts;
    if (parts.size() == 1)
        return parts[0].valuePerSqM;
    const double m2 = NumberOr0(plot.valuation.areaHa) * 10000;
    return m2 > 0 ? valuation::Fixed(NumberOr0(plot.valuation.value) / m2, 2) : QString();
}

RegisterTotals TotalsOf(const std::vector<RegisterPlot>& plots,
                        const std::vector<ValuedPlot>& valued) {
    RegisterTotals t;
    double value = 0, indexed = 0, stated = 0, drawn = 0, tax = 0;
    bool anyIndexed = false, anyTax = false;
    for (size_t i = 0; i < valued.size(); ++i) {
        const ValuedPlot& v = valued[i];
        drawn += NumberOr0(v.drawnHa);
        if (i < plots.size())
            stated += plots[i].statedHa;
        if (!v.valued) {
            ++t.notValued;
            continue;
        }
        ++t.valued;
        value += NumberOr0(v.valuation.value);
        if (!v.tax.isEmpty()) {
            anyTax = true;
            tax += NumberOr0(v.tax);
        }
        if (!v.valuation.indexedValue.isEmpty()) {
            anyIndexed = true;
            indexed += NumberOr0(v.valuation.indexedValue);
        }
    }
    t.value = valuation::Fixed(value, 2);
    t.indexedValue = anyIndexed ? valuation::Fixed(indexed, 2) : QString();
    t.statedHa = valuation::Fixed(stated, 4);
    t.drawnHa = valuation::Fixed(drawn, 4);
    t.tax = anyTax ? valuation::Fixed(tax, 2) : QString();
    return t;
}

QJsonObject RegisterJson(const std::vector<RegisterPlot>& plots,
                         const std::vector<ValuedPlot>& valued) {
    QJsonArray list;
    for (size_t i = 0; i < plots.size() && i < valued.size(); ++i) {
        const RegisterPlot& p = plots[i];
        const ValuedPlot& v = valued[i];
        QJsonObject o{{QStringLiteral("cadastral"), p.cadastral},
                      {QStringLiteral("purpose"), p.purpose},
                      {QStringLiteral("source"), p.source},
                      {QStringLiteral("use"), v.valuation.use},
                      {QStringLiteral("areaHa"), v.areaHa},
                      {QStringLiteral("statedAreaHa"),
                       p.statedHa > 0 ? valuation::Fixed(p.statedHa, 4) : QString()},
                      {QStringLiteral("drawnAreaHa"), v.drawnHa},
                      {QStringLiteral("areaDiffers"), v.areaDiffers},
                      {QStringLiteral("valuePerSqM"), PlotValuePerSqM(v)},
                      {QStringLiteral("value"), v.valued ? v.valuation.value : QString()},
                      {QStringLiteral("indexedValue"), v.valuation.indexedValue},
                      {QStringLiteral("parts"),
                       v.valued ? PlaceValuationJson(v.valuation).value(QStringLiteral("parts"))
                                : QJsonArray()},
                      {QStringLiteral("reason"), v.reason}};
        if (!v.notes.isEmpty())
            o.insert(QStringLiteral("notes"), QJsonArray::fromStringList(v.notes));
        if (!v.tax.isEmpty()) {
            o.insert(QStringLiteral("taxRate"), v.taxRate);
            o.insert(QStringLiteral("tax"), v.tax);
        }
        list.append(o);
    }
    const RegisterTotals t = TotalsOf(plots, valued);
    QJsonObject all{{QStringLiteral("plots"), list},
                    {QStringLiteral("valued"), t.valued},
                    {QStringLiteral("notValued"), t.notValued},
                    {QStringLiteral("total"), t.value},
                    {QStringLiteral("indexedTotal"), t.indexedValue}};
    if (!t.tax.isEmpty())
        all.insert(QStringLiteral("taxTotal"), t.tax);
    return all;
}

QStringList RegisterLines(const std::vector<RegisterPlot>& plots,
                          const std::vector<ValuedPlot>& valued) {
    QStringList lines;
    for (size_t i = 0; i < plots.size() && i < valued.size(); ++i) {
        const RegisterPlot& p = plots[i];
        const ValuedPlot& v = valued[i];
        const QString name = p.cadastral.isEmpty() ? p.source : p.cadastral;
        if (!v.valued) {
            lines << QStringLiteral("%1: не оцінено: %2").arg(name, v.reason);
            continue;
        }
        QString line =
            QStringLiteral("%1: %2 га, %3, 1 м² %4 грн, вартість %5 грн")
                .arg(name, v.areaHa, v.valuation.use, PlotValuePerSqM(v), v.valuation.value);
        if (!v.valuation.indexedValue.isEmpty())
            line += QStringLiteral(", у %1 році %2 грн")
                        .arg(v.valuation.toYear)
                        .arg(v.valuation.indexedValue);
        if (!v.tax.isEmpty())
            line += QStringLiteral(", податок %1 грн (%2 %)").arg(v.tax, v.taxRate);
        if (v.areaDiffers)
            line += QStringLiteral(" (площа за межею %1 га)").arg(v.drawnHa);
        lines << line;
    }
    const RegisterTotals t = TotalsOf(plots, valued);
    lines << QStringLiteral("Оцінено ділянок: %1; не оцінено: %2; разом %3 грн")
                 .arg(t.valued)
                 .arg(t.notValued)
                 .arg(t.value);
    return lines;
}
