#pragma once

#include "map/Feature.h"
#include "map/SpatialIndex.h"
#include "map/TabFile.h"

#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

/**
 * A layer of the map: the objects of one ".tab" table held in memory, with an index of their
 * envelopes. Adding, deleting and updating objects writes the table file at once, then
 * changes the copy in memory and the index. A layer opened on its own (not on a map) serves
 * overlays and other work that shows nothing.
 */
class Layer {
public:
    /** Reads the table; null with the reason in `error` when it cannot be read. */
    static std::unique_ptr<Layer> open(const QString& path, const QString& name, QString* error);

    const QString& name() const { return m_name; }
    /** The table's file path as it was opened. */
    const QString& filespec() const { return m_filespec; }
    bool visible() const { return m_visible; }
    void setVisible(bool visible) {
        m_visible = visible;
        changed();
    }
    /** Called after every stored change of the objects or visibility (the map redraws). */
    void setChangedCallback(std::function<void()> callback) { m_changed = std::move(callback); }
    /** The extent stored in the table file, widened by objects added since. */
    const MapRect& bounds() const { return m_bounds; }

    const std::vector<FieldDef>& fields() const { return m_fields; }
    QStringList fieldNames() const;
    /** Index of a field, names compared ignoring case; -1 when absent. */
    int fieldIndex(const QString& name) const { return FieldIndex(*m_names, name); }

    /** The objects as held (for drawing and hit tests). */
    const FeatureList& features() const { return m_features; }
    /** A copy of all objects. */
    FeatureList allFeatures() const { return m_features; }
    int featureCount() const { return static_cast<int>(m_features.size()); }
    /** A new object of this layer's fields, no shape yet. */
    Feature newFeature() const;
    /**
     * Positions in features() of the objects whose envelope meets the rectangle (touching
     * edges count), in table order. Objects without a shape are never found.
     */
    std::vector<int> objectsIn(const MapRect& rect) const;
    /** The position in features() of the object of the fid; -1 when there is none. */
    int indexOf(qint64 fid) const;

    /** Stores a copy of the feature in the table; the stored object is returned. */
    std::optional<Feature> addFeature(const Feature& feature, QString* error);
    /** Deletes the object of the feature's fid. */
    bool deleteFeature(const Feature& feature, QString* error);
    /** Writes the feature's shape, values and style over the object of its fid. */
    bool updateFeature(const Feature& feature, QString* error);

    /**
     * Replaces every object of the table by the features, in their order, writing the whole
     * table once and atomically (the old table stays whole on any failure), then reads it
     * back. Values are matched to this layer's fields by name. The objects get new fids
     * 1..n; earlier copies no longer name them. The selection is cleared.
     */
    bool replaceAll(const FeatureList& features, QString* error);
    /** The same with new fields for the table (for example one more column). */
    bool replaceAll(const std::vector<FieldDef>& fields, const FeatureList& features,
                    QString* error);
    /**
     * Writes many changed objects (matched by fid, as updateFeature does) in one atomic
     * writing of the whole table. Nothing is written when a fid is not in the layer. Fids
     * stay as they are unless objects were deleted before (the table is renumbered then).
     */
    bool updateFeatures(const FeatureList& features, QString* error);

    /** Selection, by fid. */
    int selectionCount() const { return static_cast<int>(m_selection.size()); }
    /** The first selected object in table order. */
    std::optional<Feature> firstSelected() const;
    FeatureList selectedFeatures() const;
    bool isSelected(qint64 fid) const { return m_selection.contains(fid); }
    void setSelection(const QSet<qint64>& fids);
    void clearSelection() { m_selection.clear(); }

private:
    Layer() = default;
    // Takes what a reading of the table gave.
    void load(TableContent content);
    // The stored object with the change's shape, values (by field name) and style.
    Feature merged(const Feature& stored, const Feature& change) const;
    void changed() const {
        if (m_changed)
            m_changed();
    }

    QString m_name;
    QString m_filespec;
    bool m_visible = true;
    MapRect m_bounds = MapRect::null();
    std::vector<FieldDef> m_fields;
    std::shared_ptr<const QStringList> m_names;
    FeatureList m_features;
    SpatialIndex m_index; // envelopes by fid
    QSet<qint64> m_selection;
    std::function<void()> m_changed;
};

/**
 * The attribute table of a layer: field names and values of its objects by field name.
 * Holds the layer by pointer; valid while the layer is on the map.
 */
class Dataset {
public:
    explicit Dataset(Layer* layer) : m_layer(layer) {}
    const QString& name() const { return m_layer->name(); }
    Layer* layer() const { return m_layer; }
    QStringList fieldNames() const { return m_layer->fieldNames(); }
    /** The value of a named field of the feature; false when the layer has no such field. */
    bool value(const Feature& feature, const QString& field, QString* value) const;
    /** Sets a named field of the feature (store it with Layer::updateFeature). */
    bool setValue(Feature& feature, const QString& field, const QString& value) const;

private:
    Layer* m_layer;
};
