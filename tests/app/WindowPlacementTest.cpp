#include "common/ui/WindowPlacement.h"
#include "app/MainWindow.h"
#include "app/MapPage.h"
#include "map/ui/MapView.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

/** True when the tool bar hides some of its buttons behind its overflow arrow. */
bool Overflows(TFormMain& window, const QSize& size) {
    window.resize(size);
    window.show();
    window.PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    auto* page = qobject_cast<MapPage*>(window.mapTab());
    const auto* arrow =
        page->view()->ToolBarCMD->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    return arrow && arrow->isVisible();
}

} // namespace

TEST(WindowPlacement, DefaultFitsTheScreenAndShowsTheWholeMapToolBar) {
    TestApplication();
    RecordingMessages messages;
    const QRect screen(0, 0, 1600, 1000);
    const QRect rect = DefaultMainWindowRect(screen);
    EXPECT_TRUE(screen.contains(rect));
    EXPECT_EQ(rect.center(), screen.center());
    EXPECT_GE(rect.width(), 1200);
    EXPECT_GE(rect.height(), 800);
    // A small screen keeps the whole window in sight.
    const QRect small(0, 30, 1024, 600);
    EXPECT_TRUE(small.contains(DefaultMainWindowRect(small)));

    TFormMain window;
    window.setMapTab(new MapPage(window.mapDocument(), &window));
    EXPECT_TRUE(Overflows(window, QSize(859, 578))) << "the old size hid the map's buttons";
    EXPECT_FALSE(Overflows(window, rect.size()));
}

TEST(WindowPlacement, RemembersSizeAndPlace) {
    TestApplication();
    RecordingMessages messages;
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("user.ini")), QSettings::IniFormat);
    const QRect available = QApplication::primaryScreen()->availableGeometry();

    // Nothing remembered, or something unreadable: the default place on the screen.
    {
        TFormMain window;
        RestoreMainWindowPlacement(window, settings);
        EXPECT_EQ(window.size(), DefaultMainWindowRect(available).size());
        settings.setValue(QStringLiteral("MainWindow/geometry"), QByteArray("broken"));
        window.resize(300, 200);
        RestoreMainWindowPlacement(window, settings);
        EXPECT_EQ(window.size(), DefaultMainWindowRect(available).size());
    }
    const QRect placed(available.topLeft() + QPoint(20, 30), QSize(700, 600));
    {
        TFormMain window;
        window.setGeometry(placed);
        window.show();
        QApplication::processEvents();
        SaveMainWindowPlacement(window, settings);
        window.close();
    }
    QSettings again(settings.fileName(), QSettings::IniFormat);
    TFormMain window;
    RestoreMainWindowPlacement(window, again);
    EXPECT_EQ(window.geometry(), placed);
}
