#include "steps/average/ui/FormOtsenkaSerednia.h"

#include "steps/average/ui/FormOtsenkaKm1.h"
#include <QLabel>

#include "common/GlobalVar.h"
#include "steps/average/ui/ReferenceLink.h"
#include "tests/steps/support/StepTestSupport.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace {

class FormAverageTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        setIndicator("Витрати на освоювання", "6.38");
    }
    RecordingShell shell;
};

} // namespace

TEST_F(FormAverageTest, Km1ChosenInItsWindowGivesTheAverageValueThatIsStored) {
    {
        WhenShown<TFormOtsenkaSerednia> act([&](TFormOtsenkaSerednia& form) {
            EXPECT_EQ(form.EVytraty->text(), QStringLiteral("6.38"));
            EXPECT_TRUE(form.EVytraty->isReadOnly());
            WhenShown<TFormOtsenkaKm1> km1([](TFormOtsenkaKm1& dialog) {
                // Nothing stored: "НІ" everywhere and Km1 = 1.000.
                EXPECT_EQ(dialog.GetOptions(), QStringLiteral("No;No;No;No"));
                EXPECT_EQ(dialog.EKm1Zagalniy->text(), QStringLiteral("1.000"));
                QTest::mouseClick(dialog.radio(1, "3"), Qt::LeftButton);
                dialog.PageControl->setCurrentIndex(2);
                QTest::mouseClick(dialog.radio(3, "6"), Qt::LeftButton);
                EXPECT_EQ(dialog.EKm1Zagalniy->text(), QStringLiteral("2.400"));
                QTest::mouseClick(dialog.BOk, Qt::LeftButton);
            });
            QTest::mouseClick(form.BCalcKm1, Qt::LeftButton);
            EXPECT_EQ(km1.shown, 1);
            EXPECT_EQ(form.EKm1->text(), QStringLiteral("2.400"));
            EXPECT_EQ(form.EKm1Values->text(), QStringLiteral("3;No;6;No"));
            EXPECT_EQ(form.ESerednia->text(), QStringLiteral("30.62"));
            QTest::mouseClick(form.BSave, Qt::LeftButton);
        });
        EXPECT_TRUE(OpenStepAverage(context, nullptr));
    }
    EXPECT_EQ(indicator("Км1"), QStringLiteral("2.400"));
    EXPECT_EQ(indicator("Км1, добуток"), QStringLiteral("3;No;6;No"));
    EXPECT_EQ(indicator("Середня вартість 1 кв м"), QStringLiteral("30.62"));

    // A stale stored Цнм opens recomputed from В and Км1, and the bottom bar says so.
    setIndicator("Середня вартість 1 кв м", "31.00");
    {
        WhenShown<TFormOtsenkaSerednia> stale([&](TFormOtsenkaSerednia& form) {
            EXPECT_EQ(form.ESerednia->text(), QStringLiteral("30.62"));
            auto* changes = form.findChild<QLabel*>(QStringLiteral("LabelChanges"));
            ASSERT_TRUE(changes);
            EXPECT_TRUE(changes->text().contains(QStringLiteral("було 31.00, стало 30.62")));
            form.close();
        });
        EXPECT_FALSE(OpenStepAverage(context, nullptr));
    }

    // A Цнм typed over the computed one is stored as typed and opens as it is.
    {
        WhenShown<TFormOtsenkaSerednia> typed([&](TFormOtsenkaSerednia& form) {
            form.ESerednia->setText(QStringLiteral("31.00"));
            QTest::mouseClick(form.BSave, Qt::LeftButton);
        });
        EXPECT_TRUE(OpenStepAverage(context, nullptr));
    }
    EXPECT_EQ(indicator("Середня вартість 1 кв м"), QStringLiteral("31.00"));

    // The Km1 window opens on the stored options; cancelling it changes nothing.
    WhenShown<TFormOtsenkaSerednia> again([&](TFormOtsenkaSerednia& form) {
        EXPECT_EQ(form.ESerednia->text(), QStringLiteral("31.00")); // typed, kept
        WhenShown<TFormOtsenkaKm1> km1([](TFormOtsenkaKm1& dialog) {
            EXPECT_TRUE(dialog.radio(1, "3")->isChecked());
            EXPECT_TRUE(dialog.radio(3, "6")->isChecked());
            EXPECT_TRUE(dialog.radio(4, "No")->isChecked());
            dialog.radio(4, "1")->click();
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        form.BCalcKm1Click();
        EXPECT_EQ(form.EKm1->text(), QStringLiteral("2.400"));
        EXPECT_EQ(form.ESerednia->text(), QStringLiteral("31.00"));
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepAverage(context, nullptr));
    EXPECT_EQ(again.shown, 1);
}

TEST_F(FormAverageTest, AStoredKm1WithFourDecimalsIsCutWithABeep) {
    setIndicator("Км1", "1.2345");
    TFormOtsenkaSerednia form(context);
    AverageData data;
    ASSERT_TRUE(LoadAverage(project, data, nullptr));
    form.setData(data);
    EXPECT_EQ(form.EKm1->text(), QStringLiteral("1.234"));
    EXPECT_EQ(messages.beeps, 1);
    // Цнм of the stored В and Км1, recomputed as the window opens.
    EXPECT_EQ(form.ESerednia->text(),
              AverageValue(form.EVytraty->text(), QStringLiteral("1.2345")));
    form.EKm1->selectAll();
    QTest::keyClicks(form.EKm1, "2,4");
    EXPECT_EQ(form.EKm1->text(), QStringLiteral("2.4"));
    EXPECT_EQ(form.ESerednia->text(), QStringLiteral("30.62"));
    form.EKm1->clear();
    EXPECT_EQ(form.ESerednia->text(), QString());
}

TEST_F(FormAverageTest, ACorruptOptionsTextOpensWithNoInItsTables) {
    TFormOtsenkaKm1 dialog;
    dialog.SetOptions("9;3;;Так");
    EXPECT_EQ(dialog.GetOptions(), QStringLiteral("No;3;No;No"));
    dialog.CalcKm1();
    EXPECT_EQ(dialog.EKm1Zagalniy->text(), QStringLiteral("1.300"));
    dialog.radio(4, "1")->click();
    dialog.radio(2, "No")->click();
    EXPECT_EQ(dialog.EKm1Zagalniy->text(), QStringLiteral("0.500"));
    EXPECT_EQ(dialog.PageControl->tabText(3), QStringLiteral("У зоні Чорнобиля"));
}

TEST_F(FormAverageTest, ReferenceLinksOpenTheirDocumentsOfTheProgramFolder) {
    // The program folder's reference documents, as the build ships them.
    const QDir built(BuiltAppDir() + QStringLiteral("/data"));
    QDir().mkpath(app.file(QStringLiteral("data")));
    for (const QString& name : built.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(built.filePath(name), app.file(QStringLiteral("data/") + name)));
    TFormOtsenkaKm1 dialog;
    const QList<ReferenceLink*> links = dialog.findChildren<ReferenceLink*>();
    ASSERT_EQ(links.size(), 6);
    dialog.show();
    for (int tab = 0; tab < 4; ++tab) {
        dialog.PageControl->setCurrentIndex(tab);
        for (ReferenceLink* link : links)
            if (link->isVisible())
                QTest::mouseClick(link, Qt::LeftButton);
    }
    ASSERT_EQ(shell.opened.size(), 6);
    EXPECT_TRUE(
        shell.opened.contains(GlobalVar().Settings.AppDir + QStringLiteral("/data/курортні.htm")));
    links.first()->setFocus();
    QTest::keyClick(links.first(), Qt::Key_Return);
    EXPECT_EQ(shell.opened.size(), 7);
}

TEST_F(FormAverageTest, AFailedStoreBringsTheWindowBackWithTheTypedValues) {
    exec("CREATE TRIGGER refuse BEFORE UPDATE ON характеристика WHEN NEW.показник = 'Середня "
         "вартість 1 кв м' BEGIN SELECT RAISE(ABORT, 'відмовлено'); END");
    WhenShown<TFormOtsenkaSerednia> act([&](TFormOtsenkaSerednia& form) {
        QTest::keyClicks(form.EKm1, "2.4");
        QTest::mouseClick(form.BSave, Qt::LeftButton);
    });
    act.then([&](TFormOtsenkaSerednia& form) {
        EXPECT_EQ(form.EKm1->text(), QStringLiteral("2.4"));
        EXPECT_EQ(form.ESerednia->text(), QStringLiteral("30.62"));
        form.BCancelClick();
    });
    EXPECT_FALSE(OpenStepAverage(context, nullptr));
    EXPECT_EQ(act.shown, 2);
    ASSERT_EQ(messages.texts("error").size(), 1);
    EXPECT_TRUE(messages.texts("error").first().startsWith(
        QStringLiteral("Оновлення даних у базі даних.\rПомилка: відмовлено")));
    EXPECT_EQ(indicator("Км1"), QString()); // rolled back with the rest
}

TEST_F(FormAverageTest, ANonPositiveKm1KeepsTheWindowOpen) {
    WhenShown<TFormOtsenkaSerednia> act([&](TFormOtsenkaSerednia& form) {
        QTest::keyClicks(form.EKm1, "0");
        QTest::mouseClick(form.BSave, Qt::LeftButton);
        EXPECT_TRUE(form.isVisible());
        ASSERT_EQ(messages.texts("balloon").size(), 1);
        EXPECT_EQ(messages.last().control, form.EKm1);
        form.close();
    });
    EXPECT_FALSE(OpenStepAverage(context, nullptr));
    EXPECT_EQ(indicator("Км1"), QString());
}
