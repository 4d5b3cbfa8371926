#pragma once

#include <memory>

/**
 * Owning handles of the C libraries below the program (SQLite, libzip): a std::unique_ptr
 * whose deleter calls the library's own release function, so a handle is freed on every
 * path out of its scope, an exception included. Each library's handles are named where the
 * library is wrapped (db/SqliteHandle.h, the package code of office/).
 */
template <auto Release> struct ReleaseWith {
    template <typename T> void operator()(T* handle) const {
        if (handle)
            Release(handle);
    }
};

/** A handle of type T freed by `Release`: OwnedHandle<sqlite3_stmt, sqlite3_finalize>. */
template <typename T, auto Release> using OwnedHandle = std::unique_ptr<T, ReleaseWith<Release>>;
