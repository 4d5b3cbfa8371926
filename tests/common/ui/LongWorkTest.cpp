#include "common/ui/LongWork.h"
#include "common/ui/Wait.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

// Work shorter than the delay shows no window; longer work shows the progress window with
// "Стоп" on and its counter, a press of "Стоп" makes the core's callback answer false, and
// the window goes with the work.
TEST(LongWork, TheWindowComesAfterTheDelayAndStopEndsTheWork) {
    LongWork::SetShowDelay(3600 * 1000);
    {
        LongWork quick(QStringLiteral("Швидко"));
        const auto step = quick.callback();
        EXPECT_TRUE(step(0, 10));
        EXPECT_TRUE(step(10, 10));
        EXPECT_FALSE(quick.shown());
        EXPECT_FALSE(FormWait().isVisible());
    }
    LongWork::SetShowDelay(0);
    {
        LongWork slow(QStringLiteral("Накладення шарів..."));
        const auto step = slow.callback();
        EXPECT_TRUE(step(0, 4));
        EXPECT_TRUE(slow.shown());
        EXPECT_TRUE(FormWait().isVisible());
        EXPECT_EQ(FormWait().infoLabel()->text(), QStringLiteral("Накладення шарів..."));
        EXPECT_TRUE(FormWait().stopButton()->isEnabled());
        EXPECT_TRUE(step(1, 4));
        EXPECT_EQ(FormWait().counterLabel()->text(), QStringLiteral("1 з 4"));
        QTest::mouseClick(FormWait().stopButton(), Qt::LeftButton);
        EXPECT_FALSE(step(2, 4));
        EXPECT_TRUE(slow.stopped());
        EXPECT_FALSE(step(3, 4)); // stays stopped
    }
    EXPECT_FALSE(FormWait().isVisible());
    // The window serves the next work afresh.
    {
        LongWork next(QStringLiteral("Ще"));
        EXPECT_TRUE(next.callback()(0, 1));
        EXPECT_FALSE(next.stopped());
    }
    LongWork::SetShowDelay(500);
}
