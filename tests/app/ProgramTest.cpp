#include "app/MainWindow.h"
#include "app/MapPage.h"
#include "app/Startup.h"
#include "common/GlobalVar.h"
#include "db/Databases.h"
#include "map/MapView.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QListWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

// The program's own wiring over the built program folder and its demonstration project.
TEST(Program, DemonstrationSettlementShowsItsLayers) {
    TestApplication();
    RecordingMessages messages;
    InitGlobalVar(BuiltAppDir());
    Db().main.close();
    TFormMain window;
    InstallProgramDialogs(window);
    window.LoadProjectTree();
    QTreeWidgetItem* project = nullptr;
    for (int i = 0; i < window.TreeViewProjects->topLevelItemCount(); ++i)
        if (window.TreeViewProjects->topLevelItem(i)->text(0) ==
            QStringLiteral("Демонстраційний проект"))
            project = window.TreeViewProjects->topLevelItem(i);
    ASSERT_TRUE(project);
    ASSERT_GT(project->childCount(), 0);
    window.selectNode(project->child(0));
    EXPECT_EQ(window.ListView1->count(), 11);
    auto* page = qobject_cast<MapPage*>(window.mapTab());
    ASSERT_TRUE(page);
    // The newest layer is on top: districts over zones over boundaries.
    EXPECT_EQ(Texts(page->view()->ListMapLayers), QStringList({"райони", "зони", "межі"}));
    EXPECT_TRUE(messages.messages.empty()) << qPrintable(messages.texts().join(u'\n'));
    Db().CloseProject();
    Db().main.close();
}
