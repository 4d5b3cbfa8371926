#include "tools/demo/DemoSettlement.h"
#include "tools/demo/DemoSteps.h"
#include "valuation/Names.h"

#include "common/FileUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"
#include "map/FeatureFactory.h"
#include "map/TabFile.h"
#include "tools/demo/DemoAgriculture.h"
#include "tools/demo/DemoFuncLocal.h"
#include "tools/demo/DemoStatement.h"
#include "tools/demo/DemoZonal.h"
#include "tools/demo/VillageMap.h"

#include <QDir>
#include <QFileInfo>
#include <map>

namespace {

FieldDef Char(const QString& name, int width) {
    return FieldDef{name, FieldKind::Char, width, 0, false};
}

struct Table {
    std::vector<FieldDef> fields;
    FeatureList features;
};

bool WriteTable(const QString& path, Table& table, QString* error) {
    if (!TabFile::create(path, table.fields, CoordSys{}, true, QString(), error))
        return false;
    return TabFile::appendAll(path, table.features, error);
}

/** A copy of the shape with the table's fields set to the values in order. */
Feature WithValues(const Table& table, const Feature& shape, const QStringList& values) {
    auto names = std::make_shared<QStringList>();
    for (const FieldDef& f : table.fields)
        names->append(f.name);
    Feature f = shape;
    f.setFields(names);
    for (qsizetype i = 0; i < values.size(); ++i)
        f.setValueAt(static_cast<int>(i), values[i]);
    return f;
}

/** A colour value of the map: red in the lowest byte. */
constexpr int Rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

RegionStyle Fill(int color, int border = Rgb(64, 64, 64)) {
    RegionStyle s;
    s.regionColor = color;
    s.regionPattern = 2;
    s.regionBorderColor = border;
    return s;
}

/** Colours of the functional-use codes, as a land-use plan paints them. */
int FunctionalColour(const QString& code) {
    static const std::map<QString, int> colours = {
        {QStringLiteral("К"), Rgb(230, 80, 80)},    {QStringLiteral("Ж"), Rgb(250, 215, 120)},
        {QStringLiteral("П"), Rgb(170, 120, 200)},  {QStringLiteral("Г"), Rgb(240, 150, 60)},
        {QStringLiteral("Т"), Rgb(150, 150, 150)},  {QStringLiteral("І"), Rgb(160, 130, 110)},
        {QStringLiteral("Р"), Rgb(110, 200, 110)},  {QStringLiteral("З"), Rgb(90, 90, 90)},
        {QStringLiteral("Д"), Rgb(225, 225, 225)},  {QStringLiteral("Л"), Rgb(40, 140, 60)},
        {QStringLiteral("Н"), Rgb(220, 200, 170)},  {QStringLiteral("В"), Rgb(110, 170, 240)},
        {QStringLiteral("О"), Rgb(200, 230, 140)},  {QStringLiteral("Рі"), Rgb(235, 225, 160)},
        {QStringLiteral("Сі"), Rgb(170, 220, 150)}, {QStringLiteral("Ба"), Rgb(150, 180, 80)},
        {QStringLiteral("Па"), Rgb(200, 225, 110)}};
    const auto it = colours.find(code);
    return it == colours.end() ? Rgb(255, 255, 255) : it->second;
}

} // namespace

QStringList demo::functionalCodes() {
    return {QStringLiteral("К"), QStringLiteral("Ж"),  QStringLiteral("П"),  QStringLiteral("Г"),
            QStringLiteral("Т"), QStringLiteral("І"),  QStringLiteral("Р"),  QStringLiteral("З"),
            QStringLiteral("Д"), QStringLiteral("Л"),  QStringLiteral("Н"),  QStringLiteral("В"),
            QStringLiteral("О"), QStringLiteral("Рі"), QStringLiteral("Сі"), QStringLiteral("Ба"),
            QStringLiteral("Па")};
}

QStringList demo::localLayers() {
    return {QStringLiteral("лок01"), QStringLiteral("лок05"), QStringLiteral("лок12")};
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
    const VillageMap village = BuildVillageMap(size.districts, size.functional);

    Table bounds{{Char(QStringLiteral("Nazva"), 100)}, {}};
    Feature boundary = WithValues(bounds, village.boundary, {demo::settlementName()});
    RegionStyle outline = Fill(Rgb(255, 255, 255), Rgb(200, 0, 0));
    outline.regionPattern = 1;
    outline.regionBorderWidth = 2;
    boundary.setRegionStyle(outline);
    bounds.features.push_back(boundary);
    if (!WriteTable(path(names::layer::Boundary()), bounds, error))
        return false;

    // Districts, outlined over the zones.
    Table districts{{Char(names::field::Raion(), 10), Char(names::field::Zona(), 10),
                     Char(names::field::Km3Mean(), 20)},
                    {}};
    std::map<int, std::vector<const Feature*>> byZone;
    for (const VillageMap::District& d : village.districts) {
        Feature f = WithValues(districts, d.shape,
                               {QString::number(d.number), QString::number(d.zone), QString()});
        RegionStyle s = Fill(Rgb(255, 255, 255), Rgb(32, 32, 32));
        s.regionPattern = 1; // zones show through the districts
        f.setRegionStyle(s);
        districts.features.push_back(f);
        byZone[d.zone].push_back(&d.shape);
    }
    if (!WriteTable(path(names::layer::Districts()), districts, error))
        return false;

    // Zones: the union of their districts.
    static const int zoneColours[] = {Rgb(255, 170, 150), Rgb(255, 215, 160), Rgb(215, 235, 180)};
    static const char* const prices[] = {"180.00", "150.00", "120.00"};
    static const char* const km2[] = {"1.50", "1.20", "0.90"};
    Table zones{{Char(names::field::Zona(), 10), Char(names::field::Price(), 20),
                 Char(names::field::Km2(), 20)},
                {}};
    for (const auto& [zone, shapes] : byZone) {
        Feature merged = *shapes.front();
        for (size_t i = 1; i < shapes.size(); ++i) {
            Feature next;
            if (FeatureFactory::combine(merged, *shapes[i], next, error) != GeometryResult::Ok)
                return false;
            merged = next;
        }
        const int k = std::min(zone, 3) - 1;
        Feature z = WithValues(
            zones, merged,
            {QString::number(zone), QString::fromLatin1(prices[k]), QString::fromLatin1(km2[k])});
        z.setRegionStyle(Fill(zoneColours[k]));
        zones.features.push_back(z);
    }
    if (!WriteTable(path(names::layer::Zones()), zones, error))
        return false;

    Table functional{{Char(names::field::Code(), 10)}, {}};
    functional.features.reserve(village.parcels.size());
    for (const VillageMap::Parcel& p : village.parcels) {
        Feature f = WithValues(functional, p.shape, {p.code});
        f.setRegionStyle(Fill(FunctionalColour(p.code), Rgb(120, 120, 120)));
        functional.features.push_back(f);
    }
    if (!WriteTable(path(names::layer::Functional()), functional, error))
        return false;

    static const char* const soils[] = {"13г", "41г", "41д", "45г"};
    Table soil{{Char(names::field::Code(), 10), Char(QStringLiteral("Bonitet"), 10)}, {}};
    for (size_t i = 0; i < village.soils.size(); ++i) {
        Feature f = WithValues(soil, village.soils[i],
                               {QString::fromUtf8(soils[i]), QString::number(40 + i * 7)});
        f.setRegionStyle(Fill(Rgb(190 - 20 * static_cast<int>(i), 160, 110)));
        soil.features.push_back(f);
    }
    if (!WriteTable(path(names::layer::Soils()), soil, error))
        return false;

    // Local factors, values within the catalogue's ranges of factors 1, 5 and 12.
    static const char* const values[3][3] = {
        {"0.90", "0.95", "0.90"}, {"0.85", "0.90", "0.85"}, {"1.07", "1.05", "1.09"}};
    const QStringList layers = demo::localLayers();
    for (qsizetype l = 0; l < layers.size(); ++l) {
        Table t{{Char(names::field::Km3(), 20)}, {}};
        const auto& regions = village.local[static_cast<size_t>(l)];
        for (size_t i = 0; i < regions.size(); ++i) {
            Feature f = WithValues(t, regions[i].shape, {QString::fromLatin1(values[l][i])});
            RegionStyle s = Fill(Rgb(0, 120, 255), Rgb(0, 80, 200));
            s.regionPattern = 5;
            s.regionTransparent = true;
            f.setRegionStyle(s);
            t.features.push_back(f);
        }
        if (!WriteTable(path(layers[l]), t, error))
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
        !WriteDemoLayers(settlement, size, error) || !WriteDemoStatement(settlement, error))
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
    // The village's facts; its total area is the area inside the boundary on its map.
    DemoLand land;
    if (!DemoLandTotals(settlement, land, error))
        return false;
    const QString area = QString::number(land.boundaryUnits / 10000.0, 'f', 4);
    for (const auto& [fact, value] :
         {std::pair{QStringLiteral("Назва"), demo::settlementName()},
          std::pair{QStringLiteral("Адміністративний статус"), QStringLiteral("село")},
          std::pair{QStringLiteral("Рада"), QStringLiteral("Демонстраційна сільська рада")},
          std::pair{QStringLiteral("Область"), QStringLiteral("Київська область")},
          std::pair{QStringLiteral("Рік оцінки"), QStringLiteral("2025")},
          std::pair{QStringLiteral("Замовник"), QStringLiteral("Демонстраційна сільська рада")},
          std::pair{QStringLiteral("Виконавець"),
                    QStringLiteral("ТОВ «Демонстраційне землевпорядне бюро»")},
          std::pair{QStringLiteral("Загальна площа, га"), area},
          std::pair{QStringLiteral("Чисельність населення, тис. чол."), QStringLiteral("1.85")}})
        Run(settlementDb,
            QStringLiteral("UPDATE показники SET значення='%1' WHERE показник='%2'")
                .arg(QuoteSql(value), QuoteSql(fact)),
            nullptr); // an older template without the table is no reason to stop
    // As the information step stores them for the later steps.
    for (const auto& [indicator, value] :
         {std::pair{names::ind::TotalArea(), area},
          std::pair{names::ind::Population(), QStringLiteral("1.85")}})
        Run(settlementDb,
            QStringLiteral("UPDATE характеристика SET значення='%1' WHERE показник='%2'")
                .arg(QuoteSql(value), QuoteSql(indicator)),
            nullptr);
    if (!WriteDemoSteps(settlement, settlementDb, error))
        return false;
    if (!WriteDemoZonal(settlement, settlementDb, error))
        return false;
    // Materials as a new settlement lists them: workspaces, the land statement, then the
    // map tables.
    QStringList entries;
    for (const QString& file : ListFiles(settlement, QStringLiteral("*.gwp"), false))
        entries << QStringLiteral("(5,'%1','%2')")
                       .arg(QuoteSql(QFileInfo(file).completeBaseName().toLower()), QuoteSql(file));
    entries << QStringLiteral("(4,'Склад земель','Склад земель.xlsx')");
    for (const QString& file : ListFiles(settlement, QStringLiteral("*.tab"), false))
        entries << QStringLiteral("(5,'%1','%1')").arg(QuoteSql(file));
    for (const QString& values : entries)
        if (!Run(settlementDb,
                 QStringLiteral("INSERT INTO data (code, named, pathname) VALUES ") + values,
                 error))
            return false;

    if (!WriteDemoAgriculture(settlementDb, error))
        return false;
    if (!WriteDemoFunctionalLocal(appDir, settlement, settlementDb, error))
        return false;
    // The plots last: they are valued with what the steps above stored.
    if (!WriteDemoPlots(settlementDb, size.districts, error))
        return false;

    Connection catalogue;
    if (!catalogue.open(JoinPath(appDir, QStringLiteral("baza.sqlite")))) {
        if (error)
            *error = catalogue.errorText();
        return false;
    }
    const QString projectUid = QStringLiteral("80000000000000000001");
    const QString settlementUid = QStringLiteral("80000000000000000002");
    Transaction transaction(catalogue);
    const bool ok =
        transaction.ok() &&
        Run(catalogue,
            QStringLiteral("DELETE FROM projects WHERE pathname='%1' OR pathname LIKE '%2%' OR "
                           "pathname='%3' OR pathname LIKE '%4%'")
                .arg(QuoteSql(project), QuoteSql(project + u'/'), QuoteSql(demo::projectName()),
                     QuoteSql(demo::projectName() + u'/')),
            error) &&
        Run(catalogue,
            QStringLiteral("INSERT INTO projects (uid, part_uid, named, pathname) VALUES "
                           "('%1','','%2','%3')")
                .arg(projectUid, QuoteSql(demo::projectName()), QuoteSql(demo::projectName())),
            error) &&
        Run(catalogue,
            QStringLiteral("INSERT INTO projects (uid, part_uid, named, pathname) VALUES "
                           "('%1','%2','%3','%4')")
                .arg(settlementUid, projectUid, QuoteSql(demo::settlementName()),
                     QuoteSql(demo::projectName() + u'/' + settlementFolderName)),
            error) &&
        transaction.commit();
    if (!ok && error && error->isEmpty())
        *error = LastError();
    return ok;
}
