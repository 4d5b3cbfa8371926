#include "widgets/CheckList.h"
#include "widgets/GradientHeader.h"
#include "widgets/PopupButton.h"
#include "widgets/ShadowLabel.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(CheckList, OnlyTheUsersChangesAreAnnounced) {
    CheckList list;
    QSignalSpy changed(&list, &CheckList::checksChanged);
    list.addCheckItem(QStringLiteral("Рівень газопостачання"));
    list.addCheckItem(QStringLiteral("Рівень водопостачання"), true);
    list.setChecked(0, true);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(list.checkedTexts().size(), 2);

    list.selectNoneAction()->trigger();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(list.checkedTexts().isEmpty());
    list.selectAllAction()->trigger();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_TRUE(list.isChecked(0) && list.isChecked(1));
    EXPECT_EQ(list.selectAllAction()->text(), QStringLiteral("Помітити усі"));
    EXPECT_EQ(list.selectNoneAction()->text(), QStringLiteral("Зняти помітку з усіх"));

    // A click on an item's box is the user's change.
    list.item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(changed.count(), 3);
}

TEST(CheckList, ShowsTheNameButKeepsTheWholeText) {
    CheckList list;
    const QString text =
        QStringLiteral("Озеленення") + QString(500, u' ') + QStringLiteral("0.9 - 1.1");
    list.addCheckItem(text);
    EXPECT_EQ(list.item(0)->text(), QStringLiteral("Озеленення"));
    EXPECT_EQ(list.itemText(0), text);
    EXPECT_EQ(list.indexOfText(text), 0);
    EXPECT_EQ(list.indexOfText(QStringLiteral("озеленення") + QString(500, u' ') +
                                   QStringLiteral("0.9 - 1.1"),
                               Qt::CaseInsensitive),
              0);
    list.clearItems();
    EXPECT_EQ(list.count(), 0);
}

TEST(SmallWidgets, KeepTheirTextsAndSettings) {
    GradientHeader header(QStringLiteral("Етапи"));
    header.setColors(Qt::blue, Qt::white);
    EXPECT_EQ(header.text(), QStringLiteral("Етапи"));
    EXPECT_GT(header.sizeHint().height(), 0);
    header.resize(200, 20);
    header.grab(); // paints without a fault

    ShadowLabel label(QStringLiteral("Визначення розрахункових площ"));
    label.setShadowOffset(3);
    EXPECT_EQ(label.shadowOffset(), 3);
    label.adjustSize();
    label.grab();

    QMenu menu;
    menu.addAction(QStringLiteral("* 1.250   - 2015"));
    PopupButton button(QStringLiteral("* на коеф. індексації"));
    button.setPopupMenu(&menu);
    EXPECT_EQ(button.menu(), &menu);
    EXPECT_EQ(button.popupMode(), QToolButton::InstantPopup);
}
