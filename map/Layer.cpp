#include "map/Layer.h"

std::unique_ptr<Layer> Layer::open(const QString& path, const QString& name, QString* error) {
    TableContent content;
    if (!TabFile::read(path, content, error))
        return nullptr;
    std::unique_ptr<Layer> layer(new Layer());
    layer->m_name = name;
    layer->m_filespec = path;
    layer->m_bounds = content.bounds;
    layer->m_fields = std::move(content.fields);
    auto names = std::make_shared<QStringList>();
    for (const FieldDef& f : layer->m_fields)
        names->append(f.name);
    layer->m_names = names;
    layer->m_features = std::move(content.features);
    // Objects read share one name list of the file; keep ours the same.
    for (Feature& f : layer->m_features)
        if (f.fieldNames() != *names)
            f.setFields(layer->m_names);
    return layer;
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
    // Values are kept under this layer's field names, whatever list the copy carries.
    Feature stored = m_features[static_cast<size_t>(i)];
    stored.setGeometry(feature.geometry());
    const QStringList& names = feature.fieldNames();
    for (qsizetype k = 0; k < names.size() && k < feature.values().size(); ++k)
        stored.setValue(names[k], feature.values()[k]);
    if (feature.hasRegionStyle())
        stored.setRegionStyle(feature.regionStyle());
    if (feature.kind() == FeatureKind::Text)
        stored.setText(feature.text(), feature.textStyle(), feature.textHeight());
    if (!TabFile::rewrite(m_filespec, stored, error))
        return false;
    m_features[static_cast<size_t>(i)] = stored;
    m_bounds = m_bounds.united(stored.bounds());
    changed();
    return true;
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
    // Objects are kept in fid order, so look where the fid should be first.
    const auto n = static_cast<qint64>(m_features.size());
    if (fid - 1 < n && fid - 1 >= 0 && m_features[static_cast<size_t>(fid - 1)].fid() == fid)
        return static_cast<int>(fid - 1);
    for (qint64 i = 0; i < n; ++i)
        if (m_features[static_cast<size_t>(i)].fid() == fid)
            return static_cast<int>(i);
    return -1;
}

bool Dataset::value(const Feature& feature, const QString& field, QString* value) const {
    if (field.isEmpty())
        return false;
    bool known = false;
    for (const FieldDef& f : m_layer->fields())
        known = known || f.name.compare(field, Qt::CaseInsensitive) == 0;
    if (!known)
        return false;
    if (!feature.value(field, value) && value)
        value->clear();
    return true;
}

bool Dataset::setValue(Feature& feature, const QString& field, const QString& value) const {
    bool known = false;
    for (const FieldDef& f : m_layer->fields())
        known = known || f.name.compare(field, Qt::CaseInsensitive) == 0;
    if (!known)
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
