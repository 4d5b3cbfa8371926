#include "catalogue/core/Koatuu.h"
#include "catalogue/ui/FormStartMaster.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

/** A small classifier: a region, a district with a council and villages, Kyiv. */
class WizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        Db().main.close();
        Connection c;
        ASSERT_TRUE(c.create(app.file(QStringLiteral("baza.sqlite"))));
        Query q(&c);
        ASSERT_TRUE(RunQuery(
            q,
            QStringLiteral(
                "CREATE TABLE коатуу (id AUTOINCREMENT, code nvarchar (10), title nvarchar (255))"),
            false));
        const char* rows[][2] = {
            {"3200000000", "Київська область"},
            {"3210300000", "м. Біла Церква"},
            {"3220000000", "Райони Київської області"},
            {"3222400000", "Києво-Святошинський р-н"},
            {"3222410100", "м. Вишневе"},
            {"3222481200", "Вишнева с.р."},
            {"3222481201", "с. Вишневе"},
            {"3222481202", "с. Нове"},
            {"3222455100", "смт Глеваха"},
            {"3222481300", "Порожня с.р."},
            {"8000000000", "м.Київ"},
            {"8036300000", "Голосіївський р-н"},
        };
        for (const auto& r : rows)
            ASSERT_TRUE(RunQuery(q,
                                 QStringLiteral("INSERT INTO коатуу (code, title) VALUES ('") +
                                     QString::fromUtf8(r[0]) + QStringLiteral("','") +
                                     QString::fromUtf8(r[1]) + QStringLiteral("')"),
                                 false));
        c.close();
        wizard = std::make_unique<TFormStartMaster>();
        wizard->show();
    }
    void TearDown() override {
        wizard.reset();
        Db().main.close();
    }
    QTreeWidgetItem* child(QTreeWidgetItem* parent, const QString& code) {
        wizard->LoadChildren(parent);
        for (int i = 0; i < parent->childCount(); ++i)
            if (parent->child(i)->text(0).startsWith(code))
                return parent->child(i);
        return nullptr;
    }
    void choose(QTreeWidgetItem* node) {
        wizard->TreeViewDistr->setCurrentItem(node);
        node->setSelected(true);
    }
    static QStringList texts(const QListWidget* list) {
        QStringList t;
        for (int i = 0; i < list->count(); ++i)
            t << list->item(i)->text();
        return t;
    }

    TempAppDir app;
    RecordingMessages messages;
    std::unique_ptr<TFormStartMaster> wizard;
};

} // namespace

TEST_F(WizardTest, TreeLoadsLazilyAndNestsByRank) {
    QTreeWidget* tree = wizard->TreeViewDistr;
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    // Children load only when a node is chosen or expanded.
    ASSERT_EQ(tree->topLevelItem(1)->childCount(), 1);
    EXPECT_EQ(tree->topLevelItem(1)->child(0)->text(0), koatuu::Placeholder());
    QTreeWidgetItem* region = tree->topLevelItem(0);
    QTreeWidgetItem* districts = child(region, QStringLiteral("3220000000"));
    ASSERT_TRUE(districts);
    EXPECT_EQ(region->childCount(), 1); // the city 3210300000 is not of this pattern
    QTreeWidgetItem* district = child(districts, QStringLiteral("3222400000"));
    ASSERT_TRUE(district);
    wizard->LoadChildren(district);
    ASSERT_EQ(district->childCount(), 4);
    EXPECT_EQ(district->child(0)->text(0), QStringLiteral("3222410100 - м. Вишневе"));
    QTreeWidgetItem* council = district->child(1);
    EXPECT_EQ(council->text(0), QStringLiteral("3222481200 - Вишнева с.р."));
    EXPECT_EQ(council->childCount(), 2);
    EXPECT_EQ(district->child(2)->text(0), QStringLiteral("3222455100 - смт Глеваха"));
}

TEST_F(WizardTest, NextFindsSettlementsByThePrefixRules) {
    QTreeWidgetItem* region = wizard->TreeViewDistr->topLevelItem(0);
    wizard->BNextClick();
    EXPECT_EQ(messages.last().text, QStringLiteral("Не обрано адміністративну одиницю."));
    choose(region);
    wizard->BNextClick();
    EXPECT_EQ(messages.last().text,
              QStringLiteral("Деталізуйте свій вибір до рівня міста/ради/населеного пункту."));
    EXPECT_EQ(wizard->PageControl->currentIndex(), 0);

    QTreeWidgetItem* council =
        child(child(child(region, QStringLiteral("3220000000")), QStringLiteral("3222400000")),
              QStringLiteral("3222481200"));
    choose(council);
    wizard->BNextClick();
    EXPECT_EQ(wizard->PageControl->currentIndex(), 1);
    EXPECT_EQ(texts(wizard->DstList),
              QStringList({"с. Вишневе, 3222481201", "с. Нове, 3222481202"}));
    EXPECT_EQ(wizard->SrcList->count(), 0);
    EXPECT_EQ(wizard->EProjectName->text(), QStringLiteral("Вишнева сільська рада"));
    EXPECT_EQ(wizard->EProjectCoatuu->text(), QStringLiteral("3222481200"));
    EXPECT_FALSE(wizard->IncludeBtn->isEnabled());
    EXPECT_TRUE(wizard->ExAllBtn->isEnabled());

    // A leaf settlement searches its own code.
    choose(council->child(1));
    wizard->BNextClick();
    EXPECT_EQ(texts(wizard->DstList), QStringList({"с. Нове, 3222481202"}));

    // Kyiv's region node covers the whole region.
    choose(wizard->TreeViewDistr->topLevelItem(1));
    wizard->BNextClick();
    EXPECT_EQ(texts(wizard->DstList), QStringList({"м.Київ, 8000000000"}));

    // A search that finds nothing opens the second page with both lists empty.
    QTreeWidgetItem* empty = council->parent()->child(3);
    ASSERT_EQ(empty->text(0), QStringLiteral("3222481300 - Порожня с.р."));
    choose(empty);
    wizard->BNextClick();
    EXPECT_EQ(wizard->DstList->count(), 0);
    EXPECT_EQ(wizard->SrcList->count(), 0);
    EXPECT_EQ(wizard->PageControl->currentIndex(), 1);
}

TEST_F(WizardTest, EditingTheListsAndSaving) {
    wizard->DstList->addItems({"a", "b", "c", "d"});
    wizard->DstList->item(0)->setSelected(true);
    wizard->DstList->item(2)->setSelected(true);
    wizard->ExcludeBtnClick();
    EXPECT_EQ(texts(wizard->SrcList), QStringList({"c", "a"}));
    EXPECT_EQ(texts(wizard->DstList), QStringList({"b", "d"}));
    EXPECT_TRUE(wizard->IncludeBtn->isEnabled());
    wizard->IncAllBtnClick();
    EXPECT_EQ(texts(wizard->DstList), QStringList({"b", "d", "c", "a"}));

    wizard->EEditValue->clear();
    wizard->NewBtnClick();
    EXPECT_EQ(messages.last().text, QStringLiteral("Немає значення."));
    wizard->EEditValue->setText(QStringLiteral("B"));
    wizard->NewBtnClick();
    EXPECT_EQ(messages.last().text, QStringLiteral("Населений пункт вже є у списку."));
    EXPECT_EQ(wizard->DstList->count(), 4);
    wizard->EEditValue->setText(QStringLiteral("с. Хутір"));
    wizard->NewBtnClick();
    EXPECT_EQ(wizard->DstList->count(), 5);
    wizard->DstList->setCurrentRow(4);
    wizard->EEditValue->setText(QStringLiteral("с. Хутір Новий"));
    wizard->EditBtnClick();
    EXPECT_EQ(wizard->DstList->item(4)->text(), QStringLiteral("с. Хутір Новий"));

    // Cancel on an existing folder keeps the wizard open with its contents.
    wizard->EProjectName->setText(QStringLiteral("Рада"));
    QDir().mkpath(JoinPath(GlobalVar().Settings.ProjectsDir, QStringLiteral("Рада")));
    messages.answer({Answer::Cancel});
    wizard->BSaveClick();
    EXPECT_EQ(messages.last().text,
              QStringLiteral("Папка з проектом \"Рада\" вже існує. Замінити її?"));
    EXPECT_EQ(wizard->result(), 0);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(wizard->DstList->count(), 5);
    messages.answer({Answer::Yes});
    wizard->BSaveClick();
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_FALSE(
        QFileInfo::exists(JoinPath(GlobalVar().Settings.ProjectsDir, QStringLiteral("Рада"))));
}
