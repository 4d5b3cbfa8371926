#include "tests/gis/ExchangeFiles.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cpl_conv.h>
#include <cpl_string.h>
#include <pugixml.hpp>

#include <sstream>

namespace {

void add(pugi::xml_node parent, const char* name, const QString& value) {
    parent.append_child(name).text().set(value.toUtf8().constData());
}

void boundary(pugi::xml_node parent, const std::vector<ExBoundaryLine>& lines) {
    pugi::xml_node b = parent.append_child("Boundary");
    pugi::xml_node list = b.append_child("Lines");
    for (const ExBoundaryLine& l : lines) {
        pugi::xml_node line = list.append_child("Line");
        add(line, "ULID", l.ulid);
        if (!l.from.isEmpty()) {
            add(line, "FP", l.from);
            add(line, "TP", l.to);
        }
    }
    b.append_child("Closed").text().set("true");
}

} // namespace

QString ExOwnerName() {
    return QStringLiteral("Іваненко Петро Степанович");
}

QString ExOwnerTaxNumber() {
    return QStringLiteral("3012345678");
}

QByteArray ExchangeXml(const ExFile& f) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("UkrainianCadastralExchangeFile");
    pugi::xml_node service = root.append_child("AdditionalPart").append_child("ServiceInfo");
    add(service, "FileID", QStringLiteral("0001"));
    pugi::xml_node surveyor = root.child("AdditionalPart").append_child("InfoLandWork");
    add(surveyor, "Executor", QStringLiteral("Петренко Олена"));
    pugi::xml_node info = root.append_child("InfoPart");
    pugi::xml_node metric = info.append_child("MetricInfo");
    pugi::xml_node system = metric.append_child("CoordinateSystem");
    pugi::xml_node kind = system.append_child(f.system.toUtf8().constData());
    if (!f.systemZone.isEmpty())
        kind.append_child(f.systemZone.toUtf8().constData());
    if (f.system == QLatin1String("Local"))
        kind.text().set("32-1");
    add(metric, "HeightSystem", QStringLiteral("Baltic"));
    add(metric, "MeasurementUnit", QStringLiteral("M"));
    pugi::xml_node points = metric.append_child("PointInfo");
    for (const ExPoint& p : f.points) {
        pugi::xml_node n = points.append_child("Point");
        add(n, "UIDP", p.uidp);
        add(n, "PN", p.uidp);
        add(n, "X", QString::number(p.x, 'f', 2));
        add(n, "Y", QString::number(p.y, 'f', 2));
    }
    pugi::xml_node polylines = metric.append_child("Polyline");
    for (const ExLine& l : f.lines) {
        pugi::xml_node n = polylines.append_child("PL");
        add(n, "ULID", l.ulid);
        pugi::xml_node ps = n.append_child("Points");
        for (const QString& p : l.points)
            add(ps, "P", p);
        add(n, "Length", QStringLiteral("0"));
    }
    pugi::xml_node zone = info.append_child("CadastralZoneInfo");
    add(zone, "KOATUU", f.zone.section(u':', 0, 0));
    add(zone, "CadastralZoneNumber", f.zone);
    pugi::xml_node quarter =
        zone.append_child("CadastralQuarters").append_child("CadastralQuarterInfo");
    add(quarter, "CadastralQuarterNumber", f.quarter);
    pugi::xml_node parcels = quarter.append_child("Parcels");
    for (const ExParcel& p : f.parcels) {
        pugi::xml_node parcel = parcels.append_child("ParcelInfo");
        pugi::xml_node pm = parcel.append_child("ParcelMetricInfo");
        add(pm, "ParcelID", p.id);
        pugi::xml_node area = pm.append_child("Area");
        add(area, "MeasurementUnit", p.areaUnit);
        add(area, "Size", p.area);
        boundary(pm.append_child("Externals"), p.outer);
        if (!p.holes.empty()) {
            pugi::xml_node internals = pm.append_child("Internals");
            for (const auto& hole : p.holes)
                boundary(internals, hole);
        }
        pugi::xml_node purpose = parcel.append_child("CategoryPurposeInfo");
        add(purpose, "Category", QStringLiteral("100"));
        add(purpose, "Purpose", p.purpose);
        add(purpose, "Use", QStringLiteral("для будівництва житлового будинку"));
        pugi::xml_node location = parcel.append_child("ParcelLocationInfo");
        add(location, "Region", QStringLiteral("Київська"));
        add(location, "Settlement", QStringLiteral("с. Демонстраційне"));
        pugi::xml_node address = location.append_child("ParcelAddress");
        add(address, "StreetType", QStringLiteral("вул."));
        add(address, "StreetName", p.street);
        add(address, "Building", p.building);
        pugi::xml_node owner = parcel.append_child("Proprietors").append_child("ProprietorInfo");
        pugi::xml_node person = owner.append_child("Authentication").append_child("NaturalPerson");
        add(person, "FullName", ExOwnerName());
        add(person, "TaxNumber", ExOwnerTaxNumber());
        add(person, "Passport", QStringLiteral("СК 987654"));
    }
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default | pugi::format_no_declaration);
    QByteArray body = QByteArray::fromStdString(out.str());
    if (!f.cp1251)
        return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") + body;
    char* recoded = CPLRecode(body.constData(), CPL_ENC_UTF8, "CP1251");
    body = QByteArray(recoded);
    CPLFree(recoded);
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n") + body;
}

void WriteExchangeFile(const QString& path, const ExFile& file) {
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly)) << path.toStdString();
    out.write(ExchangeXml(file));
}

ExFile SampleExchange(double north, double east) {
    ExFile f;
    auto point = [&](int n, double x, double y) {
        f.points.push_back({QString::number(n), north + x, east + y});
    };
    point(1, 0, 0);
    point(2, 0, 100);
    point(3, 0, 200);
    point(4, 100, 0);
    point(5, 100, 100);
    point(6, 100, 200);
    point(7, 40, 40);
    point(8, 40, 60);
    point(9, 60, 60);
    point(10, 60, 40);
    const auto line = [&](const char* id, QStringList points) {
        f.lines.push_back({QString::fromLatin1(id), points});
    };
    line("1", {"1", "2"});
    line("2", {"2", "5"}); // shared by both squares
    line("3", {"5", "4"});
    line("4", {"4", "1"});
    line("5", {"2", "3"});
    line("6", {"3", "6"});
    line("7", {"6", "5"});
    line("8", {"7", "8", "9", "10", "7"});
    line("9", {"6", "99", "3"}); // point 99 is not in the file
    line("10", {"1", "2", "3"}); // the south edge of both squares
    const auto lines = [](std::initializer_list<const char*> ids) {
        std::vector<ExBoundaryLine> out;
        for (const char* id : ids)
            out.push_back({QString::fromLatin1(id), QString(), QString()});
        return out;
    };
    ExParcel first;
    first.id = QStringLiteral("1");
    first.purpose = QStringLiteral("02.01");
    first.area = QStringLiteral("0.9600");
    first.outer = lines({"1", "2", "3", "4"});
    first.holes = {lines({"8"})};
    first.street = QStringLiteral("Шевченка");
    first.building = QStringLiteral("12");
    ExParcel second;
    second.id = QStringLiteral("2");
    second.purpose = QStringLiteral("03.07");
    second.area = QStringLiteral("1,0000");
    second.outer = lines({"6", "5", "2", "7"}); // out of order, the shared line backwards
    second.street = QStringLiteral("Їжакова");
    second.building = QStringLiteral("3а");
    ExParcel missingLine = second;
    missingLine.id = QStringLiteral("3");
    missingLine.outer = lines({"5", "6", "7", "42"});
    ExParcel brokenPoint = second;
    brokenPoint.id = QStringLiteral("4");
    brokenPoint.outer = lines({"5", "9", "7", "2"});
    ExParcel part = second; // the second square again, its south edge a part of line 10
    part.id = QStringLiteral("5");
    part.outer = lines({"6", "7", "2"});
    part.outer.insert(part.outer.begin(),
                      {QStringLiteral("10"), QStringLiteral("3"), QStringLiteral("2")});
    f.parcels = {first, second, missingLine, brokenPoint, part};
    return f;
}
