#include "widgets/BalloonHint.h"
#include "widgets/ApplicationWindows.h"
#include "widgets/GridView.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

TEST(BalloonHint, KindsPointAtTheirPlaceOnTheControl) {
    QWidget window;
    window.resize(400, 300);
    auto* edit = new QLineEdit(&window);
    edit->setGeometry(50, 40, 120, 22);
    window.show();
    const QPoint topLeft = edit->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(BalloonHint::anchorFor(1, edit), topLeft);
    EXPECT_EQ(BalloonHint::anchorFor(2, edit), topLeft + QPoint(0, 21));
    EXPECT_EQ(BalloonHint::anchorFor(3, edit), QRect(topLeft, edit->size()).center());
    EXPECT_EQ(BalloonHint::anchorFor(4, edit), QPoint(topLeft.x() + 59, topLeft.y()));
    EXPECT_EQ(BalloonHint::anchorFor(0, edit), QCursor::pos());
    EXPECT_EQ(BalloonHint::anchorFor(2, nullptr), QCursor::pos());
    EXPECT_LT(BalloonHint::durationFor(0), BalloonHint::durationFor(1));
    EXPECT_TRUE(BalloonHint::isWarning(2));
    EXPECT_FALSE(BalloonHint::isWarning(4));
}

TEST(BalloonHint, AtAGridItPointsAtTheCurrentCell) {
    StringGrid grid(3, 5);
    GridView view;
    view.setGrid(&grid);
    view.setColumns({GridColumn::text(QStringLiteral("a"), 40),
                     GridColumn::text(QStringLiteral("b"), 60),
                     GridColumn::text(QStringLiteral("c"), 60)});
    view.resize(300, 200);
    view.show();
    view.setCurrentCell(3, 2);
    const QRect cell = view.globalCellRect(3, 2);
    ASSERT_FALSE(cell.isEmpty());
    EXPECT_EQ(BalloonHint::anchorFor(2, &view), cell.bottomLeft());
}

TEST(BalloonHint, OneBalloonIsReplacedByTheNext) {
    QLineEdit edit;
    edit.show();
    BalloonHint::showBalloon(QStringLiteral("Попередження"), QStringLiteral("Немає значення."), 2,
                             &edit);
    BalloonHint& balloon = BalloonHint::instance();
    EXPECT_TRUE(balloon.isVisible());
    BalloonHint::showBalloon(QStringLiteral("Пошук"), QStringLiteral("\"x\" не знайдено."), 1,
                             &edit);
    EXPECT_EQ(&balloon, &BalloonHint::instance());
    EXPECT_EQ(balloon.title(), QStringLiteral("Пошук"));
    EXPECT_EQ(balloon.kind(), 1);
    EXPECT_EQ(balloon.control(), &edit);
    QTest::mouseClick(&balloon, Qt::LeftButton);
    EXPECT_FALSE(balloon.isVisible());
}

TEST(BalloonHint, TextIsDrawnWholeInTheRoomItsLayoutNeeds) {
    QLineEdit edit;
    edit.show();
    BalloonHint& balloon = BalloonHint::instance();
    const QString longText = QStringLiteral("Значення поля повинно бути вибрано з списку, а "
                                            "список порожній, тому спершу заповніть довідник "
                                            "населених пунктів і спробуйте ще раз.");
    for (const QString& text :
         {QStringLiteral("Уведіть назву для пошуку."), QStringLiteral("\"Zzz\" не знайдено."),
          QStringLiteral("Немає значення."), QStringLiteral("Шлях не існує"), longText}) {
        BalloonHint::showBalloon(QStringLiteral("Пошук"), text, 2, &edit);
        const QFontMetrics fm(balloon.font());
        const QRect room = balloon.textRect();
        EXPECT_TRUE(balloon.rect().contains(room)) << text.toStdString();
        // Laid out again in the room it is drawn in, the text needs no more lines.
        const QRect drawn = fm.boundingRect(room, Qt::TextWordWrap, text);
        EXPECT_LE(drawn.height(), room.height()) << text.toStdString();
        if (text != longText)
            EXPECT_EQ(drawn.height(), fm.boundingRect(text).height()) << text.toStdString();
        else
            EXPECT_GT(drawn.height(), fm.height());
    }
    balloon.hide();
}

// The balloon is one of the windows the application owns: deleted with them (a window deleted
// before is skipped, not deleted twice), and made anew when asked for after.
TEST(BalloonHint, GoesWithTheApplicationWindowsAndComesBackWhenAskedFor) {
    QPointer<BalloonHint> balloon = &BalloonHint::instance();
    QPointer<QWidget> kept = new QWidget;
    auto* deletedBefore = new QWidget;
    KeepUntilApplicationEnds(kept);
    KeepUntilApplicationEnds(deletedBefore);
    delete deletedBefore;
    DeleteApplicationWindows();
    EXPECT_TRUE(balloon.isNull());
    EXPECT_TRUE(kept.isNull());
    BalloonHint& again = BalloonHint::instance();
    again.hide();
    DeleteApplicationWindows();
    DeleteApplicationWindows(); // nothing left to delete
}
