#include "valuation/LayerFingerprints.h"

#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Utf8Rows.h"

#include <algorithm>

namespace valuation {

namespace {

bool Ensure(Connection& project) {
    if (TableExists(project, LayerUsesTable()))
        return true;
    Query q(&project);
    return RunQuery(q, LayerUsesTableSql(), false);
}

bool StepOfCaption(const QString& caption, Step& step) {
    for (const Step s : Steps())
        if (StepCaption(s) == caption) {
            step = s;
            return true;
        }
    return false;
}

} // namespace

const std::vector<MapSource>& MapSources() {
    static const std::vector<MapSource> sources = [] {
        const QString districts = names::layer::Districts();
        return std::vector<MapSource>{
            {Step::Areas, QStringLiteral("площі районів узято"), {districts}, false},
            {Step::ZonalWeighted,
             QStringLiteral("шар \u00ab") + names::layer::Zones() +
                 QStringLiteral("\u00bb побудовано"),
             {districts},
             false},
            {Step::ZonalGrouped,
             QStringLiteral("шар \u00ab") + names::layer::Zones() +
                 QStringLiteral("\u00bb побудовано"),
             {districts},
             false},
            {Step::Functional,
             QStringLiteral("площі функціонального використання районів узято"),
             {names::layer::Functional(), districts},
             false},
            {Step::Local, QStringLiteral("локальні фактори районів узято"), {districts}, true},
        };
    }();
    return sources;
}

const MapSource* MapSourceOf(Step step) {
    for (const MapSource& source : MapSources())
        if (source.step == step)
            return &source;
    return nullptr;
}

bool IsLocalLayerName(const QString& layer) {
    return layer.startsWith(QStringLiteral("лок"));
}

QStringList LayerFields(const QString& layer) {
    if (layer == names::layer::Districts())
        return {names::field::Raion()};
    if (layer == names::layer::Functional())
        return {names::field::Code()};
    if (IsLocalLayerName(layer))
        return {names::field::Km3()};
    return {};
}

QString LayerUsesTable() {
    return QStringLiteral("шари_кроків");
}

QString LayerUsesTableSql() {
    return QStringLiteral("CREATE TABLE шари_кроків (id INTEGER PRIMARY KEY AUTOINCREMENT, крок "
                          "TEXT, шар TEXT, поля TEXT, відбиток TEXT)");
}

bool ReadLayerUses(Connection& project, std::vector<StepLayers>& uses, QString* error) {
    uses.clear();
    if (!TableExists(project, LayerUsesTable()))
        return true;
    const bool read = ReadUtf8Rows(
        project, QStringLiteral("SELECT крок, шар, поля, відбиток FROM шари_кроків ORDER BY id"),
        [&](const Utf8Row& row) {
            Step step = Step::Info;
            if (!StepOfCaption(row.text(0), step))
                return;
            if (uses.empty() || uses.back().step != step) {
                auto it = std::find_if(uses.begin(), uses.end(),
                                       [step](const StepLayers& s) { return s.step == step; });
                if (it == uses.end()) {
                    uses.push_back(StepLayers{step, {}});
                } else {
                    // Keep the step's layers together.
                    StepLayers moved = std::move(*it);
                    uses.erase(it);
                    uses.push_back(std::move(moved));
                }
            }
            LayerUse use;
            use.layer = row.text(1);
            const QString fields = row.text(2);
            use.fields = fields.isEmpty() ? QStringList() : fields.split(u',');
            use.fingerprint = row.text(3);
            uses.back().layers.push_back(std::move(use));
        });
    return read || FailReading(error, LayerUsesTable());
}

bool StoreLayerUses(Connection& project, Step step, const std::vector<LayerUse>& layers,
                    QString* error) {
    if (!Ensure(project))
        return FailUpdating(error);
    Query q(&project);
    if (!RunQuery(q,
                  QStringLiteral("DELETE FROM шари_кроків WHERE крок=") +
                      SqlLiteral(StepCaption(step)),
                  false))
        return FailUpdating(error);
    if (layers.empty())
        return true;
    BulkInsert insert(project, LayerUsesTable(),
                      {QStringLiteral("крок"), QStringLiteral("шар"), QStringLiteral("поля"),
                       QStringLiteral("відбиток")});
    for (const LayerUse& use : layers)
        if (!insert.insert({SqlValue(StepCaption(step)), SqlValue(use.layer),
                            SqlValue(use.fields.join(u',')), SqlValue(use.fingerprint)}))
            return FailUpdating(error);
    return true;
}

bool HasLayerUses(Connection& project, Step step, bool& has, QString* error) {
    has = false;
    if (!TableExists(project, LayerUsesTable()))
        return true;
    Query q(&project);
    if (!RunQuery(q,
                  QStringLiteral("SELECT count(*) FROM шари_кроків WHERE крок=") +
                      SqlLiteral(StepCaption(step)),
                  true))
        return FailReading(error, LayerUsesTable());
    has = q.text(0).toInt() > 0;
    return true;
}

} // namespace valuation
