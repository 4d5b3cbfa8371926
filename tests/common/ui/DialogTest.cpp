#include "common/ui/Dialog.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
const QString kTitle = QStringLiteral("Попередження");

/** Adds a one-line edit with the usual flags. */
QLineEdit* addEdit(TFormDialog& d, const QString& name, const QString& value, bool required,
                   bool nonZero = false, bool nonNegative = false, bool enabled = true) {
    return qobject_cast<QLineEdit*>(d.AddField(FieldEdit, name, false, false, 100, enabled,
                                               required, value, name, nonZero, nonNegative));
}
} // namespace

TEST(TFormDialog, RequiredEmptyEditKeepsTheDialogOpenWithTheBalloonAtIt) {
    RecordingMessages messages;
    TFormDialog d;
    d.SetTitle(QStringLiteral("Додавання запису"));
    addEdit(d, QStringLiteral("B1"), QStringLiteral("x"), true);
    QLineEdit* empty = addEdit(d, QStringLiteral("B2"), QString(), true);
    d.ArrangeFields();
    d.show();
    QTest::mouseClick(d.SaveButton(), Qt::LeftButton);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.result(), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().kind, QStringLiteral("balloon"));
    EXPECT_EQ(messages.last().caption, kTitle);
    EXPECT_EQ(messages.last().text, QStringLiteral("Поле повинно мати значення."));
    EXPECT_EQ(messages.last().balloonKind, 2);
    EXPECT_EQ(messages.last().control, empty);
    EXPECT_EQ(d.focusWidget(), empty);

    empty->setText(QStringLiteral("y"));
    QTest::mouseClick(d.SaveButton(), Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST(TFormDialog, DisabledAndCancelledFieldsAreNotChecked) {
    RecordingMessages messages;
    TFormDialog d;
    addEdit(d, QStringLiteral("B1"), QString(), true, true, true, false);
    d.show();
    QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_TRUE(d.ValidateFields());
    EXPECT_TRUE(messages.messages.empty());
}

TEST(TFormDialog, NumberChecksComeAfterTheRequiredOnes) {
    RecordingMessages messages;
    TFormDialog d;
    QLineEdit* negative = addEdit(d, QStringLiteral("N"), QStringLiteral("-1"), false, false, true);
    QLineEdit* zero = addEdit(d, QStringLiteral("Z"), QStringLiteral("0.00"), false, true);
    QLineEdit* required = addEdit(d, QStringLiteral("R"), QString(), true);
    EXPECT_FALSE(d.ValidateFields());
    EXPECT_EQ(messages.last().control, required);
    required->setText(QStringLiteral("a"));
    EXPECT_FALSE(d.ValidateFields());
    EXPECT_EQ(messages.last().text, QStringLiteral("Значення поля не може бути рівним 0."));
    EXPECT_EQ(messages.last().control, zero);
    zero->setText(QStringLiteral("0.5"));
    EXPECT_FALSE(d.ValidateFields());
    EXPECT_EQ(messages.last().text, QStringLiteral("Значення поля не може бути менше 0."));
    EXPECT_EQ(messages.last().control, negative);
    negative->setText(QStringLiteral("0"));
    EXPECT_TRUE(d.ValidateFields());
}

TEST(TFormDialog, DropDownListsMustHoldAChoice) {
    RecordingMessages messages;
    TFormDialog d;
    auto* combo =
        qobject_cast<QComboBox*>(d.AddField(FieldCombo, QStringLiteral("Грунт"), false, false, 120,
                                            true, true, QString(), QStringLiteral("B1"), true));
    ASSERT_NE(combo, nullptr);
    combo->addItems({QStringLiteral("53 - чорнозем"), QStringLiteral("54 - лучний")});
    combo->setEditText(QStringLiteral("55"));
    EXPECT_FALSE(d.ValidateFields());
    EXPECT_EQ(messages.last().text, QStringLiteral("Значення поля повинно бути вибрано з списку."));
    combo->setCurrentIndex(1);
    EXPECT_TRUE(d.ValidateFields());

    TFormDialog free;
    auto* optional =
        qobject_cast<QComboBox*>(free.AddField(FieldCombo, QStringLiteral("Рік"), false, false, 80,
                                               true, false, QString(), QStringLiteral("B1"), true));
    ASSERT_NE(optional, nullptr);
    EXPECT_FALSE(free.ValidateFields());
    EXPECT_EQ(messages.last().text, QStringLiteral("Поле не має значення."));
}

TEST(TFormDialog, FileToOpenMustExistForEveryName) {
    RecordingMessages messages;
    QTemporaryDir dir;
    const QString present = dir.filePath(QStringLiteral("райони.tab"));
    WriteTextFile(present, QStringLiteral("!table"));
    const QString missing = dir.filePath(QStringLiteral("зони.tab"));
    TFormDialog d;
    auto* edit = qobject_cast<QLineEdit*>(d.AddField(FieldOpenFile, QStringLiteral("Файл"), false,
                                                     false, 200, true, false, QString(),
                                                     QStringLiteral("EFile"), true));
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(d.ValidateFields());
    EXPECT_EQ(messages.last().text, QStringLiteral("Файл не вибрано."));
    edit->setText(present + u';' + missing);
    EXPECT_FALSE(d.ValidateFields());
    EXPECT_EQ(messages.last().text,
              QStringLiteral("Файл не існує:\r\"") + missing + QStringLiteral("\"."));
    edit->setText(present);
    EXPECT_TRUE(d.ValidateFields());
}

TEST(TFormDialog, FileToSaveNeedsAFolderAndAsksBeforeOverwriting) {
    RecordingMessages messages;
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("звіт.docx"));
    WriteTextFile(existing, QStringLiteral("x"));
    TFormDialog d;
    auto* edit = qobject_cast<QLineEdit*>(
        d.AddField(FieldSaveFile, QStringLiteral("Файл"), false, false, 200, true, false,
                   QStringLiteral("звіт.docx"), QStringLiteral("EFile"), true));
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(d.ValidateFields());
    EXPECT_EQ(messages.last().text, QStringLiteral("Шлях не вибрано."));
    edit->setText(existing);
    messages.clear();
    messages.answer({Answer::Cancel, Answer::Ok});
    EXPECT_FALSE(d.ValidateFields());
    ASSERT_EQ(messages.messages.size(), 1u); // the question, and no balloon after Cancel
    EXPECT_EQ(messages.last().text,
              QStringLiteral("Файл: \"") + existing + QStringLiteral("\" існує. Перезаписати?"));
    EXPECT_EQ(messages.askedButtons.back(), Answer::Ok | Answer::Cancel);
    EXPECT_TRUE(d.ValidateFields());
    edit->setText(dir.filePath(QStringLiteral("новий.docx")));
    EXPECT_TRUE(d.ValidateFields());
}

TEST(TFormDialog, TheFiftySecondFieldIsRefused) {
    RecordingMessages messages;
    TFormDialog d;
    for (int i = 1; i <= TFormDialog::MaxFields; ++i)
        ASSERT_NE(addEdit(d, QStringLiteral("B%1").arg(i), QString(), false), nullptr);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(addEdit(d, QStringLiteral("B52"), QString(), false), nullptr);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().kind, QStringLiteral("error"));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Створення діалогу"));
    EXPECT_EQ(messages.last().text, QStringLiteral("Перевищено кількість полів діалогу."));
    EXPECT_EQ(d.FieldCount(), TFormDialog::MaxFields);
    EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("B52")), nullptr);
}

TEST(TFormDialog, UnknownKindIsReportedAndNotAdded) {
    RecordingMessages messages;
    TFormDialog d;
    EXPECT_EQ(d.AddField(9, QStringLiteral("?"), false, false, 50, true, false, QString(),
                         QStringLiteral("B1")),
              nullptr);
    EXPECT_EQ(messages.last().caption, QStringLiteral("Створення діалогу"));
    EXPECT_EQ(d.FieldCount(), 0);
    EXPECT_EQ(d.findChild<QWidget*>(QStringLiteral("LABEL_B1")), nullptr);
}

TEST(TFormDialog, CtrlSSavesAndFiltersCleanTyping) {
    RecordingMessages messages;
    TFormDialog d;
    QLineEdit* number = addEdit(d, QStringLiteral("B1"), QString(), true);
    QLineEdit* time = addEdit(d, QStringLiteral("B2"), QString(), false);
    d.SetFieldFilter(QStringLiteral("B1"), FieldFilter::Number);
    d.SetFieldFilter(QStringLiteral("B2"), FieldFilter::Time);
    number->setText(QStringLiteral("1234567890123,123456"));
    EXPECT_EQ(number->text(), QStringLiteral("123456789012.1234"));
    time->setText(QStringLiteral("12:30 pm"));
    EXPECT_EQ(time->text(), QStringLiteral("12:30"));
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    QTest::keyClick(&d, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST(TFormDialog, ChosenFileFillsTheLinkedField) {
    TFormDialog d;
    d.AddField(FieldOpenFile, QStringLiteral("Відомість"), false, false, 200, true, false,
               QString(), QStringLiteral("EFrom"));
    auto* target = qobject_cast<QLineEdit*>(d.AddField(FieldSaveFile, QStringLiteral("Зберегти як"),
                                                       false, false, 200, true, false, QString(),
                                                       QStringLiteral("ETo")));
    d.SetFileFilter(QStringLiteral("Книги|*.xlsx;*.xls"), QStringLiteral("xlsx"), true);
    d.LinkField(QStringLiteral("EFrom"), QStringLiteral("ETo"));
    d.SetChosenFiles(QStringLiteral("EFrom"),
                     {QStringLiteral("/tmp/a/Склад земель.xls"), QStringLiteral("/tmp/a/b.xls")});
    EXPECT_EQ(qobject_cast<QLineEdit*>(d.Field(QStringLiteral("EFrom")))->text(),
              QStringLiteral("/tmp/a/Склад земель.xls;/tmp/a/b.xls"));
    EXPECT_EQ(target->text(), QStringLiteral("/tmp/a/Склад земель.xlsx"));
    EXPECT_EQ(FileDialogFilter(d.FileFilter()), QStringLiteral("Книги (*.xlsx *.xls)"));
    d.ClearFields();
    EXPECT_EQ(FileDialogFilter(d.FileFilter()), QStringLiteral("Усі файли (*.*)"));
}

TEST(TFormDialog, TabLeavesAMemoAndCtrlTabTypesATab) {
    RecordingMessages messages;
    TFormDialog d;
    auto* name = qobject_cast<QPlainTextEdit*>(d.AddField(FieldMemo, QStringLiteral("Назва"), false,
                                                          false, 200, true, false, QString(),
                                                          QStringLiteral("NAME")));
    QLineEdit* shortName = addEdit(d, QStringLiteral("SHORT"), QString(), false);
    ASSERT_TRUE(name);
    d.ArrangeFields();
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("Field"));
    QTest::keyClick(name, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClicks(name, QStringLiteral("x"));
    EXPECT_EQ(name->toPlainText(), QStringLiteral("Field\tx"));
    // Tab goes on to the short name, as in every other field.
    QTest::keyClick(name, Qt::Key_Tab);
    EXPECT_EQ(name->toPlainText(), QStringLiteral("Field\tx"));
    EXPECT_EQ(QApplication::focusWidget(), shortName);
}
