#include "map/Feature.h"

#include <ogr_api.h>
#include <ogr_geometry.h>

namespace {

const QStringList& emptyNames() {
    static const QStringList names;
    return names;
}

// Rings of a region in order: each polygon's exterior ring, then its holes.
std::vector<const OGRLinearRing*> rings(const OGRGeometry* g) {
    std::vector<const OGRLinearRing*> out;
    auto addPolygon = [&out](const OGRPolygon* p) {
        if (p->getExteriorRing())
            out.push_back(p->getExteriorRing());
        for (int i = 0; i < p->getNumInteriorRings(); ++i)
            out.push_back(p->getInteriorRing(i));
    };
    if (wkbFlatten(g->getGeometryType()) == wkbPolygon)
        addPolygon(g->toPolygon());
    else if (wkbFlatten(g->getGeometryType()) == wkbMultiPolygon)
        for (const OGRPolygon* p : *g->toMultiPolygon())
            addPolygon(p);
    return out;
}

} // namespace

FeatureKind Feature::kind() const {
    if (m_isText)
        return FeatureKind::Text;
    return m_geometry ? m_geometry->kind() : FeatureKind::Other;
}

MapRect Feature::bounds() const {
    return m_geometry ? m_geometry->envelope() : MapRect::null();
}

int Feature::partCount() const {
    if (!m_geometry || m_geometry->isEmpty())
        return 0;
    const OGRGeometry* g = m_geometry->ogr();
    switch (wkbFlatten(g->getGeometryType())) {
    case wkbPolygon:
    case wkbMultiPolygon:
        return static_cast<int>(rings(g).size());
    case wkbMultiLineString:
    case wkbMultiPoint:
    case wkbGeometryCollection:
        return g->toGeometryCollection()->getNumGeometries();
    default:
        return 1;
    }
}

int Feature::pointCount(int part) const {
    if (!m_geometry || m_geometry->isEmpty() || part < 0)
        return 0;
    const OGRGeometry* g = m_geometry->ogr();
    switch (wkbFlatten(g->getGeometryType())) {
    case wkbPolygon:
    case wkbMultiPolygon: {
        const auto r = rings(g);
        return part < static_cast<int>(r.size()) ? r[part]->getNumPoints() : 0;
    }
    case wkbLineString:
        return part == 0 ? g->toLineString()->getNumPoints() : 0;
    case wkbMultiLineString: {
        const auto* m = g->toMultiLineString();
        return part < m->getNumGeometries() ? m->getGeometryRef(part)->getNumPoints() : 0;
    }
    case wkbPoint:
        return part == 0 ? 1 : 0;
    default:
        return 0;
    }
}

double Feature::areaSquareMetres() const {
    if (kind() != FeatureKind::Region)
        return 0;
    const OGRGeometry* g = m_geometry->ogr();
    if (wkbFlatten(g->getGeometryType()) == wkbPolygon)
        return g->toPolygon()->get_Area();
    return g->toMultiPolygon()->get_Area();
}

QPointF Feature::centre() const {
    if (!m_geometry || m_geometry->isEmpty())
        return {};
    OGRPoint p;
    if (m_geometry->ogr()->Centroid(&p) != OGRERR_NONE || p.IsEmpty())
        return m_geometry->envelope().centre();
    return {p.getX(), p.getY()};
}

QPointF Feature::labelPoint() const {
    const QPointF centroid = centre();
    if (kind() != FeatureKind::Region || m_geometry->path().contains(centroid))
        return centroid;
    // A bent or holed region: a point GEOS finds inside it (the C API's: the C++ method of
    // OGRSurface gives up on polygons).
    const OGRGeometryH inside =
        OGR_G_PointOnSurface(OGRGeometry::ToHandle(const_cast<OGRGeometry*>(m_geometry->ogr())));
    if (!inside)
        return centroid;
    const QPointF point =
        OGR_G_IsEmpty(inside) ? centroid : QPointF(OGR_G_GetX(inside, 0), OGR_G_GetY(inside, 0));
    OGR_G_DestroyGeometry(inside);
    return point;
}

const QStringList& Feature::fieldNames() const {
    return m_fieldNames ? *m_fieldNames : emptyNames();
}

void Feature::setFields(std::shared_ptr<const QStringList> names) {
    m_fieldNames = std::move(names);
    m_values = QStringList();
    for (qsizetype i = 0; i < fieldNames().size(); ++i)
        m_values.append(QString());
}

int FieldIndex(const QStringList& names, const QString& name) {
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

bool Feature::value(const QString& name, QString* value) const {
    const int i = fieldIndex(name);
    if (i < 0 || i >= m_values.size())
        return false;
    if (value)
        *value = m_values[i];
    return true;
}

bool Feature::setValue(const QString& name, const QString& value) {
    const int i = fieldIndex(name);
    if (i < 0)
        return false;
    setValueAt(i, value);
    return true;
}

void Feature::setValueAt(int index, const QString& value) {
    if (index < 0 || index >= fieldNames().size())
        return;
    while (m_values.size() <= index)
        m_values.append(QString());
    m_values[index] = value;
}

void Feature::setRegionStyle(const RegionStyle& style) {
    m_style = style;
    m_hasStyle = true;
}

void Feature::setText(const QString& text, const TextStyle& style, double height) {
    m_isText = true;
    m_text = text;
    m_textStyle = style;
    m_textHeight = height;
}

MapRect FeaturesBounds(const FeatureList& features) {
    MapRect r = MapRect::null();
    for (const Feature& f : features)
        r = r.united(f.bounds());
    return r;
}
