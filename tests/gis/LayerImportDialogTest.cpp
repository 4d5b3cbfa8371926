#include "gis/ui/LayerImportDialog.h"
#include "gis/SettlementLayers.h"
#include "map/TabFile.h"
#include "tests/gis/SourceFiles.h"
#include "tests/support/TestApplication.h"
#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

QString sourceField(LayerImportDialog& dialog, int row) {
    return dialog.fieldChoices().index(row, FieldChoiceModel::Source).data().toString();
}

void chooseKind(LayerImportDialog& dialog, const QString& word) {
    dialog.kindBox->setCurrentIndex(dialog.kindBox->findText(word, Qt::MatchStartsWith));
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
    EXPECT_FALSE(dialog.crsEdit->isHidden());
    ASSERT_TRUE(dialog.setSource(path));
    EXPECT_EQ(dialog.crsEdit->text(), QStringLiteral("EPSG:6384"));
    EXPECT_TRUE(
        dialog.previewLabel->text().contains(QStringLiteral("Об'єктів: 2; форми: полігони")))
        << dialog.previewLabel->text().toStdString();
    EXPECT_EQ(dialog.preview().rowCount(), 2);
    EXPECT_EQ(dialog.preview().index(1, 1).data().toString(), QStringLiteral("120"));

    chooseKind(dialog, QStringLiteral("зони"));
    ASSERT_EQ(dialog.fieldChoices().rowCount(), 3);
    EXPECT_EQ(sourceField(dialog, 0), QStringLiteral("ZONE_NO"));
    EXPECT_EQ(sourceField(dialog, 1), QStringLiteral("PRICE"));
    EXPECT_EQ(sourceField(dialog, 2), QStringLiteral("(немає)"));
    EXPECT_FALSE(dialog.factorBox->isEnabled());

    QTest::mouseClick(dialog.importButton, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'\n').toStdString();
    const QString written = SettlementLayerPath(folder, QStringLiteral("зони"));
    EXPECT_EQ(dialog.writtenPath(), written);
    TableContent content;
    ASSERT_TRUE(TabFile::read(written, content, nullptr));
    EXPECT_EQ(content.features.size(), 2u);

    // A second import of the layer asks first; "Ні" keeps the old one.
    LayerImportDialog again(folder);
    EXPECT_TRUE(again.crsEdit->isHidden());
    ASSERT_TRUE(again.setSource(path));
    chooseKind(again, QStringLiteral("зони"));
    // The chooser of the second field, as the valuer uses it (the former kind's are gone).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QList<QComboBox*> choosers = again.fieldsView->viewport()->findChildren<QComboBox*>();
    ASSERT_EQ(choosers.size(), 3);
    QComboBox* priceChooser = nullptr;
    for (QComboBox* c : choosers)
        if (c->currentText() == QStringLiteral("PRICE"))
            priceChooser = c;
    ASSERT_TRUE(priceChooser);
    priceChooser->setCurrentText(QStringLiteral("(немає)"));
    EXPECT_EQ(sourceField(again, 1), QStringLiteral("(немає)"));
    QTest::mouseClick(again.checkButton, Qt::LeftButton);
    EXPECT_TRUE(again.checkText->toPlainText().contains(QStringLiteral("буде замінено")));
    messages.answer({Answer::No});
    QTest::mouseClick(again.importButton, Qt::LeftButton);
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
    QTest::mouseClick(dialog.importButton, Qt::LeftButton);
    ASSERT_EQ(messages.texts(QStringLiteral("warning")).size(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(QStringLiteral("Шар «райони» не імпортовано:\r")));
    EXPECT_TRUE(dialog.checkText->toPlainText().contains(QStringLiteral("Відмова: У джерелі немає "
                                                                        "жодного полігону")));
    EXPECT_FALSE(QFileInfo::exists(SettlementLayerPath(folder, QStringLiteral("райони"))));
    // A source that is no map is told at once.
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    WriteTextFile(text, QStringLiteral("не карта"));
    EXPECT_FALSE(dialog.setSource(text));
    EXPECT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
}

TEST(FieldChoices, OnlyTheSourcesFieldsOrNoneCanBeChosenAndNoneMapsToNothing) {
    FieldChoiceModel model;
    model.reset(LayerKindOf(LayerKind::Zones),
                {SourceField{QStringLiteral("zona")}, SourceField{QStringLiteral("other")}});
    ASSERT_EQ(model.rowCount(), 3);
    const QModelIndex zone = model.index(0, FieldChoiceModel::Source);
    // The guess takes the same name, letter case ignored; a field without a match gets none.
    EXPECT_EQ(zone.data().toString(), QStringLiteral("zona"));
    EXPECT_EQ(model.index(2, FieldChoiceModel::Source).data().toString(),
              FieldChoiceModel::noField());
    EXPECT_TRUE(model.index(0, FieldChoiceModel::Holds).data().toString().endsWith(" *"));
    EXPECT_FALSE(model.flags(model.index(0, FieldChoiceModel::Field)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(zone) & Qt::ItemIsEditable);
    EXPECT_EQ(zone.data(FieldChoiceModel::ChoicesRole).toStringList(),
              (QStringList{FieldChoiceModel::noField(), "zona", "other"}));

    EXPECT_FALSE(model.setData(zone, QStringLiteral("not in the source")));
    EXPECT_FALSE(model.setData(model.index(0, FieldChoiceModel::Field), QStringLiteral("other")));
    EXPECT_TRUE(model.setData(zone, QStringLiteral("other")));
    EXPECT_EQ(model.mapping().at(model.index(0, 0).data().toString()), QStringLiteral("other"));
    EXPECT_TRUE(model.setData(zone, FieldChoiceModel::noField()));
    EXPECT_EQ(model.mapping().at(model.index(0, 0).data().toString()), QString());

    // Another source starts from its own guess.
    model.reset(LayerKindOf(LayerKind::Zones), {});
    EXPECT_EQ(model.index(0, FieldChoiceModel::Source).data().toString(),
              FieldChoiceModel::noField());
}
