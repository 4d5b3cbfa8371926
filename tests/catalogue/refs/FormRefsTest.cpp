#include "catalogue/refs/FormRefs.h"

#include "catalogue/refs/RefsModel.h"
#include "common/ui/Dialog.h"
#include "tests/catalogue/refs/RefsTestData.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

class FormRefsTest : public RefsDbTest {
protected:
    void SetUp() override {
        RefsDbTest::SetUp();
        form.setInput(&input);
        form.show();
    }
    int gridRow() const { return form.DBGridValues->currentIndex().row(); }
    QStringList visibleItems() const {
        QStringList items;
        for (QAction* a : form.PopupMenuGrid->actions())
            if (a->isVisible())
                items << a->text();
        return items;
    }

    QApplication& application = TestApplication();
    TFormRefs form;
};

} // namespace

TEST_F(FormRefsTest, PanelShowsOnlyForATableNode) {
    EXPECT_FALSE(form.PanelRef->isVisible());
    ASSERT_TRUE(form.selectNode(QStringLiteral("кф")));
    EXPECT_TRUE(form.PanelRef->isVisible());
    EXPECT_EQ(form.model()->rowCount(), form.book().QueryValues().recordCount());
    EXPECT_EQ(gridRow(), 0);
    ASSERT_TRUE(form.selectNode(QStringLiteral("Загальні")));
    EXPECT_FALSE(form.PanelRef->isVisible());
}

TEST_F(FormRefsTest, HeadingPopupSortsWithAnArrowAndNoSortReturnsToIdOrder) {
    ASSERT_TRUE(form.selectNode(QStringLiteral("грунти")));
    form.PopupMenuGridPopup(false, 1);
    EXPECT_EQ(visibleItems().join(u','), QStringLiteral("Додати,Редагувати,Вилучити"));
    form.PopupMenuGridPopup(true, 2);
    EXPECT_EQ(visibleItems().join(u','),
              QStringLiteral("Сортувати за:,зростанням,спаданням,[немає]"));
    QHeaderView* header = form.DBGridValues->horizontalHeader();
    form.POPUP_SORT_DESC->trigger();
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_GE(form.model()->cell(0, 2), form.model()->cell(1, 2));
    form.POPUP_SORT_NONE->trigger();
    EXPECT_FALSE(header->isSortIndicatorShown());
    EXPECT_LT(form.model()->cell(0, 0).toInt(), form.model()->cell(1, 0).toInt());
}

TEST_F(FormRefsTest, ClickDoubleClickAndCopyFollowTheCurrentRow) {
    ASSERT_TRUE(form.selectNode(QStringLiteral("грунти")));
    const QRect cell = form.DBGridValues->visualRect(form.model()->index(1, 1));
    QTest::mouseClick(form.DBGridValues->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(form.book().QueryValues().recNo(), 2);
    input.answers = {QStringList({QStringLiteral("Ш"), QStringLiteral("Новий")})};
    QTest::mouseDClick(form.DBGridValues->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(input.titles, QStringList(QStringLiteral("Редагування запису")));
    EXPECT_EQ(form.model()->cell(1, 2), QStringLiteral("Новий"));
    EXPECT_EQ(gridRow(), 1);
    const int before = form.model()->rowCount();
    form.ACT_ADDCOPY->trigger();
    EXPECT_EQ(form.model()->rowCount(), before + 1);
    EXPECT_EQ(gridRow(), before); // the copy is current
}

TEST_F(FormRefsTest, SelectedRowIsLightBlueAndMemoColumnsAreNarrow) {
    ASSERT_TRUE(form.selectNode(QStringLiteral("локальні")));
    EXPECT_EQ(form.DBGridValues->columnWidth(1), 300); // memo
    for (int c = 0; c < form.model()->columnCount(); ++c)
        EXPECT_LE(form.DBGridValues->columnWidth(c), 300);
    const QImage image = form.DBGridValues->viewport()->grab().toImage();
    const auto pixel = [&](int row) {
        const QRect cell = form.DBGridValues->visualRect(form.model()->index(row, 3));
        return image.pixelColor(cell.right() - 2, cell.top() + 2);
    };
    EXPECT_EQ(pixel(0), RefsDelegate::selectedColor());
    EXPECT_NE(pixel(1), RefsDelegate::selectedColor());
}

TEST_F(FormRefsTest, TheWindowAsksAndShowsWhatTheBookTells) {
    form.setInput(nullptr); // the window's own questions
    ASSERT_TRUE(form.selectNode(QStringLiteral("грунти")));
    const int rows = form.model()->rowCount();
    messages.answer({Answer::Cancel});
    form.ACT_DELETE->trigger();
    EXPECT_EQ(form.model()->rowCount(), rows);
    ASSERT_EQ(messages.askedButtons.size(), 1u);
    EXPECT_EQ(messages.askedButtons.front(), Answer::Ok | Answer::Cancel);
    EXPECT_EQ(messages.last().text, QStringLiteral("Видалити поточний запис?"));

    form.ESearchText->setText(QStringLiteral("Немає такого"));
    form.BSearch->click();
    EXPECT_EQ(messages.last().kind, QStringLiteral("balloon"));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Пошук"));
    EXPECT_EQ(messages.last().text, QStringLiteral("\"немає такого\" не знайдено."));
    EXPECT_EQ(messages.last().control, form.ESearchText);

    execMain(QStringLiteral("CREATE TRIGGER no_insert BEFORE INSERT ON грунти BEGIN SELECT "
                            "RAISE(ABORT, 'no'); END"));
    form.ACT_ADDCOPY->trigger();
    EXPECT_EQ(messages.last().kind, QStringLiteral("error"));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Додавання нового запису"));
    EXPECT_EQ(form.model()->rowCount(), rows);
}

TEST(DialogRefsInputTest, BuildsEditsAndMemosAndReadsThemBack) {
    TestApplication();
    RecordingMessages messages;
    QTimer act;
    act.setSingleShot(true);
    QObject::connect(&act, &QTimer::timeout, [] {
        TFormDialog& dialog = FormDialog();
        auto* memo = qobject_cast<QPlainTextEdit*>(dialog.Field(QStringLiteral("B1")));
        auto* edit = qobject_cast<QLineEdit*>(dialog.Field(QStringLiteral("B2")));
        ASSERT_TRUE(memo && edit);
        EXPECT_EQ(memo->toPlainText(), QStringLiteral("а\nб"));
        EXPECT_EQ(edit->maxLength(), 4);
        memo->setPlainText(QStringLiteral("в\nг"));
        edit->setText(QStringLiteral("0.75"));
        QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
    });
    act.start(0);
    DialogRefsInput input;
    const std::optional<QStringList> values =
        input.ask(QStringLiteral("Редагування запису"),
                  {{QStringLiteral("опис"), FieldType::Memo, 0},
                   {QStringLiteral("мин"), FieldType::WideString, 4}},
                  {QStringLiteral("а\rб"), QStringLiteral("0.8")});
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(*values, QStringList({QStringLiteral("в\rг"), QStringLiteral("0.75")}));
}
