#include "app/RecalcResultWindow.h"
#include "tests/support/TestApplication.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

valuation::StaleValue Changed(valuation::Step step, const QString& what, const QString& stored,
                              const QString& computed) {
    valuation::StaleValue v;
    v.step = step;
    v.what = what;
    v.stored = stored;
    v.computed = computed;
    return v;
}

// Every changed value is a row of its own, however many there are, and the copy button puts
// the same table as text, an empty value shown as such.
TEST(RecalcResultWindowTest, ListsEveryChangedValueAndCopiesThem) {
    TestApplication();
    std::vector<valuation::StaleValue> changed;
    changed.push_back(Changed(valuation::Step::Average, QStringLiteral("Км1"),
                              QStringLiteral("1.100"), QStringLiteral("1.120")));
    for (int district = 1; district <= 1150; ++district)
        changed.push_back(Changed(valuation::Step::ZonalWeighted,
                                  QStringLiteral("км2, район %1: вартість").arg(district),
                                  QString(), QStringLiteral("48.55")));
    RecalcResultWindow window(changed);
    const QAbstractItemModel* model = window.table()->model();
    ASSERT_EQ(model->rowCount(), 1151);
    EXPECT_EQ(model->columnCount(), 4);
    EXPECT_EQ(model->index(0, 0).data().toString(),
              valuation::StepCaption(valuation::Step::Average));
    EXPECT_EQ(model->index(0, 2).data().toString(), QStringLiteral("1.100"));
    EXPECT_EQ(model->index(1150, 1).data().toString(), QStringLiteral("км2, район 1150: вартість"));
    EXPECT_EQ(model->index(1150, 2).data().toString(), QStringLiteral("(порожньо)"));

    window.copyButton()->click();
    const QString copied = QApplication::clipboard()->text();
    EXPECT_EQ(copied, RecalcTableText(changed));
    const QStringList lines = copied.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1152);
    EXPECT_EQ(lines[0], QStringLiteral("Крок\tЗначення\tБуло\tСтало"));
    EXPECT_EQ(lines[1], valuation::StepCaption(valuation::Step::Average) +
                            QStringLiteral("\tКм1\t1.100\t1.120"));
}

// Values taken from the map again head the table as rows of their own: the step, the value
// marked as from the map, was and now; a line of another form is kept whole.
TEST(RecalcResultWindowTest, ValuesTakenFromTheMapAreRowsToo) {
    TestApplication();
    const QStringList fromMap{QStringLiteral("«Визначення площ»: район 1: площа 3.00 → 3.24"),
                              QStringLiteral("«Зонування»: шар «зони» складено з районів заново")};
    std::vector<valuation::StaleValue> changed{Changed(valuation::Step::Average,
                                                       QStringLiteral("Км1"), QStringLiteral("1.1"),
                                                       QStringLiteral("1.2"))};
    RecalcResultWindow window(changed, fromMap);
    const QAbstractItemModel* model = window.table()->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("Визначення площ"));
    EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("район 1: площа (з мапи)"));
    EXPECT_EQ(model->index(0, 2).data().toString(), QStringLiteral("3.00"));
    EXPECT_EQ(model->index(0, 3).data().toString(), QStringLiteral("3.24"));
    EXPECT_EQ(model->index(1, 1).data().toString(), fromMap[1]);
    EXPECT_EQ(model->index(2, 1).data().toString(), QStringLiteral("Км1"));
    EXPECT_TRUE(RecalcTableText(changed, fromMap).contains(QStringLiteral("3.00\t3.24")));
}

} // namespace
