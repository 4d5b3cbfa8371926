#pragma once

#include <QString>
#include <functional>

/**
 * A simple input box: caption, prompt and a line of text with OK and Cancel.
 * Returns true on OK and leaves the typed text in `text`.
 */
bool InputQuery(const QString& caption, const QString& prompt, QString& text);

/** Answers InputQuery instead of a window (tests); an empty hook restores the window. */
using InputQueryHook =
    std::function<bool(const QString& caption, const QString& prompt, QString& text)>;
InputQueryHook SetInputQueryHook(InputQueryHook hook);
