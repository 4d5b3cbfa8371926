#include "common/WriteSteps.h"

namespace writesteps {

namespace {

Hook& TheHook() {
    static Hook hook;
    return hook;
}

} // namespace

void SetHook(Hook hook) {
    TheHook() = std::move(hook);
}

bool Reached(const char* step) {
    const Hook& hook = TheHook();
    return !hook || hook(step);
}

} // namespace writesteps
