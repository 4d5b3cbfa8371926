#pragma once

#include "map/Geometry.h"
#include "map/MapTypes.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

/** Index of a field among the names, compared ignoring case; -1 when absent. */
int FieldIndex(const QStringList& names, const QString& name);

/**
 * One map object: shape, attribute values (by the field names of its layer), style and,
 * for text objects, the text. A value type: copies share the immutable shape.
 */
class Feature {
public:
    Feature() = default;

    /** The object's number in its table file (-1 when it is not stored yet). */
    qint64 fid() const { return m_fid; }
    void setFid(qint64 fid) { m_fid = fid; }

    /** Region, line, point, text or other. */
    FeatureKind kind() const;
    bool isRegion() const { return kind() == FeatureKind::Region; }

    const GeometryPtr& geometry() const { return m_geometry; }
    void setGeometry(GeometryPtr geometry) { m_geometry = std::move(geometry); }
    /** The envelope of the shape (null for no shape). */
    MapRect bounds() const;

    /** Number of parts (rings of a region, lines of a polyline, 1 for a point). */
    int partCount() const;
    /** Points of a 0-based part, the closing point of a ring included; 0 when out of range. */
    int pointCount(int part) const;
    /** Planar area in square metres of a region; 0 for other kinds. */
    double areaSquareMetres() const;
    /** The centroid of the shape (the point itself for points and texts). */
    QPointF centre() const;
    /** Where the object's label goes: the centroid, or a point inside a region that bends
     * around its centroid. */
    QPointF labelPoint() const;

    const QStringList& fieldNames() const;
    const QStringList& values() const { return m_values; }
    /** Sets the field names with empty values (used by layers and factories). */
    void setFields(std::shared_ptr<const QStringList> names);
    /** Index of a field, names compared ignoring case; -1 when absent. */
    int fieldIndex(const QString& name) const { return FieldIndex(fieldNames(), name); }
    /** The value of a named field as text; false when there is no such field. */
    bool value(const QString& name, QString* value) const;
    /** Sets a named field; false when there is no such field. */
    bool setValue(const QString& name, const QString& value);
    void setValueAt(int index, const QString& value);

    const RegionStyle& regionStyle() const { return m_style; }
    void setRegionStyle(const RegionStyle& style);
    /** Whether the style was set or read (else the layer's default is drawn). */
    bool hasRegionStyle() const { return m_hasStyle; }
    /** The stored OGR style text for objects other than regions and texts. */
    const QString& otherStyle() const { return m_otherStyle; }
    void setOtherStyle(const QString& style) { m_otherStyle = style; }

    const QString& text() const { return m_text; }
    const TextStyle& textStyle() const { return m_textStyle; }
    /** Height of the text in map units. */
    double textHeight() const { return m_textHeight; }
    /** Makes this a text object. */
    void setText(const QString& text, const TextStyle& style, double height);

private:
    qint64 m_fid = -1;
    GeometryPtr m_geometry;
    std::shared_ptr<const QStringList> m_fieldNames;
    QStringList m_values;
    RegionStyle m_style;
    bool m_hasStyle = false;
    QString m_otherStyle;
    bool m_isText = false;
    QString m_text;
    TextStyle m_textStyle;
    double m_textHeight = 0;
};

using FeatureList = std::vector<Feature>;

/** The envelope of all features (null when there are none). */
MapRect FeaturesBounds(const FeatureList& features);
