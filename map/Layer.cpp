#include "map/Layer.h"

#include <algorithm>

std::unique_ptr<Layer> Layer::open(const QString& path, const QString& name, QString* error) {
    TableContent content;
    if (!TabFile::read(path, content, error))
        return nullptr;
    std::unique_ptr<Layer> layer(new Layer());
    layer->m_name = name;
    layer->m_filespec = path;
    layer->load(std::move(content));
    return layer;
}

void Layer::load(TableContent content) {
    m_bounds = content.bounds;
    m_fields = std::move(content.fields);
    auto names = std::make_shared<QStringList>();
    for (const FieldDef& f : m_fields)
        names->append(f.name);
    m_names = names;
    m_features = std::move(content.features);
    // Objects read share one name list of the file; keep ours the same.
    for (Feature& f : m_features)
        if (f.fieldNames() != *names)
            f.setFields(m_names);
    std::vector<SpatialIndex::Entry> entries;
    entries.reserve(m_features.size());
    for (const Feature& f : m_features)
        entries.push_back({f.fid(), f.bounds()});
    m_index.build(std::move(entries));
    m_selection.clear();
}

QStringList Layer::fieldNames() const {
    return *m_names;
}

Feature Layer::newFeature() const {
    Feature f;
    f.setFields(m_names);
    return f;
}

std::optional<Feature> Layer::addFeature(const Feature& feature, QString* error) {
    Feature stored = newFeature();
    stored.setGeometry(feature.geometry());
    const QStringList& names = feature.fieldNames();
    for (qsizetype i = 0; i < names.size() && i < feature.values().size(); ++i)
        stored.setValue(names[i], feature.values()[i]);
    if (feature.kind() == FeatureKind::Text)
        stored.setText(feature.text(), feature.textStyle(), feature.textHeight());
    if (feature.hasRegionStyle())
        stored.setRegionStyle(feature.regionStyle());
    stored.setOtherStyle(feature.otherStyle());
    if (!TabFile::append(m_filespec, stored, error))
        return std::nullopt;
    m_features.push_back(stored);
    m_index.insert(stored.fid(), stored.bounds());
    m_bounds = m_bounds.united(stored.bounds());
    changed();
    return stored;
}

bool Layer::deleteFeature(const Feature& feature, QString* error) {
    const int i = indexOf(feature.fid());
    if (i < 0) {
        if (error)
            *error = QStringLiteral("Об'єкт не належить шару \"%1\".").arg(m_name);
        return false;
    }
    if (!TabFile::remove(m_filespec, feature.fid(), error))
        return false;
    m_selection.remove(feature.fid());
    m_index.remove(feature.fid());
    m_features.erase(m_features.begin() + i);
    changed();
    return true;
}

bool Layer::updateFeature(const Feature& feature, QString* error) {
    const int i = indexOf(feature.fid());
    if (i < 0) {
        if (error)
            *error = QStringLiteral("Об'єкт не належить шару \"%1\".").arg(m_name);
        return false;
    }
    const Feature stored = merged(m_features[static_cast<size_t>(i)], feature);
    if (!TabFile::rewrite(m_filespec, stored, error))
        return false;
    m_features[static_cast<size_t>(i)] = stored;
    m_index.insert(stored.fid(), stored.bounds());
    m_bounds = m_bounds.united(stored.bounds());
    changed();
    return true;
}

bool Layer::replaceAll(const FeatureList& features, QString* error) {
    return replaceAll(m_fields, features, error);
}

bool Layer::replaceAll(const std::vector<FieldDef>& fields, const FeatureList& features,
                       QString* error) {
    FeatureList written = features;
    if (!TabFile::replaceAll(m_filespec, fields, written, error))
        return false;
    // Read back what the file holds (coordinates as stored, fids as given by the file).
    TableContent content;
    if (!TabFile::read(m_filespec, content, error))
        return false;
    load(std::move(content));
    changed();
    return true;
}

bool Layer::updateFeatures(const FeatureList& features, QString* error) {
    FeatureList all = m_features;
    for (const Feature& change : features) {
        const int i = indexOf(change.fid());
        if (i < 0) {
            if (error)
                *error = QStringLiteral("Об'єкт не належить шару \"%1\".").arg(m_name);
            return false;
        }
        all[static_cast<size_t>(i)] = merged(all[static_cast<size_t>(i)], change);
    }
    return replaceAll(all, error);
}

Feature Layer::merged(const Feature& stored, const Feature& change) const {
    // Values are kept under this layer's field names, whatever list the change carries.
    Feature out = stored;
    out.setGeometry(change.geometry());
    const QStringList& names = change.fieldNames();
    for (qsizetype k = 0; k < names.size() && k < change.values().size(); ++k)
        out.setValue(names[k], change.values()[k]);
    if (change.hasRegionStyle())
        out.setRegionStyle(change.regionStyle());
    if (change.kind() == FeatureKind::Text)
        out.setText(change.text(), change.textStyle(), change.textHeight());
    return out;
}

std::vector<int> Layer::objectsIn(const MapRect& rect) const {
    std::vector<int> out;
    for (const qint64 fid : m_index.query(rect)) {
        const int i = indexOf(fid);
        if (i >= 0)
            out.push_back(i);
    }
    // Fids ascend in table order, but keep the promise whatever the file gave.
    if (!std::is_sorted(out.begin(), out.end()))
        std::sort(out.begin(), out.end());
    return out;
}

std::optional<Feature> Layer::firstSelected() const {
    for (const Feature& f : m_features)
        if (m_selection.contains(f.fid()))
            return f;
    return std::nullopt;
}

FeatureList Layer::selectedFeatures() const {
    FeatureList out;
    for (const Feature& f : m_features)
        if (m_selection.contains(f.fid()))
            out.push_back(f);
    return out;
}

void Layer::setSelection(const QSet<qint64>& fids) {
    m_selection = fids;
}

int Layer::indexOf(qint64 fid) const {
    if (fid < 0)
        return -1;
    // Objects are kept in fid order (the file gives them so and new ones get higher
    // fids), so look where the fid should be first.
    const auto n = static_cast<qint64>(m_features.size());
    if (fid - 1 < n && m_features[static_cast<size_t>(fid - 1)].fid() == fid)
        return static_cast<int>(fid - 1);
    const auto it = std::lower_bound(m_features.begin(), m_features.end(), fid,
                                     [](const Feature& f, qint64 v) { return f.fid() < v; });
    if (it != m_features.end() && it->fid() == fid)
        return static_cast<int>(it - m_features.begin());
    for (qint64 i = 0; i < n; ++i)
        if (m_features[static_cast<size_t>(i)].fid() == fid)
            return static_cast<int>(i);
    return -1;
}

bool Dataset::value(const Feature& feature, const QString& field, QString* value) const {
    if (field.isEmpty())
        return false;
    if (m_layer->fieldIndex(field) < 0)
        return false;
    if (!feature.value(field, value) && value)
        value->clear();
    return true;
}

bool Dataset::setValue(Feature& feature, const QString& field, const QString& value) const {
    if (m_layer->fieldIndex(field) < 0)
        return false;
    if (feature.setValue(field, value))
        return true;
    // A copy from another layer: give it this layer's fields, keeping matching values.
    Feature converted = m_layer->newFeature();
    for (qsizetype i = 0; i < feature.fieldNames().size() && i < feature.values().size(); ++i)
        converted.setValue(feature.fieldNames()[i], feature.values()[i]);
    converted.setValue(field, value);
    converted.setGeometry(feature.geometry());
    converted.setFid(feature.fid());
    if (feature.hasRegionStyle())
        converted.setRegionStyle(feature.regionStyle());
    feature = converted;
    return true;
}
