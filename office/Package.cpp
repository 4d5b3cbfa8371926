#include "office/Package.h"

#include "common/EngineMessages.h"
#include "common/OwnedHandle.h"
#include "common/WriteSteps.h"
#include "office/OfficeError.h"
#include "office/PartDeflater.h"
#include "office/ZipFileTarget.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <utility>
#include <zip.h>
#include <zlib.h>

namespace {

QString zipErrorText(zip_error_t* error) {
    return UkrainianEngineMessage(QString::fromLocal8Bit(zip_error_strerror(error)));
}

/** An archive, discarded (closed without writing) unless zip_close took it. */
using ZipArchive = OwnedHandle<zip_t, zip_discard>;

const char* const kContentTypes = "[Content_Types].xml";

/** Collects serialised XML, growing its buffer geometrically. */
struct ByteWriter final : pugi::xml_writer {
    QByteArray out;
    void write(const void* data, size_t size) override {
        const qsizetype needed = out.size() + static_cast<qsizetype>(size);
        if (needed > out.capacity())
            out.reserve(std::max(needed, out.capacity() * 2));
        out.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }
};

const char* const kDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

/** Serialises XML the way Office writes it: declaration, no indentation. */
QByteArray toBytes(const pugi::xml_document& doc) {
    ByteWriter writer;
    writer.out.reserve(1 << 16);
    writer.out.append(kDeclaration);
    doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return writer.out;
}

/** Parts whose bytes deflate would not make smaller. */
bool IsCompressedMedia(const QString& name) {
    return name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
}

QString partKey(const QString& name) {
    QString key = name;
    while (key.startsWith(u'/'))
        key.remove(0, 1);
    return key;
}

} // namespace

QString XmlErrorText(const QString& part, const pugi::xml_parse_result& result) {
    return QStringLiteral("Пошкоджений XML у частині \"%1\": %2 (позиція %3).")
        .arg(part, UkrainianEngineMessage(QString::fromUtf8(result.description())))
        .arg(result.offset);
}

QString ResolvePartName(const QString& sourcePart, const QString& target) {
    if (target.startsWith(u'/'))
        return QDir::cleanPath(target).mid(1);
    const qsizetype slash = sourcePart.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : sourcePart.left(slash + 1);
    QString path = QDir::cleanPath(QStringLiteral("/") + folder + target);
    return path.mid(1);
}

void OoxmlPackage::load(const QString& path, const PackageLimits& limits) {
    if (!QFileInfo(path).isFile())
        throw OfficeError(QStringLiteral("Файл \"%1\" не існує.").arg(path));
    int code = 0;
    ZipArchive archive(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code));
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString text = zipErrorText(&error);
        zip_error_fini(&error);
        throw OfficeError(
            QStringLiteral("Файл \"%1\" не є пакетом OOXML (zip): %2.").arg(path, text));
    }
    readZip(archive.get(), limits);
}

void OoxmlPackage::loadFromMemory(const QByteArray& zip, const PackageLimits& limits) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(zip.constData(), static_cast<zip_uint64_t>(zip.size()), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        throw OfficeError(QStringLiteral("Недостатньо пам'яті."));
    }
    ZipArchive archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!archive) {
        zip_source_free(source);
        const QString text = zipErrorText(&error);
        zip_error_fini(&error);
        throw OfficeError(QStringLiteral("Дані не є пакетом OOXML (zip): %1.").arg(text));
    }
    zip_error_fini(&error);
    readZip(archive.get(), limits);
}

void OoxmlPackage::readZip(zip_t* archive, const PackageLimits& limits) {
    m_parts.clear();
    m_order.clear();
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count > limits.maxParts)
        throw OfficeError(QStringLiteral("Пакет містить забагато частин (%1).").arg(count));
    // Sum the declared sizes first: a zip bomb is refused before anything is unpacked.
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) != 0 ||
            !(st.valid & ZIP_STAT_SIZE))
            throw OfficeError(QStringLiteral("Пошкоджений zip: немає розміру частини %1.").arg(i));
        total += static_cast<qint64>(std::min<zip_uint64_t>(st.size, 1ULL << 40));
        if (total > limits.maxTotalBytes)
            throw OfficeError(
                QStringLiteral("Пакет розпаковується у понад %1 МБ; його не відкрито.")
                    .arg(limits.maxTotalBytes / (1024 * 1024)));
    }
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st);
        const QString name = QString::fromUtf8(st.name ? st.name : "");
        if (name.isEmpty() || name.endsWith(u'/'))
            continue;
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (!file)
            throw OfficeError(QStringLiteral("Частину \"%1\" неможливо прочитати: %2.")
                                  .arg(name, UkrainianEngineMessage(
                                                 QString::fromLocal8Bit(zip_strerror(archive)))));
        QByteArray data(static_cast<qsizetype>(st.size), Qt::Uninitialized);
        const zip_int64_t read = data.isEmpty() ? 0 : zip_fread(file, data.data(), st.size);
        const bool ok = read == static_cast<zip_int64_t>(st.size);
        const QString reason =
            ok ? QString()
               : UkrainianEngineMessage(QString::fromLocal8Bit(zip_file_strerror(file)));
        zip_fclose(file);
        if (!ok)
            throw OfficeError(
                QStringLiteral("Частину \"%1\" неможливо розпакувати: %2.").arg(name, reason));
        const QString key = partKey(name);
        if (m_parts.find(key) == m_parts.end())
            m_order.append(key);
        m_parts[key].data = std::move(data);
    }
    if (!hasPart(QString::fromLatin1(kContentTypes)))
        throw OfficeError(QStringLiteral("У пакеті немає частини \"[Content_Types].xml\"."));
}

bool OoxmlPackage::hasPart(const QString& name) const {
    return m_parts.count(partKey(name)) != 0;
}

QByteArray OoxmlPackage::serialised(const Part& part) {
    if (part.doc && part.writer) {
        ByteWriter writer;
        writer.out.reserve(1 << 16);
        writer.out.append(kDeclaration);
        part.writer(writer);
        return writer.out;
    }
    return part.doc ? toBytes(*part.doc) : part.data;
}

void OoxmlPackage::serialise(const Part& part, pugi::xml_writer& out) {
    if (!part.doc) {
        out.write(part.data.constData(), static_cast<size_t>(part.data.size()));
        return;
    }
    out.write(kDeclaration, std::strlen(kDeclaration));
    if (part.writer)
        part.writer(out);
    else
        part.doc->save(out, "", pugi::format_raw | pugi::format_no_declaration,
                       pugi::encoding_utf8);
}

QByteArray OoxmlPackage::partData(const QString& name) const {
    auto it = m_parts.find(partKey(name));
    if (it == m_parts.end())
        throw OfficeError(QStringLiteral("У пакеті немає частини \"%1\".").arg(name));
    return serialised(it->second);
}

void OoxmlPackage::setPartData(const QString& name, const QByteArray& data) {
    const QString key = partKey(name);
    if (m_parts.find(key) == m_parts.end())
        m_order.append(key);
    Part& part = m_parts[key];
    part.data = data;
    part.doc.reset();
    part.writer = nullptr;
}

void OoxmlPackage::removePart(const QString& name) {
    const QString key = partKey(name);
    m_parts.erase(key);
    m_order.removeAll(key);
}

QStringList OoxmlPackage::partNames() const {
    return m_order;
}

pugi::xml_document& OoxmlPackage::xml(const QString& name) {
    auto it = m_parts.find(partKey(name));
    if (it == m_parts.end())
        throw OfficeError(QStringLiteral("У пакеті немає частини \"%1\".").arg(name));
    Part& part = it->second;
    if (!part.doc) {
        auto doc = std::make_unique<pugi::xml_document>();
        const pugi::xml_parse_result result = doc->load_buffer(
            part.data.constData(), static_cast<size_t>(part.data.size()),
            pugi::parse_default | pugi::parse_ws_pcdata_single, pugi::encoding_auto);
        if (!result)
            throw OfficeError(XmlErrorText(name, result));
        if (!doc->document_element())
            throw OfficeError(QStringLiteral("Частина \"%1\" не містить XML.").arg(name));
        part.doc = std::move(doc);
        part.data.clear();
    }
    return *part.doc;
}

void OoxmlPackage::setPartWriter(const QString& name, PartWriter writer) {
    xml(name);
    m_parts.at(partKey(name)).writer = std::move(writer);
}

pugi::xml_document& OoxmlPackage::createXml(const QString& name, const QByteArray& text) {
    setPartData(name, text);
    return xml(name);
}

QString OoxmlPackage::relsName(const QString& part) {
    const QString key = partKey(part);
    const qsizetype slash = key.lastIndexOf(u'/');
    return key.left(slash + 1) + QStringLiteral("_rels/") + key.mid(slash + 1) +
           QStringLiteral(".rels");
}

QString OoxmlPackage::rootTarget(const QString& typeSuffix) {
    if (!hasPart(QStringLiteral("_rels/.rels")))
        throw OfficeError(QStringLiteral("У пакеті немає частини \"_rels/.rels\"."));
    for (pugi::xml_node rel : xml(QStringLiteral("_rels/.rels")).document_element().children()) {
        const QString type = QString::fromUtf8(rel.attribute("Type").value());
        if (type.endsWith(typeSuffix))
            return ResolvePartName(QString(), QString::fromUtf8(rel.attribute("Target").value()));
    }
    return QString();
}

QString OoxmlPackage::relTarget(const QString& part, const QString& id) {
    const QString rels = relsName(part);
    if (!hasPart(rels))
        return QString();
    for (pugi::xml_node rel : xml(rels).document_element().children()) {
        if (QString::fromUtf8(rel.attribute("Id").value()) == id)
            return ResolvePartName(part, QString::fromUtf8(rel.attribute("Target").value()));
    }
    return QString();
}

QString OoxmlPackage::relTargetByType(const QString& part, const QString& typeSuffix) {
    const QString rels = relsName(part);
    if (!hasPart(rels))
        return QString();
    for (pugi::xml_node rel : xml(rels).document_element().children()) {
        if (QString::fromUtf8(rel.attribute("Type").value()).endsWith(typeSuffix) &&
            QString::fromUtf8(rel.attribute("TargetMode").value()) != QLatin1String("External"))
            return ResolvePartName(part, QString::fromUtf8(rel.attribute("Target").value()));
    }
    return QString();
}

QString OoxmlPackage::addRelationship(const QString& part, const QString& type,
                                      const QString& target) {
    const QString rels = relsName(part);
    if (!hasPart(rels))
        createXml(rels, QByteArrayLiteral(
                            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                            "relationships\"/>"));
    pugi::xml_node root = xml(rels).document_element();
    QSet<QString> taken;
    for (pugi::xml_node rel : root.children())
        taken.insert(QString::fromUtf8(rel.attribute("Id").value()));
    int n = static_cast<int>(taken.size()) + 1;
    while (taken.contains(QStringLiteral("rId%1").arg(n)))
        ++n;
    const QString id = QStringLiteral("rId%1").arg(n);
    pugi::xml_node rel = root.append_child("Relationship");
    rel.append_attribute("Id").set_value(id.toUtf8().constData());
    rel.append_attribute("Type").set_value(type.toUtf8().constData());
    rel.append_attribute("Target").set_value(target.toUtf8().constData());
    return id;
}

void OoxmlPackage::removeRelsTo(const QString& part, const QString& target) {
    const QString rels = relsName(part);
    if (!hasPart(rels))
        return;
    pugi::xml_node root = xml(rels).document_element();
    for (pugi::xml_node rel = root.first_child(); rel;) {
        pugi::xml_node next = rel.next_sibling();
        if (ResolvePartName(part, QString::fromUtf8(rel.attribute("Target").value())) == target)
            root.remove_child(rel);
        rel = next;
    }
}

QString OoxmlPackage::contentType(const QString& part) {
    const QString key = QStringLiteral("/") + partKey(part);
    pugi::xml_node types = xml(QString::fromLatin1(kContentTypes)).document_element();
    for (pugi::xml_node o : types.children("Override")) {
        if (QString::fromUtf8(o.attribute("PartName").value()).compare(key, Qt::CaseInsensitive) ==
            0)
            return QString::fromUtf8(o.attribute("ContentType").value());
    }
    const QString ext = key.mid(key.lastIndexOf(u'.') + 1);
    for (pugi::xml_node d : types.children("Default")) {
        if (QString::fromUtf8(d.attribute("Extension").value()).compare(ext, Qt::CaseInsensitive) ==
            0)
            return QString::fromUtf8(d.attribute("ContentType").value());
    }
    return QString();
}

void OoxmlPackage::setContentTypeOverride(const QString& part, const QString& type) {
    const QString key = QStringLiteral("/") + partKey(part);
    pugi::xml_node types = xml(QString::fromLatin1(kContentTypes)).document_element();
    for (pugi::xml_node o : types.children("Override")) {
        if (QString::fromUtf8(o.attribute("PartName").value()).compare(key, Qt::CaseInsensitive) ==
            0) {
            o.attribute("ContentType").set_value(type.toUtf8().constData());
            return;
        }
    }
    pugi::xml_node o = types.append_child("Override");
    o.append_attribute("PartName").set_value(key.toUtf8().constData());
    o.append_attribute("ContentType").set_value(type.toUtf8().constData());
}

void OoxmlPackage::setContentTypeDefault(const QString& extension, const QString& type) {
    pugi::xml_node types = xml(QString::fromLatin1(kContentTypes)).document_element();
    for (pugi::xml_node d : types.children("Default")) {
        if (QString::fromUtf8(d.attribute("Extension").value())
                .compare(extension, Qt::CaseInsensitive) == 0)
            return;
    }
    // Defaults come before the overrides.
    pugi::xml_node first = types.child("Override");
    pugi::xml_node d =
        first ? types.insert_child_before("Default", first) : types.append_child("Default");
    d.append_attribute("Extension").set_value(extension.toUtf8().constData());
    d.append_attribute("ContentType").set_value(type.toUtf8().constData());
}

void OoxmlPackage::removeContentTypeOverride(const QString& part) {
    const QString key = QStringLiteral("/") + partKey(part);
    pugi::xml_node types = xml(QString::fromLatin1(kContentTypes)).document_element();
    for (pugi::xml_node o : types.children("Override")) {
        if (QString::fromUtf8(o.attribute("PartName").value()).compare(key, Qt::CaseInsensitive) ==
            0) {
            types.remove_child(o);
            return;
        }
    }
}

/**
 * A part as a zip source: serialised when the zip asks for its size or opens it, released
 * when the zip has read it, so that only one serialised part exists at a time. A part to be
 * compressed is deflated while it is serialised and handed to the zip as deflated data,
 * with its CRC and size.
 */
struct PartSource {
    const OoxmlPackage::Part* part = nullptr;
    /** Where the first failure's text goes; the save reports it. */
    QString* failure = nullptr;
    /** Whether the part is deflated here (else it is stored as it is). */
    bool deflated = false;
    QByteArray data;
    bool ready = false;
    /** The serialised size, kept after the data is released: the zip asks again. */
    qint64 size = -1;
    quint32 crc = 0;
    qsizetype offset = 0;
    zip_error_t error{};

    bool prepare() {
        if (ready)
            return true;
        try {
            if (deflated) {
                PartDeflater writer;
                OoxmlPackage::serialise(*part, writer);
                if (!writer.finish())
                    return fail(QStringLiteral("помилка стиснення"));
                data = writer.takeOutput();
                size = writer.size();
                crc = writer.crc();
            } else {
                data = OoxmlPackage::serialised(*part);
                size = data.size();
            }
        } catch (const OfficeError& e) {
            return fail(e.message());
        } catch (const std::exception& e) {
            return fail(QString::fromLocal8Bit(e.what()));
        }
        ready = true;
        return true;
    }
    bool fail(const QString& text) {
        if (failure->isEmpty())
            *failure = text;
        zip_error_set(&error, ZIP_ER_INTERNAL, 0);
        return false;
    }

    static zip_int64_t callback(void* state, void* data, zip_uint64_t length,
                                zip_source_cmd_t command) {
        auto* self = static_cast<PartSource*>(state);
        switch (command) {
        case ZIP_SOURCE_OPEN:
            self->offset = 0;
            return self->prepare() ? 0 : -1;
        case ZIP_SOURCE_READ: {
            const qsizetype n = std::min<qsizetype>(
                self->data.size() - self->offset,
                static_cast<qsizetype>(std::min<zip_uint64_t>(length, 1U << 30)));
            std::memcpy(data, self->data.constData() + self->offset, static_cast<size_t>(n));
            self->offset += n;
            return n;
        }
        case ZIP_SOURCE_CLOSE:
            self->data = QByteArray();
            self->ready = false;
            return 0;
        case ZIP_SOURCE_STAT: {
            if (self->size < 0 && !self->prepare())
                return -1;
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->size = static_cast<zip_uint64_t>(self->size);
            st->valid |= ZIP_STAT_SIZE;
            if (self->deflated) {
                // Deflated already: the zip copies the bytes and takes the CRC from here.
                st->comp_method = ZIP_CM_DEFLATE;
                st->crc = self->crc;
                st->valid |= ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
            }
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_GET_FILE_ATTRIBUTES: {
            if (length < sizeof(zip_file_attributes_t))
                return -1;
            auto* attributes = static_cast<zip_file_attributes_t*>(data);
            zip_file_attributes_init(attributes);
            if (self->deflated) {
                // The header's mark of level-1 deflate, as the zip's own deflate sets it.
                attributes->valid |= ZIP_FILE_ATTRIBUTES_GENERAL_PURPOSE_BIT_FLAGS;
                attributes->general_purpose_bit_flags = 2 << 1;
                attributes->general_purpose_bit_mask = 0x0006;
            }
            return sizeof(zip_file_attributes_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&self->error, data, length);
        case ZIP_SOURCE_FREE:
            zip_error_fini(&self->error);
            delete self;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(
                ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                ZIP_SOURCE_GET_FILE_ATTRIBUTES, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&self->error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

    /** Adds every part to an archive opened for writing; each is serialised when written. */
    static void addParts(zip_t* archive, const QStringList& order,
                         const std::map<QString, OoxmlPackage::Part>& parts, QString& failure);
};

void PartSource::addParts(zip_t* archive, const QStringList& order,
                          const std::map<QString, OoxmlPackage::Part>& parts, QString& failure) {
    for (const QString& name : order) {
        auto* state = new PartSource;
        state->part = &parts.at(name);
        state->failure = &failure;
        state->deflated = !IsCompressedMedia(name);
        zip_error_init(&state->error);
        zip_source_t* source = zip_source_function(archive, &PartSource::callback, state);
        if (!source) {
            zip_error_fini(&state->error);
            delete state;
            throw OfficeError(
                UkrainianEngineMessage(QString::fromLocal8Bit(zip_strerror(archive))));
        }
        const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source,
                                               ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            throw OfficeError(
                UkrainianEngineMessage(QString::fromLocal8Bit(zip_strerror(archive))));
        }
        // Fast deflate (done by the source): the XML of a big table compresses well even at
        // level 1. Pictures are compressed already and are stored as they are.
        if (IsCompressedMedia(name))
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
        else
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
        zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), 315532800, 0);
    }
}

namespace {

/**
 * Removes what a save of the same file that was killed left beside it: our temporary file
 * ".~<name>.XXXXXX" and the one libzip writes next to it, ".~<name>.XXXXXX.XXXXXX".
 */
void RemoveSaveLeftovers(const QFileInfo& target) {
    const QRegularExpression pattern(QStringLiteral("^\\.~") +
                                     QRegularExpression::escape(target.fileName()) +
                                     QStringLiteral("\\.\\w{6}(\\.\\w{6})?$"));
    const QDir dir = target.absoluteDir();
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (pattern.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
}

} // namespace

PendingSave::PendingSave(PendingSave&& other) noexcept
    : m_temp(std::exchange(other.m_temp, QString())), m_path(std::move(other.m_path)) {}

PendingSave& PendingSave::operator=(PendingSave&& other) noexcept {
    if (this != &other) {
        discard();
        m_temp = std::exchange(other.m_temp, QString());
        m_path = std::move(other.m_path);
    }
    return *this;
}

PendingSave::~PendingSave() {
    discard();
}

void PendingSave::discard() {
    if (!m_temp.isEmpty())
        QFile::remove(m_temp);
    m_temp.clear();
}

void PendingSave::commit() {
    if (m_temp.isEmpty())
        throw OfficeError(QStringLiteral("Файл \"%1\" не збережено.").arg(m_path));
    // The steps a fault may stop are those of the document's save as the valuer sees it.
    if (!writesteps::Reached("document.write")) {
        discard();
        throw OfficeError(
            QStringLiteral("Файл \"%1\" не збережено: на диску немає місця.").arg(m_path));
    }
    if (!writesteps::Reached("document.rename") ||
        std::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_path).constData()) !=
            0) {
        discard();
        throw OfficeError(
            QStringLiteral("Файл \"%1\" не збережено: можливо, його відкрито в іншій програмі.")
                .arg(m_path));
    }
    m_temp.clear(); // it is the saved file now
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
}

void OoxmlPackage::save(const QString& path) const {
    saveAside(path).commit();
}

PendingSave OoxmlPackage::saveAside(const QString& path) const {
    // [Content_Types].xml goes first, as readers that stream the zip expect.
    QStringList order = m_order;
    if (order.removeAll(QString::fromLatin1(kContentTypes)) > 0)
        order.prepend(QString::fromLatin1(kContentTypes));

    const QFileInfo target(path);
    if (!target.dir().exists())
        throw OfficeError(QStringLiteral("Папка \"%1\" не існує.").arg(target.absolutePath()));
    RemoveSaveLeftovers(target);
    PendingSave pending;
    pending.m_path = path;
    {
        QTemporaryFile probe(target.absolutePath() + QStringLiteral("/.~") + target.fileName() +
                             QStringLiteral(".XXXXXX"));
        probe.setAutoRemove(false);
        if (!probe.open())
            throw OfficeError(
                QStringLiteral("Неможливо записати у папку \"%1\": %2.")
                    .arg(target.absolutePath(), UkrainianEngineMessage(probe.errorString())));
        pending.m_temp = probe.fileName();
    }
    // The temporary file goes on every way out but the rename, an exception of any kind
    // included (the pending save's own end); the archive is discarded before it.
    QString openFailure;
    ZipArchive archive(OpenZipWritingTo(pending.m_temp, &openFailure));
    if (!archive)
        throw OfficeError(
            QStringLiteral("Неможливо створити файл \"%1\": %2.").arg(pending.m_temp, openFailure));
    QString failure;
    try {
        PartSource::addParts(archive.get(), order, m_parts, failure);
    } catch (const OfficeError& e) {
        throw OfficeError(QStringLiteral("Файл \"%1\" не збережено: %2").arg(path, e.message()));
    }
    if (zip_close(archive.get()) != 0) {
        const QString reason =
            failure.isEmpty()
                ? UkrainianEngineMessage(QString::fromLocal8Bit(zip_strerror(archive.get())))
                : failure;
        throw OfficeError(QStringLiteral("Файл \"%1\" не збережено: %2.").arg(path, reason));
    }
    (void)archive.release(); // zip_close wrote and freed it
    return pending;
}

bool RemoveDocumentLeftovers(const QString& folder) {
    // The temporary names save() and libzip give: ".~<name>.XXXXXX" and ".XXXXXX" more.
    static const QRegularExpression own(
        QStringLiteral("^\\.~.+\\.(docx|xlsx|docm|xlsm)\\.\\w{6}(\\.\\w{6})?$"));
    const QDir dir(folder);
    bool ok = true;
    for (const QString& name :
         dir.entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden | QDir::System))
        if (own.match(name).hasMatch() && !QFile::remove(dir.filePath(name)))
            ok = false;
    return ok;
}

QByteArray OoxmlPackage::saveToMemory() const {
    QTemporaryFile file;
    if (!file.open())
        throw OfficeError(UkrainianEngineMessage(file.errorString()));
    file.close();
    save(file.fileName());
    QFile in(file.fileName());
    if (!in.open(QIODevice::ReadOnly))
        throw OfficeError(UkrainianEngineMessage(in.errorString()));
    return in.readAll();
}

void PackFolder(const QString& folder, const QString& zipPath) {
    OoxmlPackage package;
    const QDir root(folder);
    if (!root.exists())
        throw OfficeError(QStringLiteral("Папка \"%1\" не існує.").arg(folder));
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(root.relativeFilePath(it.next()));
    names.sort();
    for (const QString& name : names) {
        QFile file(root.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            throw OfficeError(QStringLiteral("Неможливо прочитати \"%1\".").arg(file.fileName()));
        package.setPartData(name, file.readAll());
    }
    if (!package.hasPart(QString::fromLatin1(kContentTypes)))
        throw OfficeError(
            QStringLiteral("У папці \"%1\" немає \"[Content_Types].xml\".").arg(folder));
    package.save(zipPath);
}

void OoxmlPackage::createSkeleton(const QString& mainPart,
                                  const QList<std::pair<QString, QString>>& overrides) {
    QByteArray types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
    for (const auto& [part, type] : overrides)
        types +=
            "<Override PartName=\"/" + part.toUtf8() + "\" ContentType=\"" + type.toUtf8() + "\"/>";
    types += "</Types>";
    setPartData(QStringLiteral("[Content_Types].xml"), types);
    setPartData(
        QStringLiteral("_rels/.rels"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "officeDocument\" Target=\"" +
            mainPart.toUtf8() + "\"/></Relationships>");
}
