#include "common/ui/WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

namespace {

const QString kGeometryKey = QStringLiteral("MainWindow/geometry");
constexpr int kMaxWidth = 1440;
constexpr int kMaxHeight = 900;

} // namespace

QRect DefaultMainWindowRect(const QRect& available) {
    // Nine tenths of the free area leave the desktop's edges in sight.
    const int width = std::min(kMaxWidth, available.width() * 9 / 10);
    const int height = std::min(kMaxHeight, available.height() * 9 / 10);
    QRect rect(0, 0, width, height);
    rect.moveCenter(available.center());
    return rect;
}

void RestoreMainWindowPlacement(QWidget& window, QSettings& settings) {
    // Qt moves a remembered place that lies off every present screen back onto one.
    if (window.restoreGeometry(settings.value(kGeometryKey).toByteArray()))
        return;
    const QScreen* screen = window.screen() ? window.screen() : QApplication::primaryScreen();
    if (!screen)
        return;
    const QRect rect = DefaultMainWindowRect(screen->availableGeometry());
    window.resize(rect.size());
    window.move(rect.topLeft());
}

void SaveMainWindowPlacement(const QWidget& window, QSettings& settings) {
    settings.setValue(kGeometryKey, window.saveGeometry());
    settings.sync();
}

bool RestoreWindowPlacement(QWidget& window, QSettings& settings, const QString& name) {
    const QByteArray saved =
        settings.value(QStringLiteral("Windows/%1/geometry").arg(name)).toByteArray();
    return !saved.isEmpty() && window.restoreGeometry(saved);
}

void SaveWindowPlacement(const QWidget& window, QSettings& settings, const QString& name) {
    settings.setValue(QStringLiteral("Windows/%1/geometry").arg(name), window.saveGeometry());
    settings.sync();
}

QSize GrownWindowSize(const QSize& size, const QSize& extra, const QRect& available) {
    const int width = size.width() + std::max(0, extra.width());
    const int height = size.height() + std::max(0, extra.height());
    return QSize(std::min(width, available.width()), std::min(height, available.height()));
}

std::unique_ptr<QSettings> UserSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("tamberon"), QStringLiteral("tamberon"));
}
