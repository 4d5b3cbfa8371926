#include "office/ZipFileTarget.h"

#include "common/EngineMessages.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <zip.h>

namespace {

/**
 * The file the archive is written into. It starts empty, so there is nothing to read; the
 * archive's bytes go through the stream's buffer, and libzip seeks back only to complete a
 * part's header.
 */
struct FileTarget {
    std::FILE* file = nullptr;
    zip_error_t error{};
    zip_int64_t end = 0; // bytes written so far
};

zip_int64_t Failed(FileTarget& target, int zipError) {
    zip_error_set(&target.error, zipError, errno);
    return -1;
}

zip_int64_t Callback(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    FileTarget& target = *static_cast<FileTarget*>(userdata);
    switch (command) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(
            ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
            ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS,
            ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE,
            ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = 0;
        st->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_READ: // the archive is new: nothing to read
    case ZIP_SOURCE_TELL:
        return 0;
    case ZIP_SOURCE_SEEK:
        return zip_source_seek_compute_offset(0, 0, data, length, &target.error) < 0 ? -1 : 0;
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
        // Starting again, or giving up: the file is emptied (its owner removes it).
        target.end = 0;
        if (std::fseek(target.file, 0, SEEK_SET) != 0 || ftruncate(fileno(target.file), 0) != 0)
            return Failed(target, ZIP_ER_WRITE);
        return 0;
    case ZIP_SOURCE_WRITE: {
        const size_t written = std::fwrite(data, 1, length, target.file);
        if (written != length)
            return Failed(target, ZIP_ER_WRITE);
        const zip_int64_t at = static_cast<zip_int64_t>(ftello(target.file));
        target.end = std::max(target.end, at);
        return static_cast<zip_int64_t>(written);
    }
    case ZIP_SOURCE_SEEK_WRITE: {
        const zip_int64_t at = zip_source_seek_compute_offset(
            static_cast<zip_uint64_t>(ftello(target.file)), static_cast<zip_uint64_t>(target.end),
            data, length, &target.error);
        if (at < 0)
            return -1;
        return fseeko(target.file, at, SEEK_SET) == 0 ? 0 : Failed(target, ZIP_ER_SEEK);
    }
    case ZIP_SOURCE_TELL_WRITE:
        return static_cast<zip_int64_t>(ftello(target.file));
    case ZIP_SOURCE_COMMIT_WRITE:
        // A full disk often shows only when the buffer goes out.
        return std::fflush(target.file) == 0 ? 0 : Failed(target, ZIP_ER_WRITE);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&target.error, data, length);
    case ZIP_SOURCE_FREE:
        std::fclose(target.file);
        zip_error_fini(&target.error);
        delete &target;
        return 0;
    default:
        zip_error_set(&target.error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

struct zip* OpenZipWritingTo(const QString& path, QString* error) {
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file) {
        *error = UkrainianEngineMessage(QString::fromLocal8Bit(std::strerror(errno)));
        return nullptr;
    }
    auto* target = new FileTarget{file, {}, 0};
    zip_error_init(&target->error);
    zip_error_t failure;
    zip_error_init(&failure);
    zip_source_t* source = zip_source_function_create(Callback, target, &failure);
    if (!source) {
        std::fclose(file);
        zip_error_fini(&target->error);
        delete target;
    }
    zip_t* archive = source ? zip_open_from_source(source, ZIP_TRUNCATE, &failure) : nullptr;
    if (!archive) {
        if (source)
            zip_source_free(source); // which frees the target too
        *error = UkrainianEngineMessage(QString::fromLocal8Bit(zip_error_strerror(&failure)));
    }
    zip_error_fini(&failure);
    return archive;
}
