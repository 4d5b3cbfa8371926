#include "steps/common/ui/FormStep.h"
#include "steps/common/ui/WorkingItemsPanel.h"
#include "tests/steps/support/StepTestSupport.h"
#include "widgets/CheckList.h"

#include "common/LastError.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace {

/** A step window with one field that must not be empty. */
class FormProbe : public TFormStep {
public:
    explicit FormProbe(const StepContext& context) : TFormStep(context, QStringLiteral("Проба")) {
        field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("EField"));
        body()->addWidget(field);
    }
    QLineEdit* field;

protected:
    StepCheck checkBeforeSave() override {
        if (field->text().isEmpty())
            return StepIssue{QStringLiteral("EField"), -1, -1, QStringLiteral("Попередження"),
                             QStringLiteral("Немає значення.")};
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
    EXPECT_TRUE(RunStepWindow(form, [&stores] {
        if (++stores == 1) {
            SetLastError(QStringLiteral("диск повний"));
            return false;
        }
        return true;
    }));
    EXPECT_EQ(stores, 2);
    EXPECT_EQ(seenAgain, QStringLiteral("1"));
    ASSERT_EQ(messages.texts(QStringLiteral("balloon")),
              QStringList{QStringLiteral("Немає значення.")});
    EXPECT_EQ(messages.texts(QStringLiteral("error")),
              QStringList{QStringLiteral("Оновлення даних у базі даних.\rПомилка: диск повний")});
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
    WhenShown<FormProbe> act([&result](FormProbe& f) {
        f.field->setText(QStringLiteral("typed"));
        QTest::keyClick(&f, Qt::Key_Escape);
        result = f.result();
    });
    EXPECT_FALSE(RunStepWindow(form, [] { return true; }));
    EXPECT_EQ(result, TFormStep::ResultCancel);
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
    EXPECT_FALSE(panel.button()->isEnabled());
    const std::vector<WorkingItem> items = panel.items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].key, QStringLiteral("1"));
    EXPECT_EQ(items[1].key, QStringLiteral("Фактор 2"));
    EXPECT_TRUE(items[0].checked && items[1].checked);
    EXPECT_EQ(panel.indexOfKey(QStringLiteral("Фактор 2")), 1);
}
