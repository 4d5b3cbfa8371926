#include "app/MainWindow.h"
#include "app/CopiesWindow.h"
#include "app/MapPage.h"
#include "catalogue/core/Catalogue.h"
#include "common/FileUtils.h"
#include "db/Backup.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "gis/ui/PlotRegisterWindow.h"
#include "map/MapDocument.h"
#include "map/ui/MapView.h"
#include "steps/common/StepStore.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

namespace {

/** The catalogue functions as the program's windows call them. */
catalogue::CatalogueContext CatalogueOfProgram() {
    static catalogue::UserQuestions questions;
    return {Db(), questions};
}

/** A main window over a program folder with two projects. */
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        Db().main.close();
        ASSERT_TRUE(Db().ConnectCatalogue());
        // The shipped catalogue lists the demonstration project; these tests start empty.
        Query clear(&Db().main);
        ASSERT_TRUE(RunQuery(clear, QStringLiteral("DELETE FROM projects"), false));
        catalogue::CreateProject(CatalogueOfProgram(),
                                 {QStringLiteral("3222400000"),
                                  QStringLiteral("Район"),
                                  {QStringLiteral("с. Вишневе, 3222481201"),
                                   QStringLiteral("смт Глеваха, 3222455100")}});
        catalogue::CreateProject(CatalogueOfProgram(),
                                 {QStringLiteral("3210300000"),
                                  QStringLiteral("Біла Церква"),
                                  {QStringLiteral("м. Біла Церква, 3210300000")}});
        window = std::make_unique<TFormMain>();
        MainWindowDialogs& d = window->dialogs();
        d.openStep = [this](int kind) { openedSteps.push_back(kind); };
        d.askDeletion = [this](const QString& text, const QString& outside) {
            askedDeletion = text;
            askedOutside = outside;
            return deletionAnswer;
        };
        window->LoadProjectTree();
        window->show();
    }
    void TearDown() override {
        window.reset();
        Db().CloseProject();
        Db().main.close();
    }
    QTreeWidgetItem* node(const QString& text) {
        for (QTreeWidgetItemIterator it(window->TreeViewProjects); *it; ++it)
            if ((*it)->text(0) == text)
                return *it;
        return nullptr;
    }
    void click(QTreeWidgetItem* item) {
        QTreeWidget* tree = window->TreeViewProjects;
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(item).center());
    }
    static QStringList captions(const QListWidget* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    TempAppDir app{true};
    RecordingMessages messages;
    RecordingShell shell;
    std::unique_ptr<TFormMain> window;
    std::vector<int> openedSteps;
    DeletionAnswer deletionAnswer = DeletionAnswer::No;
    QString askedDeletion;
    QString askedOutside;
};

} // namespace

TEST_F(MainWindowTest, MenusAndTreeAsLaidOut) {
    QStringList menus;
    for (QAction* a : window->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, QStringList({"Проект", "Налаштування", "Допомога"}));
    QStringList project;
    for (QAction* a : window->menuBar()->actions()[0]->menu()->actions())
        project << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(project, QStringList({"Створити проект", "Відкрити проект", "Вилучити", "-",
                                    "Перевірити розрахунок", "Перерахувати все", "Реєстр ділянок",
                                    "-", "Зачинити програму"}));
    EXPECT_EQ(window->PageControl1->tabText(0), QStringLiteral("Дані"));
    EXPECT_EQ(window->PageControl1->tabText(1), QStringLiteral("Графіка"));
    EXPECT_EQ(window->BSearch->toolTip(), QStringLiteral("Знайти далі"));
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral(" v1.3.180109")));

    ASSERT_EQ(window->TreeViewProjects->topLevelItemCount(), 2);
    EXPECT_EQ(window->TreeViewProjects->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(window->TreeViewProjects->topLevelItem(1)->child(0)->text(0),
              QStringLiteral("м. Біла Церква"));
    // Nothing selected: the lists are hidden and deleting is disabled.
    EXPECT_FALSE(window->PanelList1->isVisible());
    EXPECT_TRUE(window->LabelHint->isVisible());
    EXPECT_FALSE(window->ACT_PROJ_DEL->isEnabled());
}

TEST_F(MainWindowTest, SelectingNodesFillsTheLists) {
    click(node(QStringLiteral("Район")));
    EXPECT_TRUE(window->ACT_PROJ_DEL->isEnabled());
    EXPECT_FALSE(window->ACT_REGISTER->isEnabled()); // a project values no plots
    EXPECT_EQ(window->GradientList1->text(), QStringLiteral("Населені пункти"));
    EXPECT_EQ(captions(window->ListView1), QStringList({"с. Вишневе", "смт Глеваха"}));
    EXPECT_EQ(captions(window->ListView2), QStringList({"Додати файл"}));
    EXPECT_TRUE(window->TreeViewProjects->topLevelItem(0)->font(0).bold());

    // A double click on a settlement entry selects its node.
    window->OpenListItem(window->ListView1->item(1));
    ASSERT_TRUE(window->CurrentSettlement);
    EXPECT_EQ(window->CurrentSettlement->named, QStringLiteral("смт Глеваха"));
    EXPECT_EQ(window->CurrentProject->named, QStringLiteral("Район"));
    EXPECT_EQ(window->GradientList1->text(), QStringLiteral("Розрахунок"));
    EXPECT_TRUE(window->ACT_REGISTER->isEnabled());
    const QStringList steps = captions(window->ListView1);
    ASSERT_EQ(steps.size(), 11);
    EXPECT_EQ(steps[6], QStringLiteral("Функціональне використання"));
    EXPECT_EQ(steps[8], QStringLiteral("Локальні фактори поквартально"));
    EXPECT_EQ(captions(window->ListView2),
              QStringList({"карта", "Склад земель", "Заповнити звіт", "Експорт матеріалів",
                           "Відкрити папку з матеріалами"}));

    window->OpenListItem(window->ListView1->item(0));
    window->OpenListItem(window->ListView1->item(10));
    window->OpenListItem(nullptr);
    EXPECT_EQ(openedSteps, std::vector<int>({KindStepInfo, KindStepPlots}));
    window->OpenListItem(window->ListView2->item(4));
    EXPECT_EQ(shell.opened, QStringList({window->CurrentSettlement->pathname}));

    // A click on an empty area clears the selection.
    QTest::mouseClick(window->TreeViewProjects->viewport(), Qt::LeftButton, {},
                      QPoint(5, window->TreeViewProjects->viewport()->height() - 3));
    EXPECT_FALSE(window->CurrentProject);
    EXPECT_FALSE(window->PanelList1->isVisible());
    EXPECT_FALSE(window->ACT_REGISTER->isEnabled());
}

TEST_F(MainWindowTest, SearchWrapsAroundTheTree) {
    window->BSearchClick();
    EXPECT_EQ(messages.last().text, QStringLiteral("Уведіть назву для пошуку."));
    EXPECT_EQ(messages.last().balloonKind, 2);
    window->ESearch->setText(QStringLiteral("ЦЕРКВА"));
    window->BSearchClick();
    EXPECT_EQ(window->selectedNode()->text(0), QStringLiteral("Біла Церква"));
    window->BSearchClick();
    EXPECT_EQ(window->selectedNode()->text(0), QStringLiteral("м. Біла Церква"));
    window->BSearchClick();
    EXPECT_EQ(window->selectedNode()->text(0), QStringLiteral("Біла Церква"));

    // Only the last node contains the text: a second search wraps round to it again.
    window->ESearch->setText(QStringLiteral("м. біла"));
    window->BSearchClick();
    window->BSearchClick();
    EXPECT_EQ(window->selectedNode()->text(0), QStringLiteral("м. Біла Церква"));
    window->ESearch->setText(QStringLiteral("Одеса"));
    window->BSearchClick();
    EXPECT_EQ(messages.last().text, QStringLiteral("\"Одеса\" не знайдено."));
}

TEST_F(MainWindowTest, DeletingFromTheListKeepsTheFolder) {
    QTreeWidgetItem* project = node(QStringLiteral("Біла Церква"));
    const QString folder = TFormMain::ItemOf(project).pathname;
    click(project);
    deletionAnswer = DeletionAnswer::No;
    window->ACT_PROJ_DELExecute();
    EXPECT_EQ(askedDeletion, QStringLiteral("Біла Церква"));
    EXPECT_EQ(window->TreeViewProjects->topLevelItemCount(), 2);
    deletionAnswer = DeletionAnswer::FromList;
    window->ACT_PROJ_DELExecute();
    EXPECT_EQ(window->TreeViewProjects->topLevelItemCount(), 1);
    EXPECT_TRUE(QFileInfo::exists(folder));
    window->LoadProjectTree();
    EXPECT_EQ(window->TreeViewProjects->topLevelItemCount(), 1);

    click(node(QStringLiteral("с. Вишневе")));
    const QString village = window->CurrentSettlement->pathname;
    deletionAnswer = DeletionAnswer::WithData;
    window->ACT_PROJ_DELExecute();
    EXPECT_FALSE(QFileInfo::exists(village));
    EXPECT_EQ(node(QStringLiteral("Район"))->childCount(), 1);
}

TEST_F(MainWindowTest, NewProjectIsSelectedAfterCreation) {
    window->dialogs().newProject = [](catalogue::NewProject& p) {
        p = {QStringLiteral("1"), QStringLiteral("Нова рада"), {QStringLiteral("с. Нове, 1")}};
        return true;
    };
    window->ACT_PROJ_NEWExecute();
    ASSERT_TRUE(window->CurrentProject);
    EXPECT_EQ(window->CurrentProject->named, QStringLiteral("Нова рада"));
    EXPECT_EQ(captions(window->ListView1), QStringList({"с. Нове"}));

    window->dialogs().newProject = [](catalogue::NewProject&) { return false; };
    window->ACT_PROJ_NEWExecute();
    EXPECT_EQ(window->TreeViewProjects->topLevelItemCount(), 3);
}

TEST_F(MainWindowTest, AFolderOutsideTheProjectsIsNamedBeforeItIsDeleted) {
    click(node(QStringLiteral("Район")));
    window->ACT_PROJ_DELExecute();
    EXPECT_EQ(askedDeletion, QStringLiteral("Район"));
    EXPECT_TRUE(askedOutside.isEmpty());

    // The same project moved out of the projects root and registered from there.
    const QString inside = app.file(QStringLiteral("Проекти/Біла Церква"));
    const QString outside = app.file(QStringLiteral("Інше/Біла Церква"));
    ASSERT_TRUE(QDir().mkpath(app.file(QStringLiteral("Інше"))));
    Db().CloseProject();
    ASSERT_TRUE(QDir().rename(inside, outside));
    ASSERT_TRUE(catalogue::RegisterProjectFolder(CatalogueOfProgram(), outside));
    window->LoadProjectTree();
    QTreeWidgetItem* registered = window->TreeViewProjects->topLevelItem(2);
    ASSERT_TRUE(registered);
    click(registered);
    deletionAnswer = DeletionAnswer::WithData;
    window->ACT_PROJ_DELExecute();
    EXPECT_EQ(askedOutside, outside);
    EXPECT_FALSE(QFileInfo::exists(outside));
}

// "Проект" - "Реєстр ділянок" opens one window over the selected settlement and its map.
TEST_F(MainWindowTest, TheRegisterOfPlotsOpensFromTheProjectMenu) {
    window->setMapTab(new MapPage(window->mapDocument(), window.get()));
    click(node(QStringLiteral("с. Вишневе")));
    ASSERT_TRUE(window->ACT_REGISTER->isEnabled());
    window->ACT_REGISTER->trigger();
    window->ACT_REGISTER->trigger();
    const QList<PlotRegisterWindow*> opened = window->findChildren<PlotRegisterWindow*>();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened.front()->isVisible());
    EXPECT_EQ(opened.front()->windowTitle(), QStringLiteral("Реєстр ділянок"));
    opened.front()->close();
}

TEST_F(MainWindowTest, AMapTableThatCannotBeOpenedIsNamedAndKeptInTheLayers) {
    auto* page = new MapPage(window->mapDocument(), window.get());
    window->setMapTab(page);
    const QString village = app.file(QStringLiteral("Проекти/Район/с. Вишневе"));
    const QString districts = JoinPath(village, QStringLiteral("райони.tab"));
    ASSERT_TRUE(QFile::resize(districts, 20));
    // A table that is not there at all gives no layer and no message.
    ASSERT_TRUE(QFile::remove(JoinPath(village, QStringLiteral("зони.tab"))));
    click(node(QStringLiteral("с. Вишневе")));
    ASSERT_EQ(messages.texts(QStringLiteral("warning")).size(), 1);
    const QString warning = messages.texts(QStringLiteral("warning")).first();
    EXPECT_TRUE(
        warning.startsWith(QStringLiteral("Не вдалося відкрити карту населеного пункту:\r\"") +
                           QDir::toNativeSeparators(districts) + QStringLiteral("\": ")))
        << warning.toStdString();
    EXPECT_FALSE(warning.contains(QStringLiteral("зони.tab")));

    QListWidget* layers = page->view()->ListMapLayers;
    ASSERT_EQ(layers->count(), 2);
    EXPECT_EQ(layers->item(0)->text(), QStringLiteral("райони (недоступний)"));
    EXPECT_FALSE(layers->item(0)->flags() & Qt::ItemIsEnabled);
    EXPECT_TRUE(layers->item(0)->toolTip().startsWith(QDir::toNativeSeparators(districts)));
    EXPECT_EQ(layers->item(1)->text(), QStringLiteral("межі"));
    // The rows still find their layers.
    layers->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(window->mapDocument().layerAt(0)->visible());

    // Another settlement starts with a clean list.
    messages.clear();
    click(node(QStringLiteral("смт Глеваха")));
    EXPECT_TRUE(messages.texts(QStringLiteral("warning")).isEmpty());
    EXPECT_EQ(layers->count(), 3);
}

TEST_F(MainWindowTest, StepCaptionsAreShownWhole) {
    click(node(QStringLiteral("с. Вишневе")));
    QListWidget* list = window->ListView1;
    QApplication::processEvents();
    EXPECT_EQ(list->textElideMode(), Qt::ElideNone);
    // Each entry is as tall as its wrapped caption needs; a cell cut by the grid would be
    // exactly as tall as the grid.
    for (int i = 0; i < list->count(); ++i)
        EXPECT_LT(list->visualItemRect(list->item(i)).height(), list->gridSize().height())
            << list->item(i)->text().toStdString();
    EXPECT_GT(list->visualItemRect(list->item(4)).height(),
              list->visualItemRect(list->item(0)).height());
}

// "Автоматичні копії": without a settlement the folder of all copies; for a settlement
// without copies a message; else its copies, newest first with date, size and step, one of
// which is restored after one question, the database as it was kept as a copy first.
TEST_F(MainWindowTest, TheCopiesMenuItemListsAndRestoresTheSettlementsCopies) {
    QStringList items;
    for (QAction* a : window->menuBar()->actions()[1]->menu()->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(items.last(), QStringLiteral("Автоматичні копії"));
    window->ACT_BACKUPS->trigger();
    EXPECT_EQ(shell.opened.last(), app.file(QStringLiteral("Temp/Копії")));
    click(node(QStringLiteral("с. Вишневе")));
    messages.clear();
    window->ACT_BACKUPS->trigger();
    EXPECT_EQ(messages.texts(QStringLiteral("info")),
              QStringList{NoCopiesText(QStringLiteral("с. Вишневе"))});

    // Two stores of the information step, each copied first.
    Connection& data = Db().data;
    auto setName = [&data](const QString& name) {
        const backup::StoreLabel label(QStringLiteral("Інформація"));
        return StoreInTransaction(
            &data,
            [&](QString*) {
                Query q(&data);
                return RunQuery(q,
                                QStringLiteral("UPDATE показники SET значення='%1' WHERE "
                                               "показник='Назва'")
                                    .arg(name),
                                false);
            },
            nullptr);
    };
    auto name = [&data] {
        Query q(&data);
        return RunQuery(q, QStringLiteral("SELECT значення FROM показники WHERE показник='Назва'"),
                        true)
                   ? q.text(0)
                   : QString();
    };
    const QString first = name();
    ASSERT_TRUE(setName(QStringLiteral("Друге")));
    ASSERT_TRUE(setName(QStringLiteral("Третє")));
    QStringList shown;
    window->dialogs().showCopies = [&](TFormCopies& copies) {
        for (int i = 0; i < copies.ListCopies->topLevelItemCount(); ++i)
            shown << copies.ListCopies->topLevelItem(i)->text(2);
        EXPECT_TRUE(copies.ListCopies->topLevelItem(0)->text(1).endsWith(QStringLiteral(" КБ")));
        // The older copy: the name as it was before both stores.
        copies.ListCopies->setCurrentItem(copies.ListCopies->topLevelItem(1));
        messages.answer({Answer::No});
        EXPECT_FALSE(copies.BRestoreClick());
        messages.answer({Answer::Yes});
        EXPECT_TRUE(copies.BRestoreClick());
        EXPECT_EQ(copies.ListCopies->topLevelItemCount(), 3);
        EXPECT_EQ(copies.ListCopies->topLevelItem(0)->text(2),
                  QStringLiteral("перед відновленням"));
    };
    messages.clear();
    window->ACT_BACKUPS->trigger();
    EXPECT_EQ(shown, (QStringList{"Інформація", "Інформація"}));
    EXPECT_EQ(name(), first);
    ASSERT_EQ(messages.texts(QStringLiteral("info")).size(), 1);
    EXPECT_TRUE(messages.texts(QStringLiteral("info"))[0].startsWith(
        QStringLiteral("Базу населеного пункту \"с. Вишневе\" відновлено з копії від ")));
    EXPECT_EQ(window->ListView1->count(), 11); // the settlement is shown as restored
}

// A program folder where no copy can be made (read-only; here a file stands where the
// copies' folder would be): the start says so once, the steps' stores do not repeat it.
TEST(MainWindowCopies, NoCopiesPossibleIsSaidOnce) {
    TestApplication();
    TempAppDir app(true);
    RecordingMessages messages;
    ASSERT_TRUE(DeleteFolder(app.file(QStringLiteral("Temp/Копії"))));
    WriteTextFile(app.file(QStringLiteral("Temp/Копії")), QStringLiteral("не папка"));
    Db().main.close();
    {
        TFormMain window;
        window.LoadProjectTree();
        ASSERT_EQ(messages.texts(QStringLiteral("warning")).size(), 1);
        EXPECT_TRUE(messages.texts(QStringLiteral("warning"))[0].startsWith(
            QStringLiteral("Автоматичні копії баз даних не вдається зберігати в папці \"") +
            QDir::toNativeSeparators(app.file(QStringLiteral("Temp/Копії/Каталог")))))
            << messages.texts().join(u'|').toStdString();
        Connection settlement;
        ASSERT_TRUE(QDir().mkpath(app.file(QStringLiteral("Проекти/Р/С"))));
        ASSERT_TRUE(settlement.create(app.file(QStringLiteral("Проекти/Р/С/data.sqlite"))));
        ASSERT_TRUE(StoreInTransaction(
            &settlement, [](QString*) { return true; }, nullptr));
        window.LoadProjectTree();
        EXPECT_EQ(messages.texts(QStringLiteral("warning")).size(), 1);
    }
    Db().main.close();
}

TEST_F(MainWindowTest, AFailedCreationIsNotSelectedAsIfAllWentWell) {
    {
        Connection templ;
        ASSERT_TRUE(templ.open(app.file(QStringLiteral("Шаблон/проект/")) + DataFileName()));
        Query q(&templ);
        ASSERT_TRUE(RunQuery(q, QStringLiteral("DROP TABLE data"), false));
    }
    click(node(QStringLiteral("Район")));
    window->dialogs().newProject = [](catalogue::NewProject& p) {
        p = {QStringLiteral("1"), QStringLiteral("Нова рада"), {QStringLiteral("с. Нове, 1")}};
        return true;
    };
    window->ACT_PROJ_NEWExecute();
    EXPECT_TRUE(
        messages.last().text.startsWith(QStringLiteral("Додавання даних коатуу у проект.")));
    EXPECT_EQ(window->TreeViewProjects->topLevelItemCount(), 2);
    ASSERT_TRUE(window->CurrentProject);
    EXPECT_EQ(window->CurrentProject->named, QStringLiteral("Район"));
    EXPECT_FALSE(QFileInfo::exists(app.file(QStringLiteral("Проекти/Нова рада"))));
}
