#include "steps/localquarter/ui/FormOtsenkaLocalny2.h"

#include "steps/localquarter/QuarterStatement.h"
#include "tests/steps/localquarter/QuarterTestData.h"
#include "widgets/CheckList.h"
#include "widgets/GridView.h"
#include "widgets/StringGridModel.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTest>

using namespace QuarterGrid;

namespace {

class OpenStepLocalByQuarterTest : public QuarterDbTest {
protected:
    QApplication& application = TestApplication();
};

} // namespace

// The window opens on the statement: 100 numbered rows, the columns of unused factors
// hidden; the information pages show the used factors.
TEST_F(OpenStepLocalByQuarterTest, OpensOnTheStatementWithUnusedFactorsHidden) {
    WhenShown<TFormOtsenkaLocalny2> act([](TFormOtsenkaLocalny2& form) {
        EXPECT_EQ(form.PageControl1->currentIndex(), 2);
        EXPECT_EQ(form.statement().rowCount(), 101);
        EXPECT_EQ(form.statement().at(100, NumberCol), QStringLiteral("100"));
        EXPECT_EQ(form.statement().colCount(), factorCol(17) + 1);
        EXPECT_EQ(form.GridLocalny2->colWidth(factorCol(2)), 70);
        EXPECT_EQ(form.GridLocalny2->colWidth(factorCol(3)), 0);
        EXPECT_EQ(form.statement().at(0, factorCol(12)), QStringLiteral("Рекреаційна"));
        // Kf is chosen by land use: every category once, with its Kf.
        const GridColumn& kf = form.GridLocalny2->column(FunctionalCol);
        ASSERT_EQ(kf.comboItems.size(), 8);
        EXPECT_EQ(kf.comboItems.first(), QStringLiteral("2.50 — Землі комерційного використання"));
        EXPECT_EQ(kf.comboItems.last(), QStringLiteral("0.80 — Особисте підсобне господарство"));
        EXPECT_EQ(QSet<QString>(kf.comboItems.begin(), kf.comboItems.end()).size(), 8);
        StringGridModel* model = form.GridLocalny2->gridModel();
        model->setData(model->index(model->modelRow(1), FunctionalCol), kf.comboItems[2]);
        EXPECT_EQ(form.statement().at(1, FunctionalCol), QStringLiteral("1.20"));
        EXPECT_EQ(form.statement().at(1, NameCol), QStringLiteral("землі промисловості"));
        // A typed Kf is kept as typed; a name the valuer gave is not replaced.
        form.statement().set(2, NameCol, QStringLiteral("садиби"));
        model->setData(model->index(model->modelRow(2), FunctionalCol), kf.comboItems[0]);
        EXPECT_EQ(form.statement().at(2, NameCol), QStringLiteral("садиби"));
        model->setData(model->index(model->modelRow(2), FunctionalCol), QStringLiteral("1.15"));
        EXPECT_EQ(form.statement().at(2, FunctionalCol), QStringLiteral("1.15"));
        EXPECT_EQ(form.ListFactors->count(), 17);
        EXPECT_TRUE(form.ListFactors->isChecked(1));
        EXPECT_FALSE(form.ListFactors->isChecked(2));
        EXPECT_FALSE(form.ListFactors->item(1)->flags() & Qt::ItemIsEnabled);
        EXPECT_EQ(form.districtFactors().colTexts(1).mid(1), (QStringList{"3", "1", "2"}));
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepLocalByQuarter(context, nullptr));
    EXPECT_TRUE(messages.messages.empty());
}

// "Занести з районів", then the pop-up: paste without copy, copy and paste, the keys for
// adding and deleting rows; the statement is stored as shown.
TEST_F(OpenStepLocalByQuarterTest, FillEditAndSave) {
    WhenShown<TFormOtsenkaLocalny2> act([this](TFormOtsenkaLocalny2& form) {
        QTest::mouseClick(form.BFillAuto, Qt::LeftButton);
        ASSERT_EQ(form.statement().rowCount(), 6);
        form.PopupMenuGridPopup(2, 3);
        ASSERT_TRUE(form.PopupMenuGrid->isEnabled());
        form.POPUP_GRID_PASTE->trigger();
        EXPECT_EQ(messages.texts(QStringLiteral("warning")),
                  QStringList{QStringLiteral("Не було виконано копіювання.")});
        form.statement().set(2, QuartersCol, QStringLiteral("5-9"));
        form.POPUP_GRID_COPY->trigger();
        form.PopupMenuGridPopup(5, 1);
        form.POPUP_GRID_PASTE->trigger();
        EXPECT_EQ(form.statement().at(5, NumberCol), QStringLiteral("5"));
        EXPECT_EQ(form.statement().at(5, QuartersCol), QStringLiteral("5-9"));
        EXPECT_EQ(form.statement().at(5, DistrictCol), QStringLiteral("1"));
        form.PopupMenuGridPopup(0, 3);
        EXPECT_FALSE(form.PopupMenuGrid->isEnabled());
        form.PopupMenuGridPopup(3, 0);
        EXPECT_FALSE(form.PopupMenuGrid->isEnabled());

        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        form.GridLocalny2->setFocus();
        form.GridLocalny2->setCurrentCell(1, 3);
        QTest::keyClick(form.GridLocalny2, Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(form.statement().rowCount(), 5);
        EXPECT_EQ(form.statement().colTexts(NumberCol).mid(1), (QStringList{"1", "2", "3", "4"}));
        form.GridLocalny2->setCurrentCell(2, 3);
        QTest::keyClick(form.GridLocalny2, Qt::Key_Insert, Qt::ControlModifier);
        EXPECT_EQ(form.statement().rowCount(), 6);
        EXPECT_EQ(form.statement().at(2, DistrictCol), QString());
        EXPECT_EQ(form.statement().at(3, DistrictCol), QStringLiteral("2"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepLocalByQuarter(context, nullptr));
    EXPECT_EQ(column(QStringLiteral("SELECT id || ':' || район || ':' || квартали || ':' || "
                                    "ifnull(лок_12, 'NULL') FROM відомість_кварталів ORDER BY id")),
              (QStringList{"1:1:5-9:", "2:::", "3:2::1.07", "4:2::1.07", "5:1:5-9:"}));
}

// With no zones at all the statement is emptied to one row without a number, where typing
// is refused, until a row is added with Ctrl+Insert.
TEST_F(OpenStepLocalByQuarterTest, ARowWithoutNumberTakesNoInput) {
    exec(QStringLiteral("DELETE FROM зони"));
    WhenShown<TFormOtsenkaLocalny2> act([](TFormOtsenkaLocalny2& form) {
        QTest::mouseClick(form.BFillAuto, Qt::LeftButton);
        ASSERT_TRUE(GridIsEmpty(form.statement()));
        form.PopupMenuGridPopup(1, 2);
        EXPECT_FALSE(form.PopupMenuGrid->isEnabled());
        StringGridModel* model = form.GridLocalny2->gridModel();
        model->setData(model->index(0, QuartersCol), QStringLiteral("7"));
        EXPECT_EQ(form.statement().at(1, QuartersCol), QString());
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        form.GridLocalny2->setFocus();
        QTest::keyClick(form.GridLocalny2, Qt::Key_Insert, Qt::ControlModifier);
        EXPECT_EQ(form.statement().colTexts(NumberCol).mid(1), (QStringList{"1", "2"}));
        model->setData(model->index(0, QuartersCol), QStringLiteral("7"));
        EXPECT_EQ(form.statement().at(1, QuartersCol), QStringLiteral("7"));
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepLocalByQuarter(context, nullptr));
}

// A catalogue of 32 factors: said once when the window opens; a failed store shows the
// window again with the statement as it was.
TEST_F(OpenStepLocalByQuarterTest, BigCatalogueIsToldOnceAndAFailedStoreKeepsTheWork) {
    growCatalogue(32);
    WhenShown<TFormOtsenkaLocalny2> act([this](TFormOtsenkaLocalny2& form) {
        EXPECT_EQ(form.statement().colCount(), factorCol(32) + 1);
        form.statement().set(7, QuartersCol, QStringLiteral("11"));
        breakTable(QStringLiteral("відомість_кварталів"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    QString shownAgain;
    act.then([&shownAgain](TFormOtsenkaLocalny2& form) {
        shownAgain = form.statement().at(7, QuartersCol);
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepLocalByQuarter(context, nullptr));
    EXPECT_EQ(act.shown, 2);
    EXPECT_EQ(shownAgain, QStringLiteral("11"));
    ASSERT_EQ(messages.texts(QStringLiteral("warning")).size(), 1);
    EXPECT_TRUE(messages.texts(QStringLiteral("warning")).first().contains(QStringLiteral("32")));
    EXPECT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
}
