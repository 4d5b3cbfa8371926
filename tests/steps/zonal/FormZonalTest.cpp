#include "steps/common/ui/WorkingItemsPanel.h"
#include "steps/zonal/ui/FormOtsenkaZonalnist.h"
#include "steps/zonal/ui/FormOtsenkaZonalnistSEUC.h"
#include "tests/steps/zonal/ZonalDbTest.h"
#include "tests/steps/zonal/ZonalTestData.h"
#include "widgets/CheckList.h"
#include "widgets/GridView.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidgetItem>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

class FormZonalTest : public ZonalDbTest {
protected:
    QApplication& application = TestApplication();
};

/** Checks the factors as the user's clicks do (so "Встановити як робочі" is enabled). */
void Check(TFormZonal& form, const QStringList& names) {
    for (const QString& name : names) {
        const int index = form.PanelFactors->indexOfKey(name);
        ASSERT_GE(index, 0) << name.toStdString();
        form.ListFactors->item(index)->setCheckState(Qt::Checked);
    }
}

/** Types into a cell through the view's model, as the grid's editor stores a typed text. */
void Type(GridView* view, int row, int col, const QString& text) {
    QAbstractItemModel* model = view->model();
    ASSERT_TRUE(model->setData(model->index(row - view->grid()->fixedRows(), col), text))
        << row << "," << col;
}

/** Types the scores of a row, district by district ("" leaves the cell alone). */
void TypeScores(TFormZonal& form, int row, const QStringList& scores) {
    for (qsizetype i = 0; i < scores.size(); ++i)
        if (!scores[i].isEmpty())
            Type(form.GridAnketa, row, AnketaFirstDistrictCol + static_cast<int>(i), scores[i]);
}

QStringList Texts(const StringGrid& grid, int col) {
    return DataColumn(grid, col);
}

} // namespace

TEST_F(FormZonalTest, WeightedWindowTakesTheWholeRoadAndOpensAgainWithItsWork) {
    const QString noise = QStringLiteral("Рівень зашумленості");
    const QString schools = QStringLiteral("Забезпечення школами");
    const ResultColumns cols = ResultColumnsOf(ZonalVariant::Weighted);
    {
        // Gone before the step opens again, so it closes nothing of the second opening.
        WhenShown<TFormOtsenkaZonalnist> act([&](TFormOtsenkaZonalnist& form) {
            EXPECT_EQ(form.PageControl1->currentIndex(), 0);
            EXPECT_FALSE(form.BSetFactors->isEnabled());
            Check(form, {schools, noise});
            ASSERT_TRUE(form.BSetFactors->isEnabled());
            QTest::mouseClick(form.BSetFactors, Qt::LeftButton);
            EXPECT_EQ(form.PageControl1->currentIndex(), 1);
            // The factors in list order: the noise comes before the schools.
            EXPECT_EQ(Texts(form.anketa(), AnketaFactorCol), (QStringList{noise, schools}));
            // Row numbers and names are not typed over.
            EXPECT_FALSE(form.GridAnketa->model()->setData(form.GridAnketa->model()->index(0, 1),
                                                           QStringLiteral("x")));
            TypeScores(form, 1, {"5", "3", "4"});
            TypeScores(form, 2, {"4", "", "2"});
            QTest::mouseClick(form.BSetAnketa, Qt::LeftButton);
            EXPECT_EQ(form.PageControl1->currentIndex(), 2);
            EXPECT_EQ(Texts(form.result(), cols.ii), (QStringList{"1.20", "0.80", "0.80"}));

            // Km2 follows every zone typed.
            Type(form.GridResult, 1, cols.zone, QStringLiteral("1"));
            EXPECT_EQ(form.EKm2Max->text(), QStringLiteral("1.20"));
            Type(form.GridResult, 2, cols.zone, QStringLiteral("1"));
            Type(form.GridResult, 3, cols.zone, QStringLiteral("2"));
            EXPECT_EQ(Texts(form.result(), cols.km2), (QStringList{"0.90", "0.90", "0.80"}));
            EXPECT_EQ(Texts(form.result(), cols.value), (QStringList{"27.56", "27.56", "24.50"}));
            EXPECT_EQ(form.EKm2Min->text(), QStringLiteral("0.80"));
            EXPECT_EQ(form.EKm2Max->text(), QStringLiteral("0.90"));
            EXPECT_FALSE(form.GridResult->model()->setData(
                form.GridResult->model()->index(0, cols.ii), QStringLiteral("9")));

            QTest::mouseClick(form.BSetZony, Qt::LeftButton);
            EXPECT_EQ(form.PageControl1->currentIndex(), 3);
            EXPECT_EQ(form.EKilkistZon->text(), QStringLiteral("2"));
            EXPECT_EQ(Texts(form.zony(), ZoneDistrictsCol), (QStringList{"1, 2", "3"}));
            Type(form.GridZony, 1, ZoneDescriptionCol, QStringLiteral("Центр «старий»"));
            QTest::mouseClick(form.BSave, Qt::LeftButton);
        });
        EXPECT_TRUE(OpenStepZonalWeighted(context, nullptr));
        EXPECT_EQ(act.shown, 1);
    }
    EXPECT_TRUE(messages.messages.empty()) << messages.texts().join(u'\n').toStdString();
    EXPECT_EQ(indicator(QStringLiteral("Кількість зон")), QStringLiteral("2"));
    EXPECT_EQ(indicator(QStringLiteral("Км2, мінімальний")), QStringLiteral("0.80"));
    EXPECT_EQ(rows(QStringLiteral("км2"), QStringLiteral("район,іі,км2,вартість,зона")),
              (QStringList{"1|1.20|0.90|27.56|1", "2|0.80|0.90|27.56|1", "3|0.80|0.80|24.50|2"}));

    WhenShown<TFormOtsenkaZonalnist> again([&](TFormOtsenkaZonalnist& form) {
        EXPECT_TRUE(form.ListFactors->isChecked(form.PanelFactors->indexOfKey(noise)));
        EXPECT_FALSE(form.ListFactors->isChecked(0));
        EXPECT_EQ(form.anketa().rowTexts(2), (QStringList{"2", schools, "4", "", "2"}));
        EXPECT_EQ(Texts(form.result(), cols.km2), (QStringList{"0.90", "0.90", "0.80"}));
        EXPECT_EQ(form.zony().at(1, ZoneDescriptionCol), QStringLiteral("Центр «старий»"));
        EXPECT_EQ(form.EKm2Max->text(), QStringLiteral("0.90"));
        QTest::mouseClick(form.BCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(OpenStepZonalWeighted(context, nullptr));
    EXPECT_EQ(again.shown, 1);
}

TEST_F(FormZonalTest, GroupedWindowShowsItsGroupsAndKeepsTheWorkWhenAStoreFails) {
    const QString centre = QStringLiteral("Доступність до центру населеного пункту");
    const QString gas = QStringLiteral("Рівень газопостачання");
    const ResultColumns cols = ResultColumnsOf(ZonalVariant::Grouped);
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON зони WHEN NEW.опис = 'Зламаний' "
                        "BEGIN SELECT RAISE(ABORT, 'відмовлено'); END"));
    WhenShown<TFormOtsenkaZonalnistSEUC> act([&](TFormOtsenkaZonalnistSEUC& form) {
        EXPECT_EQ(form.result().colCount(), 26);
        Check(form, {centre, gas});
        QTest::mouseClick(form.BSetFactors, Qt::LeftButton);
        TypeScores(form, 1, {"5", "3", "4"});
        TypeScores(form, 2, {"4", "4", ""});
        QTest::mouseClick(form.BSetAnketa, Qt::LeftButton);
        EXPECT_EQ(Texts(form.result(), 5), (QStringList{"1.40", "0.84", "1.12"}));
        EXPECT_EQ(form.ESiMin->text(), QStringLiteral("0.84"));
        EXPECT_EQ(form.ESiMax->text(), QStringLiteral("1.40"));
        EXPECT_EQ(form.EUiMin->text(), QStringLiteral("1.00"));
        EXPECT_EQ(form.EEiMin->text(), QString());
        EXPECT_EQ(form.LabelSummCtrl->text(), QStringLiteral("Контрольне = 1.0000"));
        EXPECT_EQ(Texts(form.result(), cols.ii), (QStringList{"1.19", "0.92", "0.53"}));

        Type(form.GridResult, 1, cols.zone, QStringLiteral("1"));
        Type(form.GridResult, 2, cols.zone, QStringLiteral("1"));
        Type(form.GridResult, 3, cols.zone, QStringLiteral("2"));
        EXPECT_EQ(Texts(form.result(), cols.km2), (QStringList{"0.99", "0.99", "0.75"}));
        EXPECT_EQ(form.LabelWarningKm2->text(),
                  QStringLiteral("У зоні № 2  Км2=0.53 обмежено до 0.75 за кількістю населення"));
        QTest::mouseClick(form.BSetZony, Qt::LeftButton);
        Type(form.GridZony, 2, ZoneDescriptionCol, QStringLiteral("Зламаний"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    QStringList shownAgain;
    act.then([&](TFormOtsenkaZonalnistSEUC& form) {
        shownAgain = form.anketa().rowTexts(1) + Texts(form.zony(), ZoneDescriptionCol);
        Type(form.GridZony, 2, ZoneDescriptionCol, QStringLiteral("Околиці"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepZonalSEUC(context, nullptr));
    EXPECT_EQ(act.shown, 2);
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(
        messages.texts(QStringLiteral("error"))
            .first()
            .startsWith(QStringLiteral("Оновлення даних у базі даних.\rПомилка: відмовлено")));
    EXPECT_EQ(shownAgain, (QStringList{"1", centre, "5", "3", "4", "", "Зламаний"}));
    EXPECT_EQ(rows(QStringLiteral("зони"), QStringLiteral("зона,райони,опис")),
              (QStringList{"1|1, 2|", "2|3|Околиці"}));
    EXPECT_EQ(rows(QStringLiteral("км2"), QStringLiteral("si,ui,іі,км2")),
              (QStringList{"1.40|1.00|1.19|0.99", "0.84|1.00|0.92|0.99", "1.12||0.53|0.75"}));
}

TEST_F(FormZonalTest, ButtonsWarnWhenThereIsNothingToWorkOn) {
    ZonalSettlement settlement;
    QString message;
    ASSERT_EQ(ReadZonalSettlement(project, settlement, &message), ZonalOpening::Ready);
    ZonalTables tables;
    QString failed;
    ASSERT_TRUE(LoadZonalTables(project, ZonalVariant::Weighted, settlement, tables, &failed));
    TFormOtsenkaZonalnist form(context);
    form.fill(settlement, tables);
    const int factors = form.ListFactors->count();

    form.NewBtnClick();
    EXPECT_EQ(messages.last().kind, QStringLiteral("balloon"));
    EXPECT_EQ(messages.last().text, QStringLiteral("Немає значення."));
    EXPECT_EQ(messages.last().control, form.EEditValue);
    form.EEditValue->setText(QStringLiteral("рівень ЗАШУМЛЕНОСТІ"));
    form.NewBtnClick();
    EXPECT_EQ(messages.last().text, QStringLiteral("Фактор вже є у списку."));
    EXPECT_EQ(form.PanelFactors->key(form.ListFactors->currentRow()),
              QStringLiteral("Рівень зашумленості"));
    form.EEditValue->setText(QStringLiteral("Рівень зашумленості (траса)"));
    QTest::keyClick(form.EEditValue, Qt::Key_Return);
    ASSERT_EQ(form.ListFactors->count(), factors + 1);
    EXPECT_FALSE(form.ListFactors->isChecked(factors));
    EXPECT_FALSE(form.BSetFactors->isEnabled());

    messages.clear();
    form.BSetAnketaClick();
    form.BSetFactorsClick();
    EXPECT_EQ(messages.texts(QStringLiteral("warning")),
              (QStringList{"Анкета не заповнена!", "Не обрано жодного фактору."}));
    // A score typed where no factor is goes away again.
    Type(form.GridAnketa, 1, AnketaFirstDistrictCol, QStringLiteral("5"));
    EXPECT_EQ(form.anketa().at(1, AnketaFirstDistrictCol), QString());
}

TEST_F(FormZonalTest, OpeningIsRefusedBeforeAnyWindowAndAFailedReadIsShown) {
    setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("0"));
    WhenShown<TFormZonal> act([](TFormZonal&) {});
    EXPECT_FALSE(OpenStepZonalSEUC(context, nullptr));
    EXPECT_EQ(messages.texts(QStringLiteral("warning")),
              QStringList{QStringLiteral("Кількість районів не зазначена. Зробіть це в кроці "
                                         "\"Визначення площ\".")});
    setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("3"));
    exec(QStringLiteral("DROP TABLE зони"));
    EXPECT_FALSE(OpenStepZonalWeighted(context, nullptr));
    EXPECT_EQ(act.shown, 0);
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(
        messages.last().text.startsWith(QStringLiteral("Вибірка із бази \"зони\"\rПодробиці: ")));
}

TEST_F(FormZonalTest, SavingStoresTheZonesTheDistrictsNameNow) {
    const ResultColumns cols = ResultColumnsOf(ZonalVariant::Weighted);
    exec(QStringLiteral("INSERT INTO зони (зона,райони,опис) VALUES ('1','1, 2, 3','Усе село')"));
    setIndicator(QStringLiteral("Кількість зон"), QStringLiteral("1"));
    WhenShown<TFormOtsenkaZonalnist> act([&](TFormOtsenkaZonalnist& form) {
        Check(form, {QStringLiteral("Рівень зашумленості")});
        QTest::mouseClick(form.BSetFactors, Qt::LeftButton);
        TypeScores(form, 1, {"5", "3", "4"});
        QTest::mouseClick(form.BSetAnketa, Qt::LeftButton);
        Type(form.GridResult, 1, cols.zone, QStringLiteral("1"));
        Type(form.GridResult, 2, cols.zone, QStringLiteral("1"));
        Type(form.GridResult, 3, cols.zone, QStringLiteral("2"));
        // "Поновити склад зон" is not pressed.
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepZonalWeighted(context, nullptr));
    EXPECT_EQ(rows(QStringLiteral("зони"), QStringLiteral("зона,райони,опис")),
              (QStringList{"1|1, 2|Усе село", "2|3|"}));
    EXPECT_EQ(indicator(QStringLiteral("Кількість зон")), QStringLiteral("2"));
}
