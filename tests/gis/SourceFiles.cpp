#include "tests/gis/SourceFiles.h"

#include "map/Feature.h"
#include "map/GdalScope.h"
#include "map/Geometry.h"

#include <QFile>

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_api.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

void WriteSourceFile(const QString& path, const QString& driverName, const QString& layerName,
                     const QString& crs, const std::vector<TestField>& fields,
                     const std::vector<TestObject>& objects, bool mif) {
    GdalScope scope;
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName.toUtf8().constData());
    ASSERT_NE(driver, nullptr) << driverName.toStdString();
    CPLStringList options;
    if (mif)
        options.AddString("FORMAT=MIF");
    // A GeoPackage that is there already gets one more layer.
    const bool more = driverName == QLatin1String("GPKG") && QFile::exists(path);
    GDALDatasetUniquePtr ds(more ? GDALDataset::Open(QFile::encodeName(path).constData(),
                                                     GDAL_OF_VECTOR | GDAL_OF_UPDATE)
                                 : driver->Create(QFile::encodeName(path).constData(), 0, 0, 0,
                                                  GDT_Unknown, options.List()));
    ASSERT_TRUE(ds) << scope.message(path).toStdString();
    OGRSpatialReference srs;
    if (!crs.isEmpty()) {
        ASSERT_EQ(srs.SetFromUserInput(crs.toUtf8().constData()), OGRERR_NONE);
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    }
    CPLStringList layerOptions;
    if (driverName == QLatin1String("MapInfo File"))
        layerOptions.AddString("BOUNDS=-10000000,-10000000,10000000,10000000");
    OGRLayer* layer =
        ds->CreateLayer(layerName.toUtf8().constData(), crs.isEmpty() ? nullptr : &srs, wkbUnknown,
                        layerOptions.List());
    ASSERT_NE(layer, nullptr) << scope.message(path).toStdString();
    for (const TestField& f : fields) {
        const OGRFieldType type = f.type == QLatin1String("int")    ? OFTInteger
                                  : f.type == QLatin1String("real") ? OFTReal
                                                                    : OFTString;
        OGRFieldDefn fd(f.name.toUtf8().constData(), type);
        if (layer->CreateField(&fd) != OGRERR_NONE && driverName != QLatin1String("DXF"))
            FAIL() << "field " << f.name.toStdString();
    }
    for (const TestObject& o : objects) {
        OGRFeatureUniquePtr f(OGRFeature::CreateFeature(layer->GetLayerDefn()));
        for (qsizetype i = 0; i < o.values.size() && i < static_cast<qsizetype>(fields.size());
             ++i) {
            const int index =
                f->GetFieldIndex(fields[static_cast<size_t>(i)].name.toUtf8().constData());
            if (index >= 0 && !o.values[i].isEmpty())
                f->SetField(index, o.values[i].toUtf8().constData());
        }
        if (!o.wkt.isEmpty()) {
            OGRGeometry* g = nullptr;
            const QByteArray wkt = o.wkt.toUtf8();
            ASSERT_EQ(OGRGeometryFactory::createFromWkt(wkt.constData(), nullptr, &g), OGRERR_NONE)
                << o.wkt.toStdString();
            f->SetGeometryDirectly(g);
        }
        ASSERT_EQ(layer->CreateFeature(f.get()), OGRERR_NONE) << scope.message(path).toStdString();
    }
}

QString SquareWkt(double x, double y, double side) {
    return QStringLiteral("POLYGON ((%1 %2, %3 %2, %3 %4, %1 %4, %1 %2))")
        .arg(x, 0, 'f', 6)
        .arg(y, 0, 'f', 6)
        .arg(x + side, 0, 'f', 6)
        .arg(y + side, 0, 'f', 6);
}

QPointF PointInside(const Feature& feature) {
    OGRGeometryH point = OGR_G_PointOnSurface(
        OGRGeometry::ToHandle(const_cast<OGRGeometry*>(feature.geometry()->ogr())));
    EXPECT_NE(point, nullptr);
    if (!point)
        return {};
    const QPointF p(OGR_G_GetX(point, 0), OGR_G_GetY(point, 0));
    OGR_G_DestroyGeometry(point);
    return p;
}
