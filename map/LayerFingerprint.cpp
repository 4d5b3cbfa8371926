#include "map/LayerFingerprint.h"

#include "common/EngineMessages.h"
#include "map/GdalScope.h"
#include "map/TabJournal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>

namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t Fnv(std::uint64_t h, const unsigned char* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        h ^= bytes[i];
        h *= kFnvPrime;
    }
    return h;
}

std::uint64_t Fnv(std::uint64_t h, const char* bytes, size_t size) {
    return Fnv(h, reinterpret_cast<const unsigned char*>(bytes), size);
}

bool Fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

} // namespace

bool LayerFingerprint(const QString& path, const QStringList& fields, QString& fingerprint,
                      QString* error) {
    fingerprint.clear();
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile())
        return Fail(error, QStringLiteral("Файл \"%1\" не існує.").arg(shown));
    // A write broken off is finished or undone first, as every read of a table does.
    if (QFileInfo::exists(TabJournal::JournalPath(path)) && !TabJournal::Recover(path, error))
        return false;
    GdalScope scope(GdalDrivers::MapInfo);
    static const char* const drivers[] = {"MapInfo File", nullptr};
    GDALDatasetUniquePtr ds(GDALDataset::Open(QFile::encodeName(path).constData(),
                                              GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers));
    OGRLayer* layer = ds && ds->GetLayerCount() > 0 ? ds->GetLayer(0) : nullptr;
    if (!layer)
        return Fail(
            error, scope.message(QStringLiteral("Не вдалося відкрити таблицю \"%1\".").arg(shown)));
    // The fields asked for, as the table has them (a missing one counts as such).
    OGRFeatureDefn* defn = layer->GetLayerDefn();
    std::vector<int> at;
    QCryptographicHash total(QCryptographicHash::Sha1);
    for (const QString& field : fields) {
        const QByteArray name = field.toUtf8();
        at.push_back(defn->GetFieldIndex(name.constData()));
        total.addData(name);
        total.addData(QByteArrayView(at.back() < 0 ? "-\x1f" : "+\x1f", 2));
    }
    std::vector<std::uint64_t> digests;
    const GIntBig expected = layer->GetFeatureCount(FALSE);
    if (expected > 0)
        digests.reserve(static_cast<size_t>(expected));
    std::vector<unsigned char> wkb;
    layer->ResetReading();
    while (OGRFeatureUniquePtr f{layer->GetNextFeature()}) {
        std::uint64_t h = kFnvOffset;
        if (const OGRGeometry* g = f->GetGeometryRef()) {
            wkb.resize(g->WkbSize());
            g->exportToWkb(wkbNDR, wkb.data(), wkbVariantIso);
            h = Fnv(h, wkb.data(), wkb.size());
        } else {
            h = Fnv(h, "\x1c", 1);
        }
        for (const int i : at) {
            h = Fnv(h, "\x1e", 1);
            if (i < 0 || !f->IsFieldSetAndNotNull(i))
                continue;
            const QByteArray value = QByteArray(f->GetFieldAsString(i)).trimmed();
            h = Fnv(h, value.constData(), static_cast<size_t>(value.size()));
        }
        digests.push_back(h);
    }
    if (scope.failed())
        return Fail(error,
                    scope.message(QStringLiteral("Помилка читання таблиці \"%1\".").arg(shown)));
    // The objects in any order: their digests sorted.
    std::sort(digests.begin(), digests.end());
    total.addData(QByteArrayView(reinterpret_cast<const char*>(digests.data()),
                                 static_cast<qsizetype>(digests.size() * sizeof(std::uint64_t))));
    fingerprint = QString::fromLatin1(total.result().toHex().left(16));
    return true;
}

void FingerprintLayers(std::vector<FingerprintJob>& jobs) {
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            FingerprintJob& job = jobs[i];
            if (!LayerFingerprint(job.path, job.fields, job.fingerprint, &job.error))
                job.fingerprint.clear();
        }
    };
    if (jobs.size() < 2) {
        work();
        return;
    }
    std::thread helper(work);
    work();
    helper.join();
}

bool LayerHoldsObjects(const QString& path) {
    if (!QFileInfo(path).isFile())
        return false;
    GdalScope scope(GdalDrivers::MapInfo);
    static const char* const drivers[] = {"MapInfo File", nullptr};
    GDALDatasetUniquePtr ds(GDALDataset::Open(QFile::encodeName(path).constData(),
                                              GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers));
    OGRLayer* layer = ds && ds->GetLayerCount() > 0 ? ds->GetLayer(0) : nullptr;
    if (!layer)
        return false;
    layer->ResetReading();
    return OGRFeatureUniquePtr(layer->GetNextFeature()) != nullptr;
}
