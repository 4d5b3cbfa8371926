#pragma once

#include <QString>
#include <functional>

/**
 * The engine's one non-throwing entry: runs `work` on documents and workbooks, and turns
 * whatever the engine throws (OfficeError, or a standard exception such as running out of
 * memory) into `error`'s text. False when `work` did not run to its end. Code outside the
 * engine calls it instead of catching the engine's exceptions itself.
 */
bool OfficeCall(const std::function<void()>& work, QString* error = nullptr);
