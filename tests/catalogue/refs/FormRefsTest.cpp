#include "catalogue/refs/FormRefs.h"

#include "catalogue/refs/RefsModel.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "tests/catalogue/refs/RefsTestData.h"

#include "common/ui/Dialog.h"
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

class FormRefsTest : public RefsDbTest {
protected:
    void SetUp() override {
        RefsDbTest::SetUp();
        form.setInput(&input);
        form.show();
    }

    int gridRow() const { return form.DBGridValues->currentIndex().row(); }
    void type(QWidget* w, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QStringList visibleItems() const {
        QStringList items;
        for (QAction* a : form.PopupMenuGrid->actions())
            if (a->isVisible())
                items << a->text();
        return items;
    }

    QApplication& application = TestApp();
    TFormRefs form;
};

} // namespace

TEST_F(FormRefsTest, TreeListsBothGroupsAndThePanelFollowsTheChoice) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Довідники"));
    ASSERT_EQ(form.TreeView1->topLevelItemCount(), 2);
    QStringList tables;
    for (int g = 0; g < 2; ++g) {
        QTreeWidgetItem* group = form.TreeView1->topLevelItem(g);
        EXPECT_TRUE(group->isExpanded());
        for (int i = 0; i < group->childCount(); ++i)
            tables << group->child(i)->text(0);
    }
    EXPECT_EQ(tables.join(u' '), QStringLiteral("грунти збірник_цін індексація локальні "
                                                "експертні_фактори показники кф витрати"));
    EXPECT_FALSE(form.PanelRef->isVisible());
    EXPECT_TRUE(form.LabelEmpty->isVisible());

    ASSERT_TRUE(form.selectNode(QStringLiteral("кф")));
    EXPECT_TRUE(form.PanelRef->isVisible());
    EXPECT_EQ(form.PanelCaption->text(), QStringLiteral("кф"));
    EXPECT_EQ(form.model()->rowCount(), form.book().QueryValues().recordCount());
    EXPECT_GT(form.model()->rowCount(), 0);
    EXPECT_EQ(gridRow(), 0);

    ASSERT_TRUE(form.selectNode(QStringLiteral("Загальні")));
    EXPECT_FALSE(form.PanelRef->isVisible());
}

TEST_F(FormRefsTest, PopupShowsSortItemsOnlyInTheHeading) {
    ASSERT_TRUE(form.selectNode(QStringLiteral("грунти")));
    form.PopupMenuGridPopup(true, 2);
    EXPECT_EQ(visibleItems(),
              QStringList({QStringLiteral("Отсортировать по:"), QStringLiteral("возрастанию"),
                           QStringLiteral("убыванию"), QStringLiteral("[нет]")}));
    EXPECT_EQ(form.popupColumn(), 2);
    form.PopupMenuGridPopup(false, 1);
    EXPECT_EQ(visibleItems(),
              QStringList({QStringLiteral("Добавить"), QStringLiteral("Редактировать"),
                           QStringLiteral("Удалить")}));
    EXPECT_EQ(form.popupColumn(), 2); // only the heading remembers a column
    EXPECT_EQ(form.PopupMenuGrid->defaultAction()->text(), QStringLiteral("Редактировать"));
}

TEST_F(FormRefsTest, SortShowsTheArrowAndNoSortReturnsToIdOrder) {
    ASSERT_TRUE(form.selectNode(QStringLiteral("грунти")));
    QHeaderView* header = form.DBGridValues->horizontalHeader();
    form.PopupMenuGridPopup(true, 2);
    form.POPUP_SORT_DESC->trigger();
    EXPECT_EQ(form.book().lastSql(), QStringLiteral("SELECT * FROM грунти ORDER BY назва DESC"));
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_GE(form.model()->cell(0, 2), form.model()->cell(1, 2));
    form.POPUP_SORT_NONE->trigger();
    EXPECT_EQ(form.book().lastSql(), QStringLiteral("SELECT * FROM грунти ORDER BY id"));
    EXPECT_FALSE(header->isSortIndicatorShown());
    EXPECT_LT(form.model()->cell(0, 0).toInt(), form.model()->cell(1, 0).toInt());
}

TEST_F(FormRefsTest, TypingInTheSearchBoxFindsFromTheSecondCharacter) {
    execMain(QStringLiteral("DELETE FROM грунти"));
    execMain(QStringLiteral("INSERT INTO грунти VALUES (1, 'А', 'Пісок'), (2, 'Б', 'Глина'), "
                            "(3, 'В', 'Суглинок')"));
    ASSERT_TRUE(form.selectNode(QStringLiteral("грунти")));
    form.ESearchText->setFocus();
    type(form.ESearchText, QStringLiteral("с"));
    EXPECT_EQ(gridRow(), 0);
    type(form.ESearchText, QStringLiteral("у"));
    EXPECT_EQ(gridRow(), 2);
    EXPECT_EQ(form.book().QueryValues().recNo(), 3);
    QTest::keyClick(form.ESearchText, Qt::Key_Return);
    EXPECT_EQ(gridRow(), 2); // no further row: stays, balloon at the edit
    ASSERT_EQ(messages.texts(QStringLiteral("balloon")).size(), 1);
    EXPECT_EQ(messages.last().control, form.ESearchText);
}

TEST_F(FormRefsTest, RowClickDoubleClickAndKeysDriveTheCommands) {
    ASSERT_TRUE(form.selectNode(QStringLiteral("грунти")));
    const QRect cell = form.DBGridValues->visualRect(form.model()->index(1, 1));
    QTest::mouseClick(form.DBGridValues->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(form.book().QueryValues().recNo(), 2);
    const QString id = form.book().QueryValues().text(QStringLiteral("id"));

    input.answers.push_back(QStringList({QStringLiteral("Ш"), QStringLiteral("Новий")}));
    QTest::mouseDClick(form.DBGridValues->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(input.titles, QStringList(QStringLiteral("Редагування запису")));
    EXPECT_EQ(mainRows(QStringLiteral("грунти")).at(1), id + QStringLiteral("|Ш|Новий"));
    EXPECT_EQ(form.model()->cell(1, 2), QStringLiteral("Новий"));
    EXPECT_EQ(gridRow(), 1);

    const int before = form.model()->rowCount();
    form.DBGridValues->setFocus();
    form.ACT_ADDCOPY->trigger();
    EXPECT_EQ(form.model()->rowCount(), before + 1);
    EXPECT_EQ(gridRow(), before); // the copy is current
}

TEST_F(FormRefsTest, SelectedRowIsLightBlueAndMemoColumnsAreNarrow) {
    ASSERT_TRUE(form.selectNode(QStringLiteral("локальні")));
    EXPECT_EQ(form.DBGridValues->columnWidth(1), 300); // memo
    for (int c = 0; c < form.model()->columnCount(); ++c)
        EXPECT_LE(form.DBGridValues->columnWidth(c), 300);
    EXPECT_FALSE(form.model()->data(form.model()->index(0, 1)).toString().contains(u'\r'));

    QApplication::processEvents();
    const QImage image = form.DBGridValues->viewport()->grab().toImage();
    const QRect cell = form.DBGridValues->visualRect(form.model()->index(0, 3));
    EXPECT_EQ(image.pixelColor(cell.right() - 2, cell.top() + 2), RefsDelegate::selectedColor());
    const QRect other = form.DBGridValues->visualRect(form.model()->index(1, 3));
    EXPECT_NE(image.pixelColor(other.right() - 2, other.top() + 2), RefsDelegate::selectedColor());
}

TEST(DialogRefsInputTest, EditWidthFollowsTheFieldSizeUpTo350) {
    TestApp();
    const QFontMetrics metrics(QApplication::font());
    const int w = metrics.horizontalAdvance(u'W');
    EXPECT_EQ(DialogRefsInput::editWidth(metrics, 5), std::min(350, w * 10));
    EXPECT_EQ(DialogRefsInput::editWidth(metrics, 255), 350);
}

TEST(DialogRefsInputTest, BuildsEditsAndMemosAndReadsThemBack) {
    TestApp();
    RecordingMessages messages;
    std::vector<FieldInfo> fields = {{QStringLiteral("назва_фактору"), FieldType::Memo, 0},
                                     {QStringLiteral("мин"), FieldType::WideString, 4}};
    QTimer act;
    act.setSingleShot(true);
    QObject::connect(&act, &QTimer::timeout, [] {
        TFormDialog& dialog = FormDialog();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Редагування запису"));
        auto* memo = qobject_cast<QPlainTextEdit*>(dialog.Field(QStringLiteral("B1")));
        auto* edit = qobject_cast<QLineEdit*>(dialog.Field(QStringLiteral("B2")));
        ASSERT_NE(memo, nullptr);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(memo->toPlainText(), QStringLiteral("а\nб"));
        EXPECT_EQ(edit->maxLength(), 4);
        memo->setPlainText(QStringLiteral("в\nг\nд"));
        edit->setText(QStringLiteral("0.75"));
        QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
    });
    act.start(0);
    DialogRefsInput input;
    const std::optional<QStringList> values =
        input.ask(QStringLiteral("Редагування запису"), fields,
                  QStringList({QStringLiteral("а\rб"), QStringLiteral("0.8")}));
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(*values, QStringList({QStringLiteral("в\rг\rд"), QStringLiteral("0.75")}));
}
