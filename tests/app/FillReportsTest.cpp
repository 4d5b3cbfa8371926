// "Заповнити звіт" from the main window: the three jobs in the progress window, the materials
// list and the question before replacing the report.
#include "app/FillReports.h"
#include "app/MainWindow.h"
#include "catalogue/core/Catalogue.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "tests/reports/ReportFixtures.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"
#include "valuation/Check.h"
#include "valuation/Typed.h"

#include <QFileInfo>
#include <QListWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

/** The catalogue functions as the program's windows call them. */
catalogue::CatalogueContext CatalogueOfProgram() {
    static catalogue::UserQuestions questions;
    return {Db(), questions};
}

QStringList Captions(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QListWidgetItem* Entry(const QListWidget* list, const QString& caption) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == caption)
            return list->item(i);
    return nullptr;
}

} // namespace

TEST(FillReports, MainWindowRunsTheThreeJobsAndListsTheFiles) {
    TestApplication();
    TempAppDir app{true};
    RecordingMessages messages;
    RecordingShell shell;
    Db().main.close();
    ASSERT_TRUE(Db().ConnectCatalogue());
    Query clear(&Db().main);
    ASSERT_TRUE(RunQuery(clear, QStringLiteral("DELETE FROM projects"), false));
    catalogue::CreateProject(CatalogueOfProgram(), {QStringLiteral("3222400000"),
                                                    QStringLiteral("Район"),
                                                    {QStringLiteral("с. Вишневе, 3222481201")}});
    fixtures::MakeTemplates(GlobalVar().Settings.TemplateDir);
    {
        TFormMain window;
        window.dialogs().fillReports = [&window] { FillReports(window); };
        window.LoadProjectTree();
        window.show();
        QTreeWidgetItem* settlement = window.TreeViewProjects->topLevelItem(0)->child(0);
        window.selectNode(settlement);
        const QString folder = window.CurrentSettlement->pathname;
        // The settlement's steps filled: a database with every step table.
        Db().CloseProject();
        QString error;
        const QString database = JoinPath(folder, QStringLiteral("data.sqlite"));
        ASSERT_TRUE(fixtures::CreateSettlementDatabase(database, &error)) << qPrintable(error);
        {
            Connection db;
            ASSERT_TRUE(db.open(database));
            ASSERT_TRUE(fixtures::RunScript(db,
                                            fixtures::SourceFile(QStringLiteral(
                                                "tests/reports/golden/cases/weighted/input.sql")),
                                            &error))
                << qPrintable(error);
        }
        window.selectNode(settlement);
        const QStringList before = Captions(window.ListView2);
        ASSERT_EQ(before.first(), QStringLiteral("Заповнити звіт"));

        // The golden settlement is not recalculated: the run first offers it; "Ні" goes on.
        messages.answer({Answer::No});
        window.OpenListItem(Entry(window.ListView2, QStringLiteral("Заповнити звіт")));
        ASSERT_EQ(messages.texts().size(), 2);
        EXPECT_TRUE(messages.texts()[0].startsWith(
            QStringLiteral("Деякі збережені результати кроків застаріли:\r")));
        EXPECT_EQ(messages.askedButtons.back(), Answer::Yes | Answer::No | Answer::Cancel);
        EXPECT_TRUE(messages.texts()[1].startsWith(QStringLiteral("Завершено.")));
        // The step list marks the stale steps, the reasons in their tooltips.
        const auto staleSteps = [&window] {
            int stale = 0;
            for (int i = 0; i < window.ListView1->count(); ++i)
                stale += window.ListView1->item(i)->toolTip().startsWith(
                    QStringLiteral("Збережені результати застаріли:"));
            return stale;
        };
        EXPECT_GT(staleSteps(), 0);
        const QStringList files{QStringLiteral("Технічний звіт.docx"),
                                QStringLiteral("Розрахунок грошової оцінки.xlsx"),
                                QStringLiteral("Розрахунок грошової оцінки з кварталами.xlsx")};
        EXPECT_EQ(Captions(window.ListView2), files + before);
        QStringList paths;
        for (const QString& file : files) {
            paths << JoinPath(folder, file);
            EXPECT_TRUE(QFileInfo::exists(paths.last()));
        }
        // The jobs open what they saved.
        EXPECT_EQ(shell.opened, paths);

        // Again: the question, and no entry twice. This time "Так": the settlement is recalculated
        // first, then the reports made.
        messages.clear();
        messages.answer({Answer::Yes, Answer::Ok});
        window.OpenListItem(Entry(window.ListView2, QStringLiteral("Заповнити звіт")));
        ASSERT_EQ(messages.texts().size(), 3);
        EXPECT_EQ(
            messages.texts()[1],
            QStringLiteral("Звіт уже було створено раніше. Ви дійсно бажаєте його поновити?"));
        EXPECT_TRUE(messages.texts()[2].startsWith(QStringLiteral("Завершено.")));
        valuation::CheckResult after;
        ASSERT_TRUE(valuation::CheckSettlement(Db().data, after));
        EXPECT_TRUE(after.stale.empty());
        // Only what the recalculation cannot mend is left, on its steps: the coefficient
        // "abc" and the quarter statement's row of district 3, which does not exist.
        EXPECT_EQ(staleSteps(), 2);
        EXPECT_EQ(Captions(window.ListView2), files + before);
        // The list read back from the database says the same.
        window.selectNode(settlement);
        EXPECT_EQ(Captions(window.ListView2), files + before);

        // One more value typed over the computed ones (the settlement has two already): the
        // pre-check lists both with the computed values beside them, as "check --typed" does,
        // before anything is made; "Скасувати" stops.
        const QString average = QStringLiteral("Середня вартість 1 кв м");
        Query value(&Db().data);
        ASSERT_TRUE(RunQuery(value,
                             QStringLiteral("SELECT значення FROM характеристика WHERE "
                                            "показник='%1'")
                                 .arg(average),
                             true));
        value.first();
        const QString stored = value.text(0);
        ASSERT_TRUE(valuation::MarkIndicatorTyped(Db().data, average, stored, true, stored));
        messages.clear();
        window.OpenListItem(Entry(window.ListView2, QStringLiteral("Заповнити звіт")));
        ASSERT_EQ(messages.texts().size(), 1);
        EXPECT_TRUE(messages.texts()[0].startsWith(
            QStringLiteral("Перед заповненням звіту.\rЗначення, введені вручну замість "
                           "обчислених (3):\r")))
            << messages.texts()[0].toStdString();
        EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("\"Середня вартість 1 кв м\": "
                                                                "уведено оцінювачем ") +
                                                 stored));
        EXPECT_EQ(messages.askedButtons.back(), Answer::Ok | Answer::Cancel);
        EXPECT_EQ(Captions(window.ListView2), files + before);
    }
    Db().CloseProject();
    Db().main.close();
}
