#pragma once

#include <functional>

/**
 * A seam for fault-injection tests: the steps of the program's writes that decide what is on
 * the disk (a copy about to take its name, a transaction about to commit, a document about
 * to replace the last one). A test's hook may stop the process there, or make that step fail
 * as a full disk or a refused rename would, to prove every outcome whole and told as it is.
 * Without a hook every step goes on.
 */
namespace writesteps {

/** Called with the step's name; false makes that step fail. */
using Hook = std::function<bool(const char* step)>;

/** Sets the hook (none to remove it). Not for use while writes run. */
void SetHook(Hook hook);

/** Whether the write goes on at `step`: true unless a test's hook fails it. */
bool Reached(const char* step);

} // namespace writesteps
