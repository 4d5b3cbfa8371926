#include "widgets/CheckList.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
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
