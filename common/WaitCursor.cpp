#include "common/WaitCursor.h"

namespace {
std::function<void(bool)>& Handler() {
    static std::function<void(bool)> handler;
    return handler;
}
} // namespace

WaitCursor::WaitCursor() {
    if (Handler())
        Handler()(true);
}

WaitCursor::~WaitCursor() {
    if (Handler())
        Handler()(false);
}

void SetWaitCursorHandler(std::function<void(bool wait)> handler) {
    Handler() = std::move(handler);
}
