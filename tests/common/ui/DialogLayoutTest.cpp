#include "common/ui/Dialog.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
QLabel* labelOf(const TFormDialog& d, const QString& name) {
    return d.findChild<QLabel*>(QStringLiteral("LABEL_") + name);
}
} // namespace

TEST(TFormDialogLayout, RowsAndFieldsKeepTheirDistances) {
    RecordingMessages messages;
    TFormDialog d;
    QWidget* a = d.AddField(FieldEdit, QStringLiteral("назва"), false, false, 120, true, false,
                            QString(), QStringLiteral("B1"));
    QWidget* b = d.AddField(FieldOpenFile, QStringLiteral("файл"), false, true, 150, true, false,
                            QString(), QStringLiteral("B2"));
    QWidget* c = d.AddField(FieldEdit, QStringLiteral("од."), true, false, 40, true, false,
                            QString(), QStringLiteral("B3"));
    QLabel* la = labelOf(d, QStringLiteral("B1"));
    QLabel* lb = labelOf(d, QStringLiteral("B2"));
    QLabel* lc = labelOf(d, QStringLiteral("B3"));
    ASSERT_TRUE(la && lb && lc);
    EXPECT_EQ(la->pos(), QPoint(8, 8));
    EXPECT_EQ(a->x(), la->x() + la->width() + 8);
    EXPECT_EQ(a->y(), la->y() - 2);
    EXPECT_EQ(a->width(), 120);
    EXPECT_EQ(lb->pos(), QPoint(8, 8 + 25 + 8));
    auto* button = d.findChild<QToolButton*>(QStringLiteral("B2_BUTTON"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->x(), b->x() + b->width());
    EXPECT_EQ(button->height(), b->height());
    // The same row goes on 10 pixels right of the "..." button.
    EXPECT_EQ(lc->pos(), QPoint(button->x() + button->width() + 10, lb->y()));
    EXPECT_EQ(lb->styleSheet(), QStringLiteral("color: blue;"));
    EXPECT_TRUE(la->styleSheet().isEmpty());

    d.ArrangeFields();
    const int column = std::max(a->x(), b->x());
    EXPECT_EQ(a->x(), column);
    EXPECT_EQ(b->x(), column);
    EXPECT_EQ(button->x(), b->x() + b->width());
    EXPECT_EQ(lc->x(), button->x() + button->width() + 10);
    EXPECT_EQ(d.FieldArea()->width(), c->x() + c->width() + 12);
    EXPECT_GE(d.width(), 250);
}

TEST(TFormDialogLayout, ClearFieldsReturnsToTheFirstState) {
    RecordingMessages messages;
    TFormDialog d;
    d.AddField(FieldMemo, QStringLiteral("опис"), false, false, 350, true, false, QString(),
               QStringLiteral("B1"));
    d.SetFileFilter(QStringLiteral("Документи|*.docx"), QStringLiteral("docx"), true);
    d.SaveButton()->setVisible(false);
    d.ArrangeFields();
    d.ClearFields();
    EXPECT_EQ(d.FieldCount(), 0);
    EXPECT_EQ(d.findChild<QPlainTextEdit*>(QStringLiteral("B1")), nullptr);
    EXPECT_EQ(d.size(), QSize(350, 90));
    EXPECT_EQ(d.FileFilter(), QStringLiteral("Усі файли|*.*"));
    EXPECT_FALSE(d.SaveButton()->isHidden());
}

TEST(TFormDialogLayout, EveryKindMakesItsControl) {
    RecordingMessages messages;
    TFormDialog d;
    auto* date = qobject_cast<QDateEdit*>(
        d.AddField(FieldDate, QStringLiteral("дата"), false, false, 100, true, false,
                   QStringLiteral("01.02.2015"), QStringLiteral("D")));
    auto* check =
        qobject_cast<QCheckBox*>(d.AddField(FieldCheck, QStringLiteral("так"), false, false, 20,
                                            true, false, QStringLiteral("1"), QStringLiteral("C")));
    auto* colour = qobject_cast<QLineEdit*>(d.AddField(FieldColor, QStringLiteral("колір"), false,
                                                       false, 80, true, false,
                                                       QStringLiteral("255"), QStringLiteral("K")));
    auto* font =
        qobject_cast<QLineEdit*>(d.AddField(FieldFont, QStringLiteral("шрифт"), false, false, 120,
                                            true, false, QString(), QStringLiteral("F")));
    auto* memo = qobject_cast<QPlainTextEdit*>(
        d.AddField(FieldMemo, QStringLiteral("опис"), false, false, 300, true, false,
                   QStringLiteral("рядок 1\rрядок 2"), QStringLiteral("M")));
    QWidget* caption = d.AddField(FieldCaption,
                                  QStringLiteral("Довгий текст підказки, що не "
                                                 "вміщається в один рядок діалогу"),
                                  false, false, 120, true, false, QString(), QStringLiteral("T"));
    ASSERT_TRUE(date && check && colour && font && memo && caption);
    EXPECT_EQ(date->date(), QDate(2015, 2, 1));
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(colour->text(), QStringLiteral("#ff0000")); // a stored colour number, red
    EXPECT_EQ(font->text(), QStringLiteral("Приклад тексту"));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("рядок 1\nрядок 2"));
    EXPECT_EQ(memo->height(), 89);
    EXPECT_EQ(caption->width(), 120);
    EXPECT_GT(caption->height(), 25); // wrapped
    // The row below a memo starts below the memo, not inside it.
    EXPECT_GE(caption->y(), memo->y() + memo->height());
}

TEST(TFormDialogLayout, FocusGoesToTheFirstEnabledInputField) {
    RecordingMessages messages;
    TFormDialog d;
    d.AddField(FieldCaption, QStringLiteral("Увага"), false, false, 100, true, false, QString(),
               QStringLiteral("T"));
    d.AddField(FieldEdit, QStringLiteral("a"), false, false, 100, false, false, QString(),
               QStringLiteral("A"));
    QWidget* b = d.AddField(FieldEdit, QStringLiteral("b"), false, false, 100, true, false,
                            QString(), QStringLiteral("B"));
    d.ArrangeFields();
    d.show();
    d.activateWindow();
    EXPECT_EQ(d.focusWidget(), b);
    d.hide();

    TFormDialog none;
    none.AddField(FieldCaption, QStringLiteral("Лише текст"), false, false, 100, true, false,
                  QString(), QStringLiteral("T"));
    none.show();
    EXPECT_EQ(none.focusWidget(), none.SaveButton());
}
