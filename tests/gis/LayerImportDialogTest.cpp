#include "gis/ui/LayerImportDialog.h"
#include "gis/SettlementLayers.h"
#include "map/TabFile.h"
#include "tests/gis/SourceFiles.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

QString sourceField(const LayerImportDialog& dialog, int row) {
    return qobject_cast<QComboBox*>(dialog.GridFields->cellWidget(row, 2))->currentText();
}

void chooseKind(LayerImportDialog& dialog, const QString& word) {
    dialog.EKind->setCurrentIndex(dialog.EKind->findText(word, Qt::MatchStartsWith));
}

} // namespace

TEST(LayerImportDialog, ShowsTheSourceGuessesTheFieldsAndAsksBeforeReplacing) {
    TestApplication();
    RecordingMessages messages;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("село"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = dir.filePath(QStringLiteral("zones.gpkg"));
    WriteSourceFile(path, QStringLiteral("GPKG"), QStringLiteral("zones"),
                    QStringLiteral("EPSG:6384"),
                    {{QStringLiteral("ZONE_NO"), QStringLiteral("int")},
                     {QStringLiteral("PRICE"), QStringLiteral("real")}},
                    {{SquareWkt(0, 0, 10), {QStringLiteral("1"), QStringLiteral("150")}},
                     {SquareWkt(10, 0, 10), {QStringLiteral("2"), QStringLiteral("120")}}});

    LayerImportDialog dialog(folder);
    // The settlement names no system yet: the window asks for one, offering the source's.
    EXPECT_FALSE(dialog.ECrs->isHidden());
    ASSERT_TRUE(dialog.setSource(path));
    EXPECT_EQ(dialog.ECrs->text(), QStringLiteral("EPSG:6384"));
    EXPECT_TRUE(
        dialog.LabelPreview->text().contains(QStringLiteral("Об'єктів: 2; форми: полігони")))
        << dialog.LabelPreview->text().toStdString();
    EXPECT_EQ(dialog.GridPreview->rowCount(), 2);
    EXPECT_EQ(dialog.GridPreview->item(1, 1)->text(), QStringLiteral("120"));

    chooseKind(dialog, QStringLiteral("зони"));
    ASSERT_EQ(dialog.GridFields->rowCount(), 3);
    EXPECT_EQ(sourceField(dialog, 0), QStringLiteral("ZONE_NO"));
    EXPECT_EQ(sourceField(dialog, 1), QStringLiteral("PRICE"));
    EXPECT_EQ(sourceField(dialog, 2), QStringLiteral("(немає)"));
    EXPECT_FALSE(dialog.EFactor->isEnabled());

    QTest::mouseClick(dialog.BImport, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'\n').toStdString();
    const QString written = SettlementLayerPath(folder, QStringLiteral("зони"));
    EXPECT_EQ(dialog.writtenPath(), written);
    TableContent content;
    ASSERT_TRUE(TabFile::read(written, content, nullptr));
    EXPECT_EQ(content.features.size(), 2u);

    // A second import of the layer asks first; "Ні" keeps the old one.
    LayerImportDialog again(folder);
    EXPECT_TRUE(again.ECrs->isHidden());
    ASSERT_TRUE(again.setSource(path));
    chooseKind(again, QStringLiteral("зони"));
    qobject_cast<QComboBox*>(again.GridFields->cellWidget(1, 2))
        ->setCurrentText(QStringLiteral("(немає)"));
    QTest::mouseClick(again.BCheck, Qt::LeftButton);
    EXPECT_TRUE(again.MemoCheck->toPlainText().contains(QStringLiteral("буде замінено")));
    messages.answer({Answer::No});
    QTest::mouseClick(again.BImport, Qt::LeftButton);
    EXPECT_EQ(messages.texts(QStringLiteral("confirm")).size(), 1);
    EXPECT_NE(again.result(), QDialog::Accepted);
    ASSERT_TRUE(TabFile::read(written, content, nullptr));
    QString price;
    content.features[0].value(QStringLiteral("Cena_1m2"), &price);
    EXPECT_EQ(price, QStringLiteral("150"));
}

TEST(LayerImportDialog, RefusalsAreShownAndNothingIsWritten) {
    TestApplication();
    RecordingMessages messages;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("село"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = dir.filePath(QStringLiteral("points.gpkg"));
    WriteSourceFile(path, QStringLiteral("GPKG"), QStringLiteral("p"), QString(),
                    {{QStringLiteral("Raion"), QStringLiteral("int")}},
                    {{QStringLiteral("POINT (1 1)"), {QStringLiteral("1")}}});
    LayerImportDialog dialog(folder);
    ASSERT_TRUE(dialog.setSource(path));
    chooseKind(dialog, QStringLiteral("райони"));
    QTest::mouseClick(dialog.BImport, Qt::LeftButton);
    ASSERT_EQ(messages.texts(QStringLiteral("warning")).size(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(QStringLiteral("Шар «райони» не імпортовано:\r")));
    EXPECT_TRUE(dialog.MemoCheck->toPlainText().contains(QStringLiteral("Відмова: У джерелі немає "
                                                                        "жодного полігону")));
    EXPECT_FALSE(QFileInfo::exists(SettlementLayerPath(folder, QStringLiteral("райони"))));
    // A source that is no map is told at once.
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    WriteTextFile(text, QStringLiteral("не карта"));
    EXPECT_FALSE(dialog.setSource(text));
    EXPECT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
}
