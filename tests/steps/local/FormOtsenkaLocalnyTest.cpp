#include "steps/local/ui/FormOtsenkaLocalny.h"

#include "map/MapGlobal.h"
#include "steps/common/ui/WorkingItemsPanel.h"
#include "steps/local/LocalStep.h"
#include "steps/local/ui/FormOtsenkaSelectRaions.h"
#include "tests/map/MapTestUtil.h"
#include "tests/steps/support/StepTestSupport.h"
#include "widgets/CheckList.h"
#include "widgets/GridView.h"
#include "widgets/StringGridModel.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

class OpenStepLocalTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("3"));
        for (const char* d : {"1", "2", "3"})
            exec(QStringLiteral("INSERT INTO характеристика (код, показник, значення) VALUES "
                                "('%1', 'Площі районів', '1.0000')")
                     .arg(QString::fromLatin1(d)));
        // Factor 2 (0.90 - 0.95) in districts 1 and 2, factor 12 (1.05 - 1.09) in district 2.
        for (const char* row : {"'1','2','0.95'", "'2','2','0.90'", "'3','2',''", "'1','12',''",
                                "'2','12','1.2'", "'3','12',''"})
            exec(QStringLiteral("INSERT INTO локальні (район,фактор,коефіціент) VALUES (%1)")
                     .arg(QString::fromLatin1(row)));
        WriteTable(context.file(QStringLiteral("райони.tab")), {QStringLiteral("Raion")},
                   {{Square(0, 0, 100), {"1"}}, {Square(100, 0, 100), {"2"}}});
        ASSERT_TRUE(AddLayer(map, context.file(QStringLiteral("райони.tab")), true));
    }
    QApplication& application = TestApplication();
};

QStringList Values(const StringGrid& grid, int col) {
    return grid.colTexts(col).mid(1);
}

} // namespace

TEST_F(OpenStepLocalTest, OpensOnTheChoiceWithTheStoredFactorsChecked) {
    WhenShown<TFormOtsenkaLocalny> act([](TFormOtsenkaLocalny& form) {
        EXPECT_EQ(form.PageControl1->currentIndex(), 0);
        CheckList* list = form.ListFactors->list();
        ASSERT_EQ(list->count(), 17);
        EXPECT_EQ(list->item(1)->text(), QStringLiteral("Ґрунтові води"));
        QStringList checked;
        for (int i = 0; i < list->count(); ++i)
            if (list->isChecked(i))
                checked << form.ListFactors->key(i);
        EXPECT_EQ(checked, (QStringList{"2", "12"}));
        EXPECT_FALSE(form.BSetFactors->isEnabled());
        EXPECT_EQ(Values(form.rows(), LocalGrid::FirstDistrictCol + 1),
                  (QStringList{"0.90", "1.2", "1.08"}));
        EXPECT_EQ(form.rows().at(0, LocalGrid::FirstDistrictCol + 2), QStringLiteral("3"));
        EXPECT_EQ(form.rows().at(3, LocalGrid::FirstDistrictCol + 2), QString());

        // 1.2 is outside 1.05 - 1.09: tinted, with the range in its tooltip; 0.90 is not.
        StringGridModel* model = form.GridLocalny->gridModel();
        const QModelIndex outside = model->index(1, LocalGrid::FirstDistrictCol + 1);
        const QModelIndex inside = model->index(0, LocalGrid::FirstDistrictCol + 1);
        EXPECT_TRUE(model->data(outside, Qt::BackgroundRole).isValid());
        EXPECT_TRUE(model->data(outside, Qt::ToolTipRole)
                        .toString()
                        .contains(QStringLiteral("1.05 - 1.09")));
        EXPECT_FALSE(model->data(inside, Qt::BackgroundRole).isValid());
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepLocal(context, nullptr));
}

// Unchecking factor 2 and applying drops its row; a typed value recomputes Km3; a value typed
// into the emptied first row (no factor) is erased.
TEST_F(OpenStepLocalTest, WorkingFactorsEditsAndSave) {
    WhenShown<TFormOtsenkaLocalny> act([this](TFormOtsenkaLocalny& form) {
        CheckList* list = form.ListFactors->list();
        list->item(1)->setCheckState(Qt::Unchecked); // as a click does
        list->item(4)->setCheckState(Qt::Checked);
        ASSERT_TRUE(form.BSetFactors->isEnabled());
        // Factor 2 holds typed values: asked first, and kept when not agreed.
        QTest::mouseClick(form.BSetFactors, Qt::LeftButton);
        EXPECT_EQ(form.rows().colTexts(0).mid(1), (QStringList{"2", "12", "0"}));
        EXPECT_TRUE(form.BSetFactors->isEnabled());
        EXPECT_TRUE(messages.last().text.startsWith(
            QStringLiteral("Буде вилучено рядки факторів без позначки")));
        messages.answer({Answer::Yes});
        QTest::mouseClick(form.BSetFactors, Qt::LeftButton);
        EXPECT_FALSE(form.BSetFactors->isEnabled());
        EXPECT_EQ(form.PageControl1->currentIndex(), 1);
        EXPECT_EQ(form.rows().colTexts(0).mid(1), (QStringList{"5", "12", "0"}));
        form.GridLocalny->gridModel()->setData(form.GridLocalny->gridModel()->index(0, 3),
                                               QStringLiteral("0.85"));
        EXPECT_EQ(form.rows().at(3, 3), QStringLiteral("0.85"));

        list->item(4)->setCheckState(Qt::Unchecked);
        list->item(11)->setCheckState(Qt::Unchecked);
        messages.answer({Answer::Yes});
        QTest::mouseClick(form.BSetFactors, Qt::LeftButton);
        EXPECT_EQ(messages.texts(QStringLiteral("warning")),
                  QStringList{QStringLiteral("Не обрано жодного фактору.")});
        list->item(11)->setCheckState(Qt::Checked);
        QTest::mouseClick(form.BSetFactors, Qt::LeftButton);
        form.GridLocalny->gridModel()->setData(form.GridLocalny->gridModel()->index(0, 4),
                                               QStringLiteral("1.07"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepLocal(context, nullptr));
    EXPECT_EQ(column(QStringLiteral("SELECT фактор || ':' || район || '=' || коефіціент FROM "
                                    "локальні ORDER BY id")),
              (QStringList{"12:1=", "12:2=1.07", "12:3="}));
}

// The district choice copies the current district's column into the checked ones.
TEST_F(OpenStepLocalTest, CopyingADistrictThroughTheChoiceWindow) {
    WhenShown<TFormOtsenkaSelectRaions> choose([](TFormOtsenkaSelectRaions& choice) {
        EXPECT_EQ(choice.windowTitle(), QStringLiteral("Вкажіть райони"));
        ASSERT_EQ(choice.ListRaions->count(), 3);
        EXPECT_TRUE(choice.checkedDistricts().isEmpty());
        QTest::mouseClick(choice.BAll, Qt::LeftButton);
        choice.ListRaions->item(1)->setCheckState(Qt::Unchecked);
        EXPECT_EQ(choice.checkedDistricts(), (QStringList{"1", "3"}));
        QTest::mouseClick(choice.BOk, Qt::LeftButton);
    });
    WhenShown<TFormOtsenkaLocalny> act([](TFormOtsenkaLocalny& form) {
        form.PageControl1->setCurrentIndex(1);
        form.PopupMenuGridPopup(0, 2);
        EXPECT_FALSE(form.PopupMenuGrid->isEnabled());
        form.PopupMenuGridPopup(2, LocalGrid::FirstDistrictCol + 1);
        ASSERT_TRUE(form.PopupMenuGrid->isEnabled());
        EXPECT_EQ(form.GridLocalny->currentGridCol(), LocalGrid::FirstDistrictCol + 1);
        form.POPUP_GRID_COPY->trigger();
        for (int col = LocalGrid::FirstDistrictCol; col < LocalGrid::FirstDistrictCol + 3; ++col)
            EXPECT_EQ(Values(form.rows(), col), (QStringList{"0.90", "1.2", "1.08"})) << col;
        form.POPUP_GRID_CLEAR->trigger();
        EXPECT_EQ(Values(form.rows(), LocalGrid::FirstDistrictCol + 1), (QStringList{"", "", ""}));
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepLocal(context, nullptr));
    EXPECT_EQ(choose.shown, 1);
}

// Without "лок" layers the overlay warns and keeps the typed values; a layer over district 2
// then replaces them, once agreed; "Поновити км3" writes the Km3 into the district layer.
TEST_F(OpenStepLocalTest, OverlayAndKm3OnTheMap) {
    WhenShown<TFormOtsenkaLocalny> act([this](TFormOtsenkaLocalny& form) {
        const int rows = form.rows().rowCount();
        QTest::mouseClick(form.BRaionsFromMap, Qt::LeftButton);
        EXPECT_EQ(messages.texts(QStringLiteral("warning")),
                  QStringList{QStringLiteral(
                      "Жодного накладення локальних факторів на райони не знайдено!")});
        EXPECT_EQ(form.rows().rowCount(), rows);
        EXPECT_EQ(form.rows().at(1, LocalGrid::FirstDistrictCol), QStringLiteral("0.95"));
        EXPECT_EQ(form.ListFactors->list()->checkedTexts().size(), 2);

        WriteTable(context.file(QStringLiteral("лок03.tab")), {QStringLiteral("Km3")},
                   {{Square(150, 50, 10), {"0.92"}}});
        QTest::mouseClick(form.BRaionsFromMap, Qt::LeftButton); // not agreed: kept
        EXPECT_EQ(form.rows().at(1, LocalGrid::FirstDistrictCol), QStringLiteral("0.95"));
        EXPECT_TRUE(messages.last().text.startsWith(QStringLiteral("Буде замінено усі значення")));
        messages.answer({Answer::Yes});
        QTest::mouseClick(form.BRaionsFromMap, Qt::LeftButton);
        EXPECT_EQ(form.PageControl1->currentIndex(), 1);
        EXPECT_EQ(form.ListFactors->list()->checkedTexts(),
                  QStringList{QStringLiteral("Затоплення")});
        EXPECT_EQ(form.rows().rowTexts(2), (QStringList{"0", "Км3", "", "", "0.92", ""}));

        QTest::mouseClick(form.BSetMap, Qt::LeftButton);
        EXPECT_EQ(messages.last().text, QStringLiteral("Завершено."));
        const Layer* districts = GetLayer(map, QStringLiteral("райони"));
        ASSERT_TRUE(districts);
        QString km3;
        districts->features()[1].value(QStringLiteral("Km3_sr"), &km3);
        EXPECT_EQ(km3, QStringLiteral("0.92"));
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepLocal(context, nullptr));
}

TEST_F(OpenStepLocalTest, FailedStoreKeepsTheWork) {
    WhenShown<TFormOtsenkaLocalny> act([this](TFormOtsenkaLocalny& form) {
        form.rows().set(1, 3, QStringLiteral("0.91"));
        breakTable(QStringLiteral("локальні"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    QString shownAgain;
    act.then([&shownAgain](TFormOtsenkaLocalny& form) {
        shownAgain = form.rows().at(1, 3);
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepLocal(context, nullptr));
    EXPECT_EQ(act.shown, 2);
    EXPECT_EQ(shownAgain, QStringLiteral("0.91"));
    EXPECT_EQ(column(QStringLiteral("SELECT коефіціент FROM локальні ORDER BY id")).first(),
              QStringLiteral("0.95"));
}

// A coefficient typed over what "З мапи" gave is marked as typed when stored, with the map's
// value beside it, so a recalculation from the map leaves it; the mark stands while it does.
TEST_F(OpenStepLocalTest, ACoefficientTypedOverTheMapsIsMarkedTyped) {
    WriteTable(context.file(QStringLiteral("лок03.tab")), {QStringLiteral("Km3")},
               {{Square(150, 50, 10), {"0.92"}}});
    {
        WhenShown<TFormOtsenkaLocalny> act([this](TFormOtsenkaLocalny& form) {
            messages.answer({Answer::Yes});
            QTest::mouseClick(form.BRaionsFromMap, Qt::LeftButton);
            ASSERT_EQ(form.rows().rowTexts(1).mid(3), (QStringList{"", "0.92", ""}));
            form.rows().set(1, LocalGrid::FirstDistrictCol + 1, QStringLiteral("0.93"));
            QTest::mouseClick(form.BSave, Qt::LeftButton);
        });
        EXPECT_TRUE(OpenStepLocal(context, nullptr));
    }
    const QString marks = QStringLiteral(
        "SELECT ключ || ':' || поле || '=' || значення || '/' || обчислено FROM введено_вручну "
        "WHERE таблиця='локальні'");
    EXPECT_EQ(column(marks), QStringList{QStringLiteral("2:3=0.93/0.92")});

    // Another coefficient typed later: the first mark stands with it.
    WhenShown<TFormOtsenkaLocalny> again([](TFormOtsenkaLocalny& form) {
        form.rows().set(1, LocalGrid::FirstDistrictCol, QStringLiteral("0.94"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepLocal(context, nullptr));
    QStringList now = column(marks);
    now.sort();
    EXPECT_EQ(now, (QStringList{QStringLiteral("1:3=0.94/"), QStringLiteral("2:3=0.93/0.92")}));
}
