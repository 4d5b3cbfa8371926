#include "reports/ReportMaps.h"

#include "common/FileUtils.h"
#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "map/Layer.h"
#include "map/MapGlobal.h"
#include "map/PngEncoder.h"
#include "office/Document.h"
#include "reports/ReportData.h"
#include "valuation/LandUse.h"
#include "valuation/Names.h"
#include "valuation/Settlement.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>

namespace reports {

namespace {

/** The picture of a page: the text width of the report's A4 page, nearly its height. */
constexpr double kPageWidthMm = 165;
constexpr double kPageHeightMm = 238;
constexpr int kDpi = 200;

QString LayerLeftOut(const QString& layer) {
    return QStringLiteral("у папці населеного пункту немає шару «%1»").arg(layer);
}

/** A layer of the settlement folder and, when it cannot be drawn, why. */
struct FolderLayer {
    std::unique_ptr<Layer> layer;
    QString why;
    const FeatureList* features() const { return layer ? &layer->features() : nullptr; }
};

/** Opens "<folder>/<name>.tab"; a missing, unreadable or empty table says why. */
FolderLayer OpenFolderLayer(const QString& folder, const QString& name) {
    FolderLayer out;
    const QString path = JoinPath(folder, name + QStringLiteral(".tab"));
    if (folder.isEmpty() || !QFileInfo::exists(path)) {
        out.why = LayerLeftOut(name);
        return out;
    }
    QString error;
    out.layer = Layer::open(path, name, &error);
    if (!out.layer)
        out.why = QStringLiteral("шар «%1» не прочитано: %2").arg(name, error.simplified());
    else if (out.layer->featureCount() == 0)
        out.why = QStringLiteral("на шарі «%1» немає жодного об'єкта").arg(name);
    return out;
}

QString FieldText(const Feature& f, std::initializer_list<QString> names) {
    for (const QString& name : names) {
        QString value;
        if (f.value(name, &value))
            return value.trimmed();
    }
    return QString();
}

QColor Rgb(unsigned rgb, int alpha = 255) {
    QColor c = QColor::fromRgb(rgb);
    c.setAlpha(alpha);
    return c;
}

/** The settlement's boundary, drawn over everything else. */
PrintLayer BoundaryLayer(const FolderLayer& boundary) {
    PrintLayer l;
    l.features = boundary.features();
    l.symbol = [](const Feature&) {
        PrintSymbol s;
        s.fill = Qt::transparent;
        s.outline = Rgb(0xC00000);
        s.outlineMm = 0.6;
        return s;
    };
    return l;
}

LegendItem BoundaryLegend() {
    PrintSymbol s;
    s.fill = Qt::transparent;
    s.outline = Rgb(0xC00000);
    s.outlineMm = 0.6;
    return {s, QStringLiteral("Межа населеного пункту")};
}

/** The districts outlined with their numbers. */
PrintLayer DistrictLayer(const FolderLayer& districts, const QColor& colour, double labelPt,
                         int priority) {
    PrintLayer l;
    l.features = districts.features();
    l.symbol = [colour](const Feature&) {
        PrintSymbol s;
        s.fill = Qt::transparent;
        s.outline = colour;
        s.outlineMm = 0.25;
        return s;
    };
    l.label = [](const Feature& f) { return FieldText(f, {names::field::Raion()}); };
    l.labelPt = labelPt;
    l.labelColor = colour;
    l.labelPriority = priority;
    return l;
}

LegendItem DistrictLegend(const QColor& colour) {
    PrintSymbol s;
    s.fill = Qt::transparent;
    s.outline = colour;
    s.outlineMm = 0.25;
    return {s, QStringLiteral("Межа оціночного району та його номер")};
}

/** The background every map shares: the districts (when present) and the boundary. */
void AddBackground(PrintMapPage& page, const FolderLayer& districts, const FolderLayer& boundary,
                   const QColor& districtColour, double districtPt, int districtPriority) {
    if (districts.layer) {
        page.layers.push_back(
            DistrictLayer(districts, districtColour, districtPt, districtPriority));
        page.legend.push_back(DistrictLegend(districtColour));
    }
    if (boundary.layer) {
        page.layers.push_back(BoundaryLayer(boundary));
        page.legend.push_back(BoundaryLegend());
    }
}

/** Colours of areas that sit side by side (zones, soils): light, told apart easily. */
QColor AreaColour(int index) {
    static const unsigned colours[] = {0xF4A582, 0xFEE08B, 0xD9EF8B, 0x92C5DE, 0xC2A5CF, 0xF1B6DA,
                                       0xA6DBA0, 0xFDB863, 0xB2ABD2, 0xE6F598, 0x80CDC1, 0xDFC27D};
    return Rgb(colours[static_cast<size_t>(index) % std::size(colours)]);
}

/** What every map is drawn from: the settlement, its model and the layers they share. */
struct MapInputs {
    const ReportContext& context;
    const valuation::Settlement& settlement;
    const FolderLayer& districts;
    const FolderLayer& boundary;
    /** What the maps read of the catalogue, read before drawing (the maps draw in threads). */
    std::vector<LocalFactorName> factorNames;
    QHash<QString, QString> soilNames;
};

/** A page of the report's size for the map of that title. */
PrintMapPage StartPage(const ReportContext& context, const QString& title) {
    PrintMapPage page;
    page.title = title + u'\n' + context.settlementName;
    page.paperMm = QSizeF(kPageWidthMm, kPageHeightMm);
    page.dpi = kDpi;
    return page;
}

void ZoneMap(const MapInputs& in, AppendixMap& out) {
    const ReportContext& context = in.context;
    const FolderLayer zones = OpenFolderLayer(context.folder, names::layer::Zones());
    if (!zones.why.isEmpty()) {
        out.leftOut = zones.why;
        return;
    }
    const valuation::Settlement& settlement = in.settlement;
    QStringList numbers;
    for (const Feature& f : zones.layer->features()) {
        const QString zone = FieldText(f, {names::field::Zona()});
        if (!numbers.contains(zone))
            numbers << zone;
    }
    std::sort(numbers.begin(), numbers.end(), valuation::ZoneNumberBefore);

    PrintMapPage page = StartPage(context, out.title);
    page.subtitle = QStringLiteral("Економіко-планувальні зони з вартістю 1 м² земель, оціночні "
                                   "райони з їхніми номерами");
    PrintLayer zoneLayer;
    zoneLayer.features = zones.features();
    zoneLayer.symbol = [numbers](const Feature& f) {
        PrintSymbol s;
        s.fill =
            AreaColour(static_cast<int>(numbers.indexOf(FieldText(f, {names::field::Zona()}))));
        s.outline = Rgb(0x202020);
        s.outlineMm = 0.5;
        return s;
    };
    zoneLayer.label = [&settlement](const Feature& f) {
        const QString zone = FieldText(f, {names::field::Zona()});
        const valuation::Zone* model = settlement.zone(zone);
        const QString value = model ? model->value : QString();
        QString text = QStringLiteral("Зона ") + zone;
        if (!value.isEmpty())
            text += QStringLiteral("\n") + value + QStringLiteral(" грн/м²");
        return text;
    };
    zoneLayer.labelPt = 9;
    zoneLayer.labelBold = true;
    zoneLayer.labelPriority = 2;
    page.layers.push_back(zoneLayer);
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        PrintSymbol s;
        s.fill = AreaColour(static_cast<int>(i));
        s.outline = Rgb(0x202020);
        s.outlineMm = 0.5;
        const valuation::Zone* v = settlement.zone(numbers[i]);
        QString text = QStringLiteral("Зона ") + numbers[i];
        if (v && !v->value.isEmpty())
            text += QStringLiteral(": ") + v->value + QStringLiteral(" грн за 1 м²");
        if (v && !v->km2.isEmpty())
            text += QStringLiteral(" (Км2 ") + v->km2 + u')';
        page.legend.push_back({s, text});
    }
    AddBackground(page, in.districts, in.boundary, Rgb(0x303030), 6.5, 1);
    out.printed = RenderPrintMap(page);
}

/** A local-factor layer of the folder and the factor it carries. */
struct FactorLayer {
    int factor = 0;
    std::unique_ptr<Layer> layer;
};

void LocalFactorMap(const MapInputs& in, AppendixMap& out) {
    const ReportContext& context = in.context;
    std::vector<FactorLayer> layers;
    QStringList unreadable;
    if (!context.folder.isEmpty()) {
        for (const QString& file : ListFiles(context.folder, QStringLiteral("*.tab"), false)) {
            const QString name = LayerNameOf(file);
            const int factor = LocalLayerFactor(name);
            if (!name.startsWith(QStringLiteral("лок")) || factor <= 0)
                continue;
            QString error;
            auto layer = Layer::open(JoinPath(context.folder, file), name, &error);
            if (!layer)
                unreadable << name;
            else if (layer->featureCount() > 0)
                layers.push_back({factor, std::move(layer)});
        }
    }
    if (layers.empty()) {
        out.leftOut = unreadable.isEmpty()
                          ? QStringLiteral("у папці населеного пункту немає шарів локальних "
                                           "факторів «лок…» з об'єктами")
                          : QStringLiteral("шари «%1» не прочитано")
                                .arg(unreadable.join(QStringLiteral("», «")));
        return;
    }
    std::stable_sort(layers.begin(), layers.end(), [](const FactorLayer& a, const FactorLayer& b) {
        return a.factor < b.factor;
    });
    const std::vector<LocalFactorName>& names = in.factorNames;

    PrintMapPage page = StartPage(context, out.title);
    page.subtitle = QStringLiteral("Зони дії локальних факторів і значення їхніх коефіцієнтів");
    static const unsigned colours[] = {0xE41A1C, 0x377EB8, 0x4DAF4A, 0x984EA3, 0xFF7F00,
                                       0xA65628, 0xF781BF, 0x1B9E77, 0x7570B3, 0x666666};
    static const Qt::BrushStyle patterns[] = {Qt::BDiagPattern, Qt::FDiagPattern,
                                              Qt::HorPattern,   Qt::VerPattern,
                                              Qt::CrossPattern, Qt::DiagCrossPattern};
    std::vector<PrintLayer> factorLayers;
    for (size_t i = 0; i < layers.size(); ++i) {
        PrintSymbol s;
        s.fill = Rgb(colours[i % std::size(colours)]);
        s.pattern = patterns[i % std::size(patterns)];
        s.outline = s.fill;
        s.outlineMm = 0.4;
        PrintLayer l;
        l.features = &layers[i].layer->features();
        l.symbol = [s](const Feature&) { return s; };
        l.label = [](const Feature& f) { return FieldText(f, {names::field::Km3()}); };
        l.labelPt = 6.5;
        l.labelBold = true;
        l.labelColor = s.fill.darker(130);
        l.labelPriority = 1;
        factorLayers.push_back(l);

        double low = 0, high = 0;
        bool any = false;
        for (const Feature& f : layers[i].layer->features()) {
            if (const auto v = ParseNumber(FieldText(f, {names::field::Km3()}))) {
                low = any ? std::min(low, *v) : *v;
                high = any ? std::max(high, *v) : *v;
                any = true;
            }
        }
        const int n = layers[i].factor;
        QString text = n <= static_cast<int>(names.size()) && !names[n - 1].full.isEmpty()
                           ? names[static_cast<size_t>(n - 1)].full
                           : QStringLiteral("Фактор %1").arg(n);
        if (any)
            text += QStringLiteral(": ") + Fixed2(low) +
                    (high > low ? QStringLiteral("–") + Fixed2(high) : QString());
        page.legend.push_back({s, text});
    }
    // Factors go under the districts and the boundary, which stay readable over them.
    page.layers = factorLayers;
    AddBackground(page, in.districts, in.boundary, Rgb(0x808080), 6, 0);
    out.printed = RenderPrintMap(page);
}

/** The full names and colours of the seventeen categories, in column order (ф_1..ф_17). */
struct FunctionalLook {
    const char* name;
    unsigned colour;
};
constexpr FunctionalLook kFunctionalLooks[] = {
    {"Землі комерційного використання", 0xE31A1C},
    {"Землі житлової забудови", 0xFFE680},
    {"Землі промисловості", 0xA07CC0},
    {"Землі громадського призначення", 0xFF9F40},
    {"Землі транспорту і зв'язку", 0xBDBDBD},
    {"Землі технічної інфраструктури", 0xA6761D},
    {"Землі рекреаційного призначення", 0x74C476},
    {"Смуга відводу залізниці", 0x636363},
    {"Вулична мережа", 0xE8E8E8},
    {"Ліси", 0x238B45},
    {"Відкриті землі без рослинного покриву", 0xE6D5B8},
    {"Водна поверхня", 0x6BAED6},
    {"Присадибні ділянки особистого селянського господарства", 0xD9F0A3},
    {"Рілля", 0xD8B365},
    {"Сіножаті", 0xC7E9C0},
    {"Багаторічні насадження", 0x9E9A3C},
    {"Пасовища", 0xA1D99B},
};

void FunctionalMap(const MapInputs& in, AppendixMap& out) {
    const ReportContext& context = in.context;
    const FolderLayer functional = OpenFolderLayer(context.folder, names::layer::Functional());
    if (!functional.why.isEmpty()) {
        out.leftOut = functional.why;
        return;
    }
    const int kinds = std::min(FunctionalCategoryCount(), int(std::size(kFunctionalLooks)));
    // The category (0-based) of a region by its map code; -1 for a code of none.
    auto categoryOf = [kinds](const Feature& f) {
        const int k = FunctionalCategoryOf(FieldText(f, {names::field::Code()})) - 1;
        return k < kinds ? k : -1;
    };
    auto symbolOf = [](int k) {
        PrintSymbol s;
        s.fill = k >= 0 ? Rgb(kFunctionalLooks[k].colour) : Rgb(0xFFFFFF);
        s.outline = Rgb(0x9A9A9A);
        s.outlineMm = 0.1;
        return s;
    };
    std::vector<bool> present(static_cast<size_t>(kinds), false);
    bool other = false;
    for (const Feature& f : functional.layer->features()) {
        const int k = categoryOf(f);
        if (k >= 0)
            present[static_cast<size_t>(k)] = true;
        else
            other = true;
    }

    PrintMapPage page = StartPage(context, out.title);
    page.subtitle = QStringLiteral("Землі за категоріями функціонального використання");
    PrintLayer l;
    l.features = functional.features();
    l.symbol = [categoryOf, symbolOf](const Feature& f) { return symbolOf(categoryOf(f)); };
    page.layers.push_back(l);
    for (int k = 0; k < kinds; ++k) {
        if (present[static_cast<size_t>(k)])
            page.legend.push_back({symbolOf(k), QString::fromUtf8(kFunctionalLooks[k].name) +
                                                    QStringLiteral(" (") +
                                                    FunctionalCategories()[k].code + u')'});
    }
    if (other)
        page.legend.push_back({symbolOf(-1), QStringLiteral("Код не визначено")});
    AddBackground(page, in.districts, in.boundary, Rgb(0x202020), 6.5, 1);
    out.printed = RenderPrintMap(page);
}

/** The soil names of the catalogue by code. */
QHash<QString, QString> SoilNames(Connection* catalogue) {
    QHash<QString, QString> names;
    if (!catalogue || !catalogue->isOpen())
        return names;
    Query q(catalogue);
    if (!RunQuery(q, QStringLiteral("SELECT шифр, назва FROM грунти ORDER BY id"), true))
        return names;
    for (q.first(); !q.eof(); q.next())
        names.insert(q.text(0).trimmed(), q.text(1).trimmed());
    q.close();
    return names;
}

void SoilMap(const MapInputs& in, AppendixMap& out) {
    const ReportContext& context = in.context;
    const FolderLayer soils = OpenFolderLayer(context.folder, names::layer::Soils());
    if (!soils.why.isEmpty()) {
        out.leftOut = soils.why;
        return;
    }
    auto codeOf = [](const Feature& f) {
        return FieldText(f,
                         {names::field::Code(), QStringLiteral("Shifr"), QStringLiteral("Шифр")});
    };
    QStringList codes;
    for (const Feature& f : soils.layer->features()) {
        const QString code = codeOf(f);
        if (!codes.contains(code))
            codes << code;
    }
    std::sort(codes.begin(), codes.end(), valuation::ZoneNumberBefore);
    const QHash<QString, QString>& names = in.soilNames;
    auto symbolOf = [](int i) {
        PrintSymbol s;
        s.fill = AreaColour(i + 3);
        s.outline = Rgb(0x5A4A32);
        s.outlineMm = 0.3;
        return s;
    };

    PrintMapPage page = StartPage(context, out.title);
    page.subtitle = QStringLiteral("Ґрунти з їхніми шифрами");
    PrintLayer l;
    l.features = soils.features();
    l.symbol = [codes, symbolOf, codeOf](const Feature& f) {
        return symbolOf(static_cast<int>(codes.indexOf(codeOf(f))));
    };
    l.label = codeOf;
    l.labelPt = 9;
    l.labelBold = true;
    l.labelPriority = 1;
    page.layers.push_back(l);
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const QString name = names.value(codes[i]);
        const QString code = codes[i].isEmpty() ? QStringLiteral("без шифру") : codes[i];
        page.legend.push_back({symbolOf(static_cast<int>(i)),
                               name.isEmpty() ? code : code + QStringLiteral(" — ") + name});
    }
    if (in.boundary.layer) {
        page.layers.push_back(BoundaryLayer(in.boundary));
        page.legend.push_back(BoundaryLegend());
    }
    out.printed = RenderPrintMap(page);
}

} // namespace

/** The maps of a run: their inputs, read on the calling thread, and the threads drawing them. */
struct AppendixMapDrawing::Work {
    using Draw = void (*)(const MapInputs&, AppendixMap&);
    static constexpr std::pair<Draw, const char*> kMaps[] = {
        {ZoneMap, "Карта-схема економіко-планувального зонування території"},
        {LocalFactorMap, "Карта-схема локальних факторів"},
        {FunctionalMap, "Карта-схема функціонального використання земель"},
        {SoilMap, "Карта-схема агровиробничих груп ґрунтів"},
    };
    static constexpr size_t kCount = std::size(kMaps);
    /**
     * The order the maps are begun in: the longest first (the functional use has the most
     * regions), so the last map begun is a short one and both cores end near together.
     */
    static constexpr size_t kDrawOrder[kCount] = {2, 0, 1, 3};

    Work(const ReportContext& given, const valuation::Settlement& settlement, bool encode)
        : context(given), inputs{context,
                                 settlement,
                                 districts,
                                 boundary,
                                 ReadLocalFactorNames(context.catalogue),
                                 SoilNames(context.catalogue)},
          encode(encode) {}

    void drawOne(size_t i) {
        // The layers every map shows are read once, by the first map begun.
        std::call_once(backgroundRead, [this] {
            districts = OpenFolderLayer(context.folder, names::layer::Districts());
            boundary = OpenFolderLayer(context.folder, names::layer::Boundary());
        });
        AppendixMap& map = out[i];
        map.title = QString::fromUtf8(kMaps[i].second);
        if (stop)
            map.leftOut = QStringLiteral("заповнення зупинено");
        else
            kMaps[i].first(inputs, map);
        if (map.leftOut.isEmpty() && map.printed.scale == 0)
            map.leftOut = QStringLiteral("на шарах немає жодного об'єкта з формою");
        if (!map.leftOut.isEmpty())
            map.printed.image = QImage();
        else if (encode) {
            map.png = EncodeFlatPng(map.printed.image);
            map.printed.image = QImage();
        }
        done[i].set_value();
    }

    /** Each core draws (and encodes) the next map not taken: the maps are independent pages. */
    void start() {
        const auto work = [this] {
            for (size_t n = next++; n < kCount; n = next++)
                drawOne(kDrawOrder[n]);
        };
        const size_t workers = std::min<size_t>(kCount, std::max(1, QThread::idealThreadCount()));
        // Qt threads: text is laid out through per-thread font caches Qt keeps for its own threads.
        for (size_t t = 0; t < workers; ++t) {
            threads.emplace_back(QThread::create(work));
            threads.back()->start();
        }
    }

    void join() {
        for (const std::unique_ptr<QThread>& thread : threads)
            thread->wait();
        threads.clear();
    }

    const ReportContext context;
    FolderLayer districts;
    FolderLayer boundary;
    std::once_flag backgroundRead;
    const MapInputs inputs;
    const bool encode;
    std::vector<AppendixMap> out = std::vector<AppendixMap>(kCount);
    std::vector<std::promise<void>> done = std::vector<std::promise<void>>(kCount);
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    std::vector<std::unique_ptr<QThread>> threads;
    bool taken = false;
};

AppendixMapDrawing::AppendixMapDrawing(const ReportContext& context,
                                       const valuation::Settlement& settlement, bool encode)
    : m_work(std::make_unique<Work>(context, settlement, encode)) {
    m_work->start();
}

AppendixMapDrawing::~AppendixMapDrawing() {
    // Maps not begun are not drawn for nobody; those being drawn are waited for.
    m_work->stop = true;
    m_work->join();
}

std::vector<AppendixMap> AppendixMapDrawing::take(JobProgress& progress,
                                                  const std::function<void(AppendixMap&)>& drawn) {
    Work& w = *m_work;
    if (w.taken)
        return {};
    w.taken = true;
    if (progress.stopRequested())
        w.stop = true;
    for (size_t i = 0; i < Work::kCount; ++i) {
        std::future<void> ready = w.done[i].get_future();
        while (ready.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            progress.processEvents();
            if (progress.stopRequested())
                w.stop = true;
        }
        // After a stop no map goes in, though one drawn ahead may be ready: what the report
        // holds does not depend on how far the drawing got.
        if (w.stop) {
            w.out[i].leftOut = QStringLiteral("заповнення зупинено");
            w.out[i].printed.image = QImage();
            w.out[i].png.clear();
        }
        if (drawn)
            drawn(w.out[i]);
        progress.stepProgress();
        progress.processEvents();
        if (progress.stopRequested())
            w.stop = true;
    }
    w.join();
    return std::move(w.out);
}

std::vector<AppendixMap> DrawAppendixMaps(const ReportContext& context,
                                          const valuation::Settlement& settlement,
                                          JobProgress& progress,
                                          const std::function<void(AppendixMap&)>& drawn,
                                          bool encode) {
    AppendixMapDrawing drawing(context, settlement, encode);
    return drawing.take(progress, drawn);
}

namespace {

/** "Карта-схема" as an object of "не додано": "карту-схему". */
QString Accusative(const QString& title) {
    QString text = title;
    if (text.startsWith(QStringLiteral("Карта-схема")))
        text.replace(0, 11, QStringLiteral("карту-схему"));
    return text;
}

QString LowerFirst(const QString& text) {
    return text.isEmpty() ? text : text.left(1).toLower() + text.mid(1);
}

} // namespace

void FillAppendixMaps(WordDocument& document, const ReportContext& context,
                      const valuation::Settlement& settlement, JobProgress& progress) {
    const bool list = document.hasBookmark(QStringLiteral("MAPLIST"));
    const bool pages = document.hasBookmark(QStringLiteral("MAPS"));
    if (!list && !pages)
        return;
    if (context.maps && context.beforeMapsTaken)
        context.beforeMapsTaken(progress);
    progress.setInfo(QStringLiteral("Експорт: карти-схеми..."));
    progress.setProgress(4, 0);
    // Each picture goes into the document as soon as it is drawn: one page of pixels at a time.
    std::vector<QString> pictures;
    const auto intoDocument = [&](AppendixMap& map) {
        pictures.push_back(map.png.isEmpty() || !pages ? QString() : document.addPicture(map.png));
        map.png.clear();
    };
    // Maps begun ahead by the run are taken as they are; otherwise they are drawn now.
    const std::vector<AppendixMap> maps =
        context.maps ? context.maps->take(progress, intoDocument)
                     : DrawAppendixMaps(context, settlement, progress, intoDocument, true);
    // Appendices are lettered as the national standard letters them.
    static const QString letters = QStringLiteral("АБВГДЕЖИКЛМН");
    std::vector<WordParagraph> items;
    std::vector<WordParagraph> sheets;
    int drawn = 0;
    for (size_t i = 0; i < maps.size(); ++i) {
        const AppendixMap& map = maps[i];
        WordParagraph item;
        if (!map.leftOut.isEmpty() || map.printed.scale == 0) {
            item.text = QStringLiteral("–\t") + Accusative(map.title) +
                        QStringLiteral(" не додано: ") + map.leftOut;
            items.push_back(item);
            continue;
        }
        const QString letter = letters.mid(drawn++ % letters.size(), 1);
        item.text = QStringLiteral("–\tдодаток ") + letter + QStringLiteral(" — ") +
                    LowerFirst(map.title) + QStringLiteral(" (масштаб ") +
                    ScaleText(map.printed.scale) + u')';
        items.push_back(item);
        if (!pages)
            continue;
        WordParagraph heading;
        heading.text = QStringLiteral("Додаток ") + letter;
        heading.bold = true;
        heading.alignRight = true;
        heading.pageBreakBefore = true;
        sheets.push_back(heading);
        WordParagraph picture;
        picture.text = map.title + u' ' + context.settlementName;
        picture.pictureId = pictures[i];
        picture.pictureMm = QSizeF(kPageWidthMm, kPageHeightMm);
        sheets.push_back(picture);
    }
    for (size_t i = 0; i < items.size(); ++i)
        items[i].text += i + 1 == items.size() ? u'.' : u';';
    if (list)
        document.replaceBookmarkParagraph(QStringLiteral("MAPLIST"), items);
    if (pages)
        document.replaceBookmarkParagraph(QStringLiteral("MAPS"), sheets);
}

} // namespace reports
