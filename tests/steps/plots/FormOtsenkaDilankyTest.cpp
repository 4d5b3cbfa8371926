#include "steps/plots/ui/FormOtsenkaDilanky.h"

#include "steps/plots/ui/PlotPanel.h"
#include "tests/steps/support/StepTestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

class OpenStepPlotsTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        for (const char* district : {"1", "2", "3"})
            exec(QStringLiteral("INSERT INTO характеристика (код,показник,значення) VALUES "
                                "('%1','Площі районів','10')")
                     .arg(QString::fromUtf8(district)));
        setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("120.00"));
        exec(QStringLiteral("INSERT INTO км2 (район,км2) VALUES ('2','1.35')"));
        exec(QStringLiteral(
            "INSERT INTO локальні (район,фактор,коефіціент) VALUES ('2','1','1.10')"));
        exec(
            QStringLiteral("INSERT INTO угіддя (тип,шифр,вартість) VALUES ('1','41г','24000.00')"));
        // A stored plot 1 whose district has gone from "км2" and whose base value is old.
        exec(QStringLiteral("INSERT INTO ділянки (номер,назва,функц,район,площа,базова,"
                            "розрахункова,загальна) VALUES ('1','Кафе','2.50','7','0.1','99',"
                            "'300.00','300000.00')"));
    }

    static void type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    QApplication& application = TestApplication();
};

} // namespace

TEST_F(OpenStepPlotsTest, PlotsAreLookedUpValuedAndStored) {
    WhenShown<TFormOtsenkaDilanky> act([](TFormOtsenkaDilanky& form) {
        EXPECT_EQ(form.PageControl1->currentIndex(), 0);
        PlotPanel* first = form.panel(1);
        // Found by name, as the three pages share their handlers.
        EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("EKf1")), first->EKf);
        EXPECT_NE(form.findChild<QLineEdit*>(QStringLiteral("EZagalna30")), nullptr);
        EXPECT_NE(form.findChild<QComboBox*>(QStringLiteral("EOsg4Shifr3")), nullptr);

        // As stored, except the base value; the stale district gets 1.00.
        EXPECT_EQ(first->ENazva->text(), QStringLiteral("Кафе"));
        EXPECT_EQ(first->EBazova->text(), QStringLiteral("120.00"));
        EXPECT_EQ(first->ERaions->currentText(), QStringLiteral("7"));
        EXPECT_EQ(first->EKm2->text(), QStringLiteral("1.00"));
        EXPECT_EQ(first->EKm3->text(), QStringLiteral("1.00"));
        EXPECT_EQ(first->EZagalna->text(), QStringLiteral("300000.00"));
        // Plot 2 has no rows: its preset Kf is replaced by the empty field.
        EXPECT_TRUE(form.panel(2)->EKf->text().isEmpty());

        first->ERaions->setCurrentIndex(first->ERaions->findText(QStringLiteral("2")));
        EXPECT_EQ(first->EKm2->text(), QStringLiteral("1.35"));
        EXPECT_EQ(first->EKm3->text(), QStringLiteral("1.10"));
        type(first->ESq, QStringLiteral("0,15x"));
        EXPECT_EQ(first->ESq->text(), QStringLiteral("0.15"));
        EXPECT_EQ(first->ECena->text(), QStringLiteral("445.50"));
        EXPECT_EQ(first->EZagalna->text(), QStringLiteral("668250.00"));
        type(first->EKf, QStringLiteral("abc"));
        EXPECT_TRUE(first->EKf->text().isEmpty());
        EXPECT_TRUE(first->ECena->text().isEmpty());
        type(first->EKf, QStringLiteral("12345678901234567"));
        EXPECT_EQ(first->EKf->text(), QStringLiteral("123456789012345"));
        type(first->EKf, QStringLiteral("2.5"));

        form.PageControl1->setCurrentIndex(2);
        PlotPanel* house = form.panel(3);
        type(house->ENazva, QStringLiteral("Садиба"));
        house->ERaions->setCurrentIndex(house->ERaions->findText(QStringLiteral("1")));
        type(house->EKf, QStringLiteral("1"));
        type(house->EBazova, QStringLiteral("100"));
        type(house->ESq, QStringLiteral("0.1"));
        EXPECT_EQ(house->EZagalna->text(), QStringLiteral("100000.00"));
        EXPECT_EQ(house->EZagalnaTotal->text(), QStringLiteral("100000.00"));
        house->EOsg[0].shifr->setCurrentIndex(
            house->EOsg[0].shifr->findText(QStringLiteral("41г")));
        EXPECT_EQ(house->EOsg[0].bazova->text(), QStringLiteral("24000.00"));
        type(house->EOsg[0].sq, QStringLiteral("0.25"));
        EXPECT_EQ(house->EOsg[0].zagalna->text(), QStringLiteral("6000.00"));
        EXPECT_EQ(house->EZagalnaTotal->text(), QStringLiteral("106000.00"));
        EXPECT_EQ(house->ESqTotal->text(), QStringLiteral("0.3500"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepPlots(context, nullptr));
    EXPECT_EQ(
        column(QStringLiteral("SELECT номер||'|'||ifnull(назва,'')||'|'||ifnull(район,'')||'|'"
                              "||ifnull(загальна,'') FROM ділянки ORDER BY id")),
        QStringList({"1|Кафе|2|668250.00", "2|||", "3|Садиба||106000.00", "3|0|1|100000.00",
                     "3|1||6000.00", "3|2||", "3|3||", "3|4||"}));
}

TEST_F(OpenStepPlotsTest, AFailedStoreKeepsTheWorkIncludingPlotThreesName) {
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON ділянки WHEN NEW.назва = 'Зламана' "
                        "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    WhenShown<TFormOtsenkaDilanky> act([](TFormOtsenkaDilanky& form) {
        form.panel(2)->ENazva->setText(QStringLiteral("Зламана"));
        form.panel(3)->ENazva->setText(QStringLiteral("Садиба"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    QStringList shownAgain;
    act.then([&shownAgain](TFormOtsenkaDilanky& form) {
        shownAgain = {form.panel(2)->ENazva->text(), form.panel(3)->ENazva->text()};
        form.panel(2)->ENazva->setText(QStringLiteral("Школа"));
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepPlots(context, nullptr));
    EXPECT_EQ(act.shown, 2);
    EXPECT_EQ(shownAgain, QStringList({"Зламана", "Садиба"}));
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(messages.texts(QStringLiteral("error"))
                    .first()
                    .startsWith(QStringLiteral("Оновлення даних у базі даних.\rПомилка: refused")));
    EXPECT_EQ(
        column(QStringLiteral("SELECT назва FROM ділянки WHERE номер='3' ORDER BY id")).first(),
        QStringLiteral("Садиба"));
}

TEST_F(OpenStepPlotsTest, AFailedReadIsReportedAndTheWindowStaysShut) {
    exec(QStringLiteral("DROP TABLE угіддя"));
    WhenShown<TFormOtsenkaDilanky> act([](TFormOtsenkaDilanky&) {});
    EXPECT_FALSE(OpenStepPlots(context, nullptr));
    EXPECT_EQ(act.shown, 0);
    EXPECT_TRUE(
        messages.last().text.startsWith(QStringLiteral("Вибірка із бази \"угіддя\"\rПодробиці: ")));
}

TEST_F(OpenStepPlotsTest, APlaceFromTheMapIsPutIntoItsPlotAsTyped) {
    // "Перенести в «Оцінка ділянок»": district 2 with the map's own Km3 over the district's.
    const PlotPreset preset{2,
                            QStringLiteral("Місце (7000.0; 9500.0)"),
                            QStringLiteral("2"),
                            QStringLiteral("2.50"),
                            QStringLiteral("0.95"),
                            QStringLiteral("0.1500")};
    WhenShown<TFormOtsenkaDilanky> act([](TFormOtsenkaDilanky& form) {
        QTRY_COMPARE(form.PageControl1->currentIndex(), 1);
        PlotPanel* page = form.panel(2);
        EXPECT_EQ(page->ERaions->currentText(), QStringLiteral("2"));
        EXPECT_EQ(page->EKm2->text(), QStringLiteral("1.35"));
        EXPECT_EQ(page->EKm3->text(), QStringLiteral("0.95"));
        // 120.00 x 2.50 x 1.35 x 0.95, on 0.15 ha.
        EXPECT_EQ(page->ECena->text(), QStringLiteral("384.75"));
        EXPECT_EQ(page->EZagalna->text(), QStringLiteral("577125.00"));
        EXPECT_TRUE(form.hasUnsavedChanges());
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    EXPECT_TRUE(OpenStepPlots(context, nullptr, &preset));
    EXPECT_EQ(column(QStringLiteral("SELECT назва||'|'||район||'|'||загальна FROM ділянки WHERE "
                                    "номер='2'")),
              QStringList{QStringLiteral("Місце (7000.0; 9500.0)|2|577125.00")});

    // A district the settlement does not list is told and left unchosen.
    const PlotPreset stranger{
        1,        QStringLiteral("Місце"), QStringLiteral("44"), QStringLiteral("1.00"), QString(),
        QString()};
    WhenShown<TFormOtsenkaDilanky> cancel([](TFormOtsenkaDilanky& form) {
        QTRY_COMPARE(form.panel(1)->ENazva->text(), QStringLiteral("Місце"));
        form.done(2);
    });
    messages.answer({Answer::No});
    EXPECT_FALSE(OpenStepPlots(context, nullptr, &stranger));
    EXPECT_TRUE(messages.texts(QStringLiteral("warning"))
                    .contains(QStringLiteral("Району 44 немає серед районів населеного пункту "
                                             "(крок «Визначення площ»): його не обрано.")));
}
