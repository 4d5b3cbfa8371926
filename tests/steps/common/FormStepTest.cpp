#include "steps/common/ui/FormStep.h"
#include "steps/common/ui/WorkingItemsPanel.h"
#include "tests/steps/support/StepTestSupport.h"
#include "widgets/CheckList.h"

#include "common/LastError.h"
#include "steps/common/StepStore.h"

#include "common/ui/WindowPlacement.h"
#include "widgets/GridView.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>

namespace {

/** A step window with one field that must not be empty. */
class FormProbe : public StepWindow {
public:
    explicit FormProbe(const StepContext& context) : StepWindow(context, QStringLiteral("Проба")) {
        field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("EField"));
        body()->addWidget(field);
    }
    QLineEdit* field;

protected:
    StepCheck checkBeforeSave() override {
        if (field->text().isEmpty())
            return FieldIssue(QStringLiteral("EField"), QStringLiteral("Немає значення."));
        return std::nullopt;
    }
};

class FormStepTest : public ::testing::Test {
protected:
    QApplication& application = TestApplication();
    RecordingMessages messages;
    StepContext context;
};

} // namespace

TEST_F(FormStepTest, SaveWaitsForTheCheckAndAFailedStoreShowsTheWindowAgain) {
    FormProbe form(context);
    int stores = 0;
    WhenShown<FormProbe> act([](FormProbe& f) {
        QTest::mouseClick(f.BSave, Qt::LeftButton);
        EXPECT_TRUE(f.isVisible()); // the check found the empty field
        f.field->setText(QStringLiteral("1"));
        QTest::mouseClick(f.BSave, Qt::LeftButton);
    });
    QString seenAgain;
    act.then([&seenAgain](FormProbe& f) {
        seenAgain = f.field->text();
        QTest::mouseClick(f.BSave, Qt::LeftButton);
    });
    act.then([](FormProbe& f) { QTest::mouseClick(f.BSave, Qt::LeftButton); });
    EXPECT_TRUE(RunStepWindow(form, [&stores](QString* error) {
        if (++stores == 1)
            return FailWith(error, StoreFailedText() + QStringLiteral("диск повний"));
        // A store that did not say why still reports that nothing was stored.
        return stores > 2;
    }));
    EXPECT_EQ(stores, 3);
    EXPECT_EQ(seenAgain, QStringLiteral("1"));
    ASSERT_EQ(messages.texts(QStringLiteral("balloon")),
              QStringList{QStringLiteral("Немає значення.")});
    EXPECT_EQ(messages.texts(QStringLiteral("error")),
              (QStringList{QStringLiteral("Оновлення даних у базі даних.\rПомилка: диск повний"),
                           QStringLiteral("Оновлення даних у базі даних.\rПомилка: ")}));
}

TEST_F(FormStepTest, EscapeCancelsWithTwoAndTheLoadingFlagNests) {
    FormProbe form(context);
    {
        auto outer = form.loading();
        {
            auto inner = form.loading();
            EXPECT_TRUE(form.FLoading);
        }
        EXPECT_TRUE(form.FLoading);
    }
    EXPECT_FALSE(form.FLoading);
    int result = -1;
    messages.answer({Answer::No});
    WhenShown<FormProbe> act([&result](FormProbe& f) {
        f.field->setText(QStringLiteral("typed"));
        QTest::keyClick(&f, Qt::Key_Escape);
        result = f.result();
    });
    EXPECT_FALSE(RunStepWindow(form, [](QString*) { return true; }));
    EXPECT_EQ(result, StepWindow::ResultCancel);
    EXPECT_EQ(messages.texts(QStringLiteral("confirm")), QStringList{"Зберегти зміни?"});
}

TEST_F(FormStepTest, ClosingAfterEditsAsksAndEachAnswerDoesWhatItSays) {
    // Nothing changed: Escape closes without a question.
    {
        FormProbe form(context);
        WhenShown<FormProbe> act([](FormProbe& f) { QTest::keyClick(&f, Qt::Key_Escape); });
        EXPECT_FALSE(RunStepWindow(form, [](QString*) { return true; }));
        EXPECT_TRUE(messages.texts(QStringLiteral("confirm")).isEmpty());
    }
    // "Скасувати" keeps the window and what was typed; "Так" stores through the check.
    FormProbe form(context);
    form.field->setText(QStringLiteral("завантажене"));
    bool stayed = false;
    QString stored;
    messages.answer({Answer::Cancel, Answer::Yes});
    WhenShown<FormProbe> act([&stayed](FormProbe& f) {
        f.field->setText(QStringLiteral("нове"));
        f.close();
        stayed = f.isVisible() && f.field->text() == QStringLiteral("нове");
        EXPECT_TRUE(f.hasUnsavedChanges());
        f.close();
    });
    EXPECT_TRUE(RunStepWindow(form, [&](QString*) {
        stored = form.field->text();
        return true;
    }));
    EXPECT_TRUE(stayed);
    EXPECT_EQ(stored, QStringLiteral("нове"));
    EXPECT_EQ(messages.askedButtons.back(), Answer::Yes | Answer::No | Answer::Cancel);
}

TEST_F(FormStepTest, EscapeInACellEditorCancelsOnlyTheCell) {
    FormProbe form(context);
    auto* grid = new GridView(&form);
    *grid->grid() = StringGrid(2, 2, 1, 0);
    grid->setColumns(
        {GridColumn::text(QStringLiteral("А"), 80), GridColumn::text(QStringLiteral("Б"), 80)});
    form.field->setText(QStringLiteral("1"));
    bool editing = false, open = false;
    WhenShown<FormProbe> act([&](FormProbe& f) {
        grid->setFocus();
        grid->setCurrentCell(1, 0);
        QTest::keyClick(grid, Qt::Key_F2);
        editing = grid->isEditing();
        if (auto* editor = grid->viewport()->findChild<QLineEdit*>())
            QTest::keyClick(editor, Qt::Key_Escape);
        open = f.isVisible() && !grid->isEditing();
        QTest::keyClick(grid, Qt::Key_Escape);
    });
    EXPECT_FALSE(RunStepWindow(form, [](QString*) { return true; }));
    EXPECT_TRUE(editing);
    EXPECT_TRUE(open);
    EXPECT_TRUE(messages.texts(QStringLiteral("confirm")).isEmpty());
}

TEST_F(FormStepTest, AWindowGrowsToItsGridWithinTheScreenAndRemembersItsPlace) {
    EXPECT_EQ(GrownWindowSize(QSize(900, 600), QSize(500, 0), QRect(0, 0, 1600, 1000)),
              QSize(1400, 600));
    EXPECT_EQ(GrownWindowSize(QSize(900, 600), QSize(900, 0), QRect(0, 0, 1600, 970)),
              QSize(1600, 600));
    EXPECT_EQ(GrownWindowSize(QSize(1000, 680), QSize(0, 0), QRect(0, 0, 800, 600)),
              QSize(800, 600));

    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    QSize first;
    {
        FormProbe form(context);
        form.setObjectName(QStringLiteral("FormProbeWide"));
        form.resize(300, 200);
        auto* grid = new GridView(&form);
        form.findChild<QVBoxLayout*>()->addWidget(grid);
        *grid->grid() = StringGrid(8, 2, 1, 0);
        QList<GridColumn> columns;
        for (int c = 0; c < 8; ++c)
            columns << GridColumn::text(QStringLiteral("К"), 70);
        grid->setColumns(columns);
        WhenShown<FormProbe> act([&first](FormProbe& f) {
            first = f.size();
            f.move(f.pos() + QPoint(5, 5));
            f.resize(f.width() - 10, f.height());
            f.BCancelClick();
        });
        RunStepWindow(form, [](QString*) { return true; });
        EXPECT_GE(first.width(), std::min(8 * 70, screen.width()));
    }
    FormProbe again(context);
    again.setObjectName(QStringLiteral("FormProbeWide"));
    QSize second;
    WhenShown<FormProbe> act([&second](FormProbe& f) {
        second = f.size();
        f.BCancelClick();
    });
    RunStepWindow(again, [](QString*) { return true; });
    EXPECT_EQ(second.width(), first.width() - 10);
}

TEST_F(FormStepTest, WorkingItemsButtonFollowsTheChecks) {
    WorkingItemsPanel panel(QStringLiteral("ListFactors"), QStringLiteral("BSetFactors"),
                            QStringLiteral("(примітка)"));
    panel.addItem(QStringLiteral("Фактор 1"), QStringLiteral("1"));
    panel.addItem(QStringLiteral("Фактор 2"));
    EXPECT_FALSE(panel.button()->isEnabled());
    panel.list()->selectAllAction()->trigger();
    EXPECT_TRUE(panel.button()->isEnabled());
    int applied = 0;
    QObject::connect(&panel, &WorkingItemsPanel::applyRequested, [&applied] { ++applied; });
    panel.button()->click();
    EXPECT_EQ(applied, 1);
    EXPECT_TRUE(panel.button()->isEnabled()); // until the step has applied the list
    const std::vector<WorkingItem> items = panel.items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].key, QStringLiteral("1"));
    EXPECT_EQ(items[1].key, QStringLiteral("Фактор 2"));
    EXPECT_TRUE(items[0].checked && items[1].checked);
    EXPECT_EQ(panel.indexOfKey(QStringLiteral("Фактор 2")), 1);
}

TEST_F(FormStepTest, OpeningShowsAFailedReadOnceAndOpensNothing) {
    // A read that failed names its table: the one error, and the window never shows.
    {
        FormProbe form(context);
        bool stored = false;
        const bool opened = OpenStepWindow(
            form,
            [](QString* error) {
                return FailWith(error, LoadFailedText(QStringLiteral("ділянки")) +
                                           QStringLiteral("no such table"));
            },
            [&stored](QString*) { return stored = true; });
        EXPECT_FALSE(opened);
        EXPECT_FALSE(stored);
        EXPECT_EQ(messages.texts(), QStringList{QStringLiteral(
                                        "Вибірка із бази \"ділянки\"\rПодробиці: no such table")});
    }
    // A fill that refused and said why itself adds nothing.
    {
        FormProbe form(context);
        EXPECT_FALSE(OpenStepWindow(
            form, [](QString*) { return false; }, [](QString*) { return true; }));
        EXPECT_EQ(messages.texts().size(), 1);
    }
    // A filled window runs and stores what it shows.
    FormProbe form(context);
    QString stored;
    WhenShown<FormProbe> act([](FormProbe& f) { QTest::mouseClick(f.BSave, Qt::LeftButton); });
    EXPECT_TRUE(OpenStepWindow(
        form,
        [&form](QString*) {
            form.field->setText(QStringLiteral("прочитане"));
            return true;
        },
        [&](QString*) {
            stored = form.field->text();
            return true;
        }));
    EXPECT_EQ(act.shown, 1);
    EXPECT_EQ(stored, QStringLiteral("прочитане"));
}
