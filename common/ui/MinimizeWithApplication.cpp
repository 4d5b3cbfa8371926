#include "common/ui/MinimizeWithApplication.h"

#include <QEvent>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace {

/** Follows the window's minimised state with the main window's. */
class MinimizeFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWidget*>(watched);
        if (window && event->type() == QEvent::WindowStateChange && window->parentWidget()) {
            QWidget* main = window->parentWidget()->window();
            const auto* change = static_cast<QWindowStateChangeEvent*>(event);
            if (window->isMinimized() && !main->isMinimized())
                main->showMinimized();
            else if (!window->isMinimized() && (change->oldState() & Qt::WindowMinimized) &&
                     main->isMinimized())
                main->showNormal();
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void MinimizeWithApplication(QWidget* window) {
    window->setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    window->installEventFilter(new MinimizeFilter(window));
}
