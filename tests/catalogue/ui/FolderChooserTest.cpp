#include "catalogue/ui/FormOpenDir.h"
#include "common/ui/InputQuery.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

/** Folders a, a/b and c in a temporary folder. */
class FolderChooserTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        for (const char* sub : {"a/b", "c"})
            ASSERT_TRUE(QDir().mkpath(path(sub)));
    }
    QString path(const char* sub) const {
        return QDir::cleanPath(dir.path() + u'/' + QString::fromUtf8(sub));
    }
    QTemporaryDir dir;
    RecordingMessages messages;
};

} // namespace

TEST_F(FolderChooserTest, TheTreeFollowsTheTypedPathAndEnterNeverCloses) {
    TFormOpenDir form(path("a"), QStringLiteral("Відкрити папку з проектом"));
    form.show();
    EXPECT_EQ(form.selectedFolder(), path("a"));
    form.EditPath->setFocus();
    form.EditPath->clear();
    QTest::keyClicks(form.EditPath, path("c") + u'/');
    // Followed while typing; what was typed stays as typed.
    EXPECT_EQ(form.selectedFolder(), path("c"));
    EXPECT_EQ(form.EditPath->text(), path("c") + u'/');
    QTest::keyClick(form.EditPath, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(messages.messages.empty());

    // A path that does not exist: the balloon, the tree stays, and neither Enter nor "Ok"
    // closes the window with the folder chosen before.
    form.EditPath->setText(path("none"));
    QTest::keyClick(form.EditPath, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_EQ(messages.last().kind, QStringLiteral("balloon"));
    EXPECT_EQ(messages.last().text, QStringLiteral("Шлях не існує"));
    EXPECT_EQ(messages.last().control, form.EditPath);
    EXPECT_EQ(form.selectedFolder(), path("c"));
    messages.clear();
    QTest::mouseClick(form.BOk, Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(messages.last().text, QStringLiteral("Шлях не існує"));

    // An existing typed path is what "Ok" returns.
    form.EditPath->setText(path("a/b"));
    QTest::mouseClick(form.BOk, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.selectedFolder(), path("a/b"));
}

TEST_F(FolderChooserTest, NewFolderWithAnEmptyNameIsAnError) {
    QString answer;
    const InputQueryHook previous =
        SetInputQueryHook([&answer](const QString& caption, const QString& prompt, QString& text) {
            EXPECT_EQ(caption, QStringLiteral("Нова папка"));
            EXPECT_EQ(prompt, QStringLiteral("Ім'я папки"));
            text = answer;
            return true;
        });
    TFormOpenDir form(path("c"), QString());
    form.show();
    QTest::mouseClick(form.BNewFolder, Qt::LeftButton);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().kind, QStringLiteral("error"));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Нова папка"));
    EXPECT_EQ(messages.last().text, QStringLiteral("Помилка створення директорії: \"\""));
    EXPECT_EQ(form.selectedFolder(), path("c"));

    answer = QStringLiteral("Нова");
    QTest::mouseClick(form.BNewFolder, Qt::LeftButton);
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(form.selectedFolder(), path("c") + QStringLiteral("/Нова"));
    SetInputQueryHook(previous);
}
