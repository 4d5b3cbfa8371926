#include "widgets/ApplicationWindows.h"

#include <QPointer>
#include <QWidget>
#include <vector>

namespace {

std::vector<QPointer<QWidget>>& Kept() {
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}

} // namespace

void KeepUntilApplicationEnds(QWidget* window) {
    Kept().emplace_back(window);
}

void DeleteApplicationWindows() {
    // The last made goes first: a window may use one made before it.
    std::vector<QPointer<QWidget>> windows;
    windows.swap(Kept());
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        delete it->data();
}
