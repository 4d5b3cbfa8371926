#include "tools/demo/DemoSettlement.h"
#include "tools/demo/DemoSteps.h"

#include "common/FileUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "map/FeatureFactory.h"
#include "map/TabFile.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <map>
#include <numbers>

namespace {

// The settlement's boundary rectangle, in metres of the numeric coordinate system.
constexpr double X0 = 5000;
constexpr double Y0 = 8000;
constexpr double W = 4000;
constexpr double H = 3000;

// A small linear congruential generator so every run gives the same values.
class Sequence {
public:
    explicit Sequence(quint32 seed) : m_state(seed) {}
    quint32 next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    double unit() { return (next() % 10000) / 10000.0; }

private:
    quint32 m_state;
};

Feature Rect(double x, double y, double w, double h) {
    return FeatureFactory::createRegion({{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}});
}

Feature Octagon(double cx, double cy, double r) {
    std::vector<QPointF> ring;
    for (int i = 0; i < 8; ++i) {
        const double a = std::numbers::pi / 8 + i * std::numbers::pi / 4;
        ring.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
    }
    return FeatureFactory::createRegion({ring});
}

FieldDef Char(const char* name, int width) {
    return FieldDef{QString::fromLatin1(name), FieldKind::Char, width, 0, false};
}

struct Table {
    std::vector<FieldDef> fields;
    FeatureList features;
};

bool WriteTable(const QString& path, Table& table, QString* error) {
    if (!TabFile::create(path, table.fields, CoordSys{}, true, QString(), error))
        return false;
    auto names = std::make_shared<QStringList>();
    for (const FieldDef& f : table.fields)
        names->append(f.name);
    std::shared_ptr<const QStringList> shared = names;
    // Values were set by position before the names were known.
    for (Feature& f : table.features) {
        const QStringList values = f.values();
        f.setFields(shared);
        for (qsizetype i = 0; i < values.size(); ++i)
            f.setValueAt(static_cast<int>(i), values[i]);
    }
    return TabFile::appendAll(path, table.features, error);
}

Feature WithValues(Feature f, const QStringList& values) {
    auto names = std::make_shared<QStringList>();
    for (qsizetype i = 0; i < values.size(); ++i)
        names->append(QString::number(i));
    f.setFields(names);
    for (qsizetype i = 0; i < values.size(); ++i)
        f.setValueAt(static_cast<int>(i), values[i]);
    return f;
}

RegionStyle Fill(int color) {
    RegionStyle s;
    s.regionColor = color;
    s.regionPattern = 2;
    s.regionBorderColor = 0x404040;
    return s;
}

// Columns and rows of a grid of exactly n cells whose shape is closest to the rectangle's.
std::pair<int, int> GridOf(int n) {
    int bestCols = n;
    double bestScore = 1e300;
    for (int cols = 1; cols <= n; ++cols) {
        if (n % cols != 0)
            continue;
        const int rows = n / cols;
        const double score = std::abs(std::log((W / cols) / (H / rows)));
        if (score < bestScore) {
            bestScore = score;
            bestCols = cols;
        }
    }
    return {bestCols, n / bestCols};
}

} // namespace

QStringList demo::functionalCodes() {
    return {QStringLiteral("К"), QStringLiteral("Ж"),  QStringLiteral("П"),  QStringLiteral("Г"),
            QStringLiteral("Т"), QStringLiteral("І"),  QStringLiteral("Р"),  QStringLiteral("З"),
            QStringLiteral("Д"), QStringLiteral("Л"),  QStringLiteral("Н"),  QStringLiteral("В"),
            QStringLiteral("О"), QStringLiteral("Рі"), QStringLiteral("Сі"), QStringLiteral("Ба"),
            QStringLiteral("Па")};
}

bool WriteDemoLayers(const QString& folder, const DemoSize& size, QString* error) {
    if (size.districts < 1 || size.districts > 999 || size.functional < 1) {
        if (error)
            *error = QStringLiteral("Розмір: від 1 до 999 районів і хоча б одна функціональна "
                                    "ділянка.");
        return false;
    }
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("Не вдалося створити папку \"%1\".").arg(folder);
        return false;
    }
    auto path = [&folder](const QString& name) { return JoinPath(folder, name + ".tab"); };

    // Boundary.
    Table bounds{{Char("Nazva", 100)}, {}};
    Feature boundary = WithValues(Rect(X0, Y0, W, H), {demo::settlementName()});
    RegionStyle none = Fill(0xFFFFFF);
    none.regionPattern = 1;
    none.regionBorderColor = 0x0000FF;
    none.regionBorderWidth = 2;
    boundary.setRegionStyle(none);
    bounds.features.push_back(boundary);
    if (!WriteTable(path(QStringLiteral("межі")), bounds, error))
        return false;

    // Districts on a grid, numbered row by row from the north-west; zones are rings
    // around the centre.
    const auto [cols, rows] = GridOf(size.districts);
    const double cw = W / cols;
    const double ch = H / rows;
    Table districts{{Char("Raion", 10), Char("Zona", 10), Char("Km3_sr", 20)}, {}};
    std::map<int, std::vector<Feature>> byZone;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const int number = r * cols + c + 1;
            const double fx = (c + 0.5) / cols - 0.5;
            const double fy = (r + 0.5) / rows - 0.5;
            const double ring = std::max(std::abs(fx), std::abs(fy)) * 2; // 0 centre .. <1 edge
            const int zone = ring < 0.4 ? 1 : ring < 0.7 ? 2 : 3;
            Feature cell = Rect(X0 + c * cw, Y0 + H - (r + 1) * ch, cw, ch);
            Feature d = WithValues(cell, {QString::number(number), QString::number(zone), ""});
            RegionStyle outline = Fill(0xFFFFFF);
            outline.regionPattern = 1; // zones show through the districts
            outline.regionBorderColor = 0x202020;
            d.setRegionStyle(outline);
            districts.features.push_back(d);
            byZone[zone].push_back(cell);
        }
    }
    if (!WriteTable(path(QStringLiteral("райони")), districts, error))
        return false;

    // Zones: the union of their districts.
    static const int zoneColours[] = {0x8080FF, 0x80C0FF, 0x80FFFF};
    static const char* const prices[] = {"180.00", "150.00", "120.00"};
    static const char* const km2[] = {"1.50", "1.20", "0.90"};
    Table zones{{Char("Zona", 10), Char("Cena_1m2", 20), Char("Km2", 20)}, {}};
    for (const auto& [zone, cells] : byZone) {
        Feature merged = cells.front();
        for (size_t i = 1; i < cells.size(); ++i) {
            Feature next;
            if (FeatureFactory::combine(merged, cells[i], next, error) != GeometryResult::Ok)
                return false;
            merged = next;
        }
        const int k = std::min(zone, 3) - 1;
        Feature z = WithValues(merged, {QString::number(zone), QString::fromLatin1(prices[k]),
                                        QString::fromLatin1(km2[k])});
        z.setRegionStyle(Fill(zoneColours[k]));
        zones.features.push_back(z);
    }
    if (!WriteTable(path(QStringLiteral("зони")), zones, error))
        return false;

    // Functional use: a grid of its own, so regions straddle district borders.
    const QStringList codes = demo::functionalCodes();
    const int fcols = std::max(1, static_cast<int>(std::ceil(std::sqrt(size.functional * W / H))));
    const int frows = (size.functional + fcols - 1) / fcols;
    Sequence seq(20260101);
    Table functional{{Char("Code", 10)}, {}};
    functional.features.reserve(static_cast<size_t>(size.functional));
    int made = 0;
    for (int r = 0; r < frows && made < size.functional; ++r) {
        const int inRow = std::min(fcols, size.functional - made);
        const double w = W / inRow;
        const double h = H / frows;
        for (int c = 0; c < inRow; ++c, ++made) {
            const int k = static_cast<int>(seq.next() % 17);
            Feature f = WithValues(Rect(X0 + c * w, Y0 + r * h, w, h), {codes[k]});
            f.setRegionStyle(Fill(0x40FF40 + k * 0x0A0500));
            functional.features.push_back(f);
        }
    }
    if (!WriteTable(path(QStringLiteral("функціональне")), functional, error))
        return false;

    // Soils: vertical strips with codes of the soil reference.
    static const char* const soils[] = {"13г", "41г", "41д", "45г"};
    Table soil{{Char("Code", 10), Char("Bonitet", 10)}, {}};
    for (int i = 0; i < 4; ++i) {
        Feature f = WithValues(Rect(X0 + i * W / 4, Y0, W / 4, H),
                               {QString::fromUtf8(soils[i]), QString::number(40 + i * 7)});
        f.setRegionStyle(Fill(0x4080C0 + i * 0x101010));
        soil.features.push_back(f);
    }
    if (!WriteTable(path(QStringLiteral("грунти")), soil, error))
        return false;

    // Local factors: a few round areas per factor layer.
    struct Lok {
        const char* name;
        const char* values[3];
    };
    static const Lok loks[] = {{"лок01", {"1.05", "1.10", "1.05"}},
                               {"лок05", {"0.95", "0.90", "0.95"}},
                               {"лок12", {"1.07", "1.07", "1.02"}}};
    for (const Lok& lok : loks) {
        Table t{{Char("Km3", 20)}, {}};
        for (int i = 0; i < 3; ++i) {
            const double cx = X0 + W * (0.15 + 0.7 * seq.unit());
            const double cy = Y0 + H * (0.15 + 0.7 * seq.unit());
            Feature f = WithValues(Octagon(cx, cy, 150 + 100 * seq.unit()),
                                   {QString::fromLatin1(lok.values[i])});
            RegionStyle s = Fill(0x00A0FF);
            s.regionPattern = 5;
            s.regionTransparent = true;
            f.setRegionStyle(s);
            t.features.push_back(f);
        }
        if (!WriteTable(path(QString::fromUtf8(lok.name)), t, error))
            return false;
    }
    return true;
}

namespace {

bool Run(Connection& c, const QString& sql, QString* error) {
    Query q(&c);
    if (RunQuery(q, sql, false))
        return true;
    if (error)
        *error = LastError();
    return false;
}

bool CopyTemplate(const QString& from, const QString& to, QString* error) {
    if (!QDir().mkpath(to)) {
        if (error)
            *error = QStringLiteral("Не вдалося створити папку \"%1\".").arg(to);
        return false;
    }
    for (const QString& file : ListFiles(from, QStringLiteral("*"), false)) {
        if (!CopyFileReplacing(JoinPath(from, file), JoinPath(to, file))) {
            if (error)
                *error = QStringLiteral("Не вдалося скопіювати \"%1\".").arg(file);
            return false;
        }
    }
    if (!QFileInfo::exists(JoinPath(to, QStringLiteral("data.sqlite")))) {
        if (error)
            *error = QStringLiteral("У шаблоні \"%1\" немає data.sqlite.").arg(from);
        return false;
    }
    return true;
}

} // namespace

bool WriteDemoProject(const QString& appDir, const DemoSize& size, QString* error) {
    const QString projects = JoinPath(appDir, QStringLiteral("Проекти"));
    const QString project = JoinPath(projects, demo::projectName());
    const QString settlementFolderName = SafeFileName(demo::settlementName());
    const QString settlement = JoinPath(project, settlementFolderName);
    const QString templates = JoinPath(appDir, QStringLiteral("Шаблон"));

    // A fresh copy every time: the demonstration is generated, never edited in place.
    if (!DeleteFolder(project)) {
        if (error)
            *error = QStringLiteral("Не вдалося видалити стару папку \"%1\".").arg(project);
        return false;
    }
    if (!CopyTemplate(JoinPath(templates, QStringLiteral("проект")), project, error) ||
        !CopyTemplate(JoinPath(templates, QStringLiteral("наспункт")), settlement, error) ||
        !WriteDemoLayers(settlement, size, error))
        return false;

    Connection projectDb;
    if (!projectDb.open(JoinPath(project, QStringLiteral("data.sqlite")))) {
        if (error)
            *error = projectDb.errorText();
        return false;
    }
    if (!Run(projectDb, QStringLiteral("INSERT INTO data (code, named) VALUES (-1,'0000000000')"),
             error) ||
        !Run(projectDb,
             QStringLiteral("INSERT INTO data (code, named, pathname) VALUES (2,'%1','%2')")
                 .arg(QuoteSql(demo::settlementName()), QuoteSql(settlementFolderName)),
             error))
        return false;

    Connection settlementDb;
    if (!settlementDb.open(JoinPath(settlement, QStringLiteral("data.sqlite")))) {
        if (error)
            *error = settlementDb.errorText();
        return false;
    }
    for (const auto& [fact, value] :
         {std::pair{QStringLiteral("Назва"), demo::settlementName()},
          std::pair{QStringLiteral("Адміністративний статус"), QStringLiteral("село")}})
        Run(settlementDb,
            QStringLiteral("UPDATE показники SET значення='%1' WHERE показник='%2'")
                .arg(QuoteSql(value), QuoteSql(fact)),
            nullptr); // an older template without the table is no reason to stop
    if (!WriteDemoSteps(settlement, settlementDb, error))
        return false;
    for (const QString& file : ListFiles(settlement, QStringLiteral("*.tab;*.gwp"), false))
        if (!Run(settlementDb,
                 QStringLiteral("INSERT INTO data (code, named, pathname) VALUES (5,'%1','%1')")
                     .arg(QuoteSql(file)),
                 error))
            return false;

    Connection catalogue;
    if (!catalogue.open(JoinPath(appDir, QStringLiteral("baza.sqlite")))) {
        if (error)
            *error = catalogue.errorText();
        return false;
    }
    const QString projectUid = QStringLiteral("80000000000000000001");
    const QString settlementUid = QStringLiteral("80000000000000000002");
    const bool ok =
        catalogue.beginTransaction() &&
        Run(catalogue,
            QStringLiteral("DELETE FROM projects WHERE pathname='%1' OR pathname LIKE '%2%'")
                .arg(QuoteSql(project), QuoteSql(project + u'/')),
            error) &&
        Run(catalogue,
            QStringLiteral("INSERT INTO projects (uid, part_uid, named, pathname) VALUES "
                           "('%1','','%2','%3')")
                .arg(projectUid, QuoteSql(demo::projectName()), QuoteSql(project)),
            error) &&
        Run(catalogue,
            QStringLiteral("INSERT INTO projects (uid, part_uid, named, pathname) VALUES "
                           "('%1','%2','%3','%4')")
                .arg(settlementUid, projectUid, QuoteSql(demo::settlementName()),
                     QuoteSql(settlement)),
            error) &&
        catalogue.commit();
    if (!ok && catalogue.inTransaction())
        catalogue.rollback();
    return ok;
}
