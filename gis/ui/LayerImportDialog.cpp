#include "gis/ui/LayerImportDialog.h"

#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "gis/SettlementLayers.h"
#include "gis/ui/ChoiceDelegate.h"
#include "map/CoordinateSystems.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int PreviewRows = 10;

/** The question before writing a layer that does not tile: its first lines and how many more. */
QString TilingQuestion(const QString& layer, const QStringList& lines) {
    constexpr qsizetype Shown = 15;
    QStringList shown = lines.mid(0, Shown);
    if (lines.size() > Shown)
        shown << QStringLiteral("… і ще %1 (усі - у полі перевірки)").arg(lines.size() - Shown);
    return QStringLiteral("Шар «%1» не вкриває межі як слід:\r%2\rЗаписати його попри це?")
        .arg(layer, shown.join(u'\r'));
}

QString extentText(const MapRect& r) {
    if (r.isNull())
        return QStringLiteral("немає");
    return QStringLiteral("x %1 … %2, y %3 … %4")
        .arg(r.xMin, 0, 'f', 2)
        .arg(r.xMax, 0, 'f', 2)
        .arg(r.yMin, 0, 'f', 2)
        .arg(r.yMax, 0, 'f', 2);
}

} // namespace

LayerImportDialog::LayerImportDialog(const QString& settlementFolder, QWidget* parent)
    : QDialog(parent), m_folder(settlementFolder) {
    setWindowTitle(QStringLiteral("Імпорт шару"));
    setObjectName(QStringLiteral("LayerImportDialog"));
    m_settlementCrs = SettlementCrs(m_folder);

    fileEdit = new QLineEdit(this);
    fileEdit->setObjectName(QStringLiteral("fileEdit"));
    fileEdit->setReadOnly(true);
    fileButton = new QPushButton(QStringLiteral("Обрати…"), this);
    fileButton->setObjectName(QStringLiteral("fileButton"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit, 1);
    fileRow->addWidget(fileButton);

    sourceLayerBox = new QComboBox(this);
    sourceLayerBox->setObjectName(QStringLiteral("sourceLayerBox"));
    kindBox = new QComboBox(this);
    kindBox->setObjectName(QStringLiteral("kindBox"));
    for (const LayerKindInfo& kind : LayerKinds())
        kindBox->addItem(kind.kind == LayerKind::LocalFactor
                             ? QStringLiteral("лок (локальний фактор)")
                             : kind.word,
                         static_cast<int>(kind.kind));
    factorBox = new QSpinBox(this);
    factorBox->setObjectName(QStringLiteral("factorBox"));
    factorBox->setRange(1, 99);
    factorBox->setPrefix(QStringLiteral("фактор № "));
    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(kindBox, 1);
    kindRow->addWidget(factorBox);

    fieldsView = new QTableView(this);
    fieldsView->setObjectName(QStringLiteral("fieldsView"));
    fieldsView->setModel(&m_fieldChoices);
    fieldsView->setItemDelegateForColumn(
        FieldChoiceModel::Source, new ChoiceDelegate(FieldChoiceModel::ChoicesRole, fieldsView));
    fieldsView->verticalHeader()->hide();
    fieldsView->horizontalHeader()->setStretchLastSection(true);
    fieldsView->setEditTriggers(QAbstractItemView::AllEditTriggers);
    connect(&m_fieldChoices, &QAbstractItemModel::dataChanged, this,
            [this] { checkText->clear(); });

    crsLabel = new QLabel(QStringLiteral("Система координат населеного пункту:"), this);
    crsEdit = new QLineEdit(this);
    crsEdit->setObjectName(QStringLiteral("crsEdit"));
    crsEdit->setPlaceholderText(QStringLiteral("наприклад, EPSG:6384"));
    crsLabel->setBuddy(crsEdit);

    previewLabel = new QLabel(this);
    previewLabel->setObjectName(QStringLiteral("previewLabel"));
    previewLabel->setWordWrap(true);
    previewLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    previewView = new QTableView(this);
    previewView->setObjectName(QStringLiteral("previewView"));
    previewView->setModel(&m_preview);
    previewView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    checkText = new QPlainTextEdit(this);
    checkText->setObjectName(QStringLiteral("checkText"));
    checkText->setReadOnly(true);
    checkText->setPlaceholderText(
        QStringLiteral("«Перевірити» покаже, що буде зроблено і чи придатне джерело."));

    auto* form = new QFormLayout;
    auto* labelFile = new QLabel(QStringLiteral("&Файл:"), this);
    labelFile->setBuddy(fileButton);
    form->addRow(labelFile, fileRow);
    form->addRow(QStringLiteral("&Шар джерела:"), sourceLayerBox);
    auto* labelKind = new QLabel(QStringLiteral("&Вид шару:"), this);
    labelKind->setBuddy(kindBox);
    form->addRow(labelKind, kindRow);
    form->addRow(crsLabel, crsEdit);
    // The system is asked for only while the settlement's layers name none.
    const bool askCrs = m_settlementCrs.isEmpty();
    crsLabel->setVisible(askCrs);
    crsEdit->setVisible(askCrs);

    checkButton = new QPushButton(QStringLiteral("&Перевірити"), this);
    checkButton->setObjectName(QStringLiteral("checkButton"));
    importButton = new QPushButton(QStringLiteral("&Імпортувати"), this);
    importButton->setObjectName(QStringLiteral("importButton"));
    importButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Скасувати"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(checkButton, QDialogButtonBox::ActionRole);
    buttons->addButton(importButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancelButton, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(
        new QLabel(QStringLiteral("Поля, які читають кроки, і звідки їх брати:"), this));
    layout->addWidget(fieldsView, 1);
    layout->addWidget(new QLabel(QStringLiteral("Що є в джерелі:"), this));
    layout->addWidget(previewLabel);
    layout->addWidget(previewView, 2);
    layout->addWidget(checkText, 1);
    layout->addWidget(buttons);
    resize(760, 680);

    connect(fileButton, &QPushButton::clicked, this, &LayerImportDialog::chooseFile);
    connect(sourceLayerBox, &QComboBox::currentIndexChanged, this,
            &LayerImportDialog::sourceLayerChanged);
    connect(kindBox, &QComboBox::currentIndexChanged, this, &LayerImportDialog::kindChanged);
    connect(factorBox, &QSpinBox::valueChanged, this, [this] { checkText->clear(); });
    connect(checkButton, &QPushButton::clicked, this, &LayerImportDialog::checkClicked);
    connect(importButton, &QPushButton::clicked, this, &LayerImportDialog::importClicked);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    kindChanged();
}

bool LayerImportDialog::setSource(const QString& path) {
    QStringList names;
    QString error;
    {
        WaitCursor wait;
        if (!VectorSource::layerNames(path, names, &error)) {
            ShowError(error);
            return false;
        }
    }
    fileEdit->setText(QDir::toNativeSeparators(path));
    const QSignalBlocker block(sourceLayerBox);
    sourceLayerBox->clear();
    sourceLayerBox->addItems(names);
    sourceLayerBox->setEnabled(names.size() > 1);
    sourceLayerChanged();
    return true;
}

void LayerImportDialog::chooseFile() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Шар з іншої ГІС"), QFileInfo(fileEdit->text()).absolutePath(),
        QStringLiteral("Векторні карти (*.shp *.gpkg *.geojson *.json *.kml *.kmz *.dxf *.tab "
                       "*.mif *.gml *.sqlite);;Усі файли (*)"));
    if (!path.isEmpty())
        setSource(path);
}

void LayerImportDialog::sourceLayerChanged() {
    checkText->clear();
    m_summary = SourceSummary();
    if (!fileEdit->text().isEmpty()) {
        QString error;
        WaitCursor wait;
        if (!VectorSource::summarize(QDir::fromNativeSeparators(fileEdit->text()),
                                     sourceLayerBox->currentText(), PreviewRows, m_summary, &error))
            checkText->setPlainText(error);
    }
    if (!crsEdit->isHidden() && crsEdit->text().isEmpty() &&
        Crs::isMetricProjected(m_summary.crsWkt))
        crsEdit->setText(Crs::code(m_summary.crsWkt));
    showPreview();
    fillFieldChoices();
}

void LayerImportDialog::kindChanged() {
    factorBox->setEnabled(static_cast<LayerKind>(kindBox->currentData().toInt()) ==
                          LayerKind::LocalFactor);
    checkText->clear();
    fillFieldChoices();
}

void LayerImportDialog::fillFieldChoices() {
    m_fieldChoices.reset(LayerKindOf(static_cast<LayerKind>(kindBox->currentData().toInt())),
                         m_summary.fields);
    // The choosers stay open, so every choice is seen at once.
    for (int row = 0; row < m_fieldChoices.rowCount(); ++row)
        fieldsView->openPersistentEditor(m_fieldChoices.index(row, FieldChoiceModel::Source));
    fieldsView->resizeColumnsToContents();
    fieldsView->resizeRowsToContents();
    // Every field of the kind shows (three at most) without scrolling.
    int height = fieldsView->horizontalHeader()->height() + 2 * fieldsView->frameWidth();
    for (int row = 0; row < m_fieldChoices.rowCount(); ++row)
        height += fieldsView->rowHeight(row);
    fieldsView->setMinimumHeight(height);
}

void LayerImportDialog::showPreview() {
    const SourceSummary& s = m_summary;
    m_preview.reset(s);
    if (s.layer.isEmpty()) {
        previewLabel->setText(QStringLiteral("Файл не обрано."));
        return;
    }
    previewLabel->setText(
        QStringLiteral("Об'єктів: %1; форми: %2.\nСистема координат: %3.\nПростір: %4.")
            .arg(s.featureCount)
            .arg(s.geometryType,
                 s.crsWkt.isEmpty() ? QStringLiteral("не вказана") : Crs::describe(s.crsWkt),
                 extentText(s.extent)));
    previewView->resizeColumnsToContents();
}

ImportRequest LayerImportDialog::request() const {
    ImportRequest r;
    r.folder = m_folder;
    r.source = QDir::fromNativeSeparators(fileEdit->text());
    r.layer = sourceLayerBox->currentText();
    r.target.kind = static_cast<LayerKind>(kindBox->currentData().toInt());
    r.target.factor = r.target.kind == LayerKind::LocalFactor ? factorBox->value() : 0;
    r.mapping = m_fieldChoices.mapping();
    if (!crsEdit->isHidden())
        r.crs = crsEdit->text();
    return r;
}

bool LayerImportDialog::check(ImportResult& result, SettlementTiling& tiling) {
    if (fileEdit->text().isEmpty()) {
        ShowWarning(QStringLiteral("Оберіть файл з шаром."));
        return false;
    }
    QString error;
    bool read = false;
    {
        WaitCursor wait;
        read = PrepareImport(request(), result, &error);
        if (read && result.ok())
            CheckImportTiling(m_folder, request().target, result.features, tiling);
    }
    if (!read) {
        checkText->setPlainText(error);
        return false;
    }
    QStringList lines = result.notes;
    for (const QString& w : result.warnings)
        lines << QStringLiteral("Увага: ") + w;
    for (const QString& r : result.refusals)
        lines << QStringLiteral("Відмова: ") + r;
    for (const QString& n : tiling.notes)
        lines << QStringLiteral("Примітка: ") + n;
    for (const QString& t : tiling.lines())
        lines << QStringLiteral("Покриття: ") + t;
    if (result.ok() && result.exists)
        lines << QStringLiteral("Шар «%1» уже є: його буде замінено після підтвердження.")
                     .arg(LayerFileBase(request().target));
    checkText->setPlainText(lines.join(u'\n'));
    return true;
}

void LayerImportDialog::checkClicked() {
    ImportResult result;
    SettlementTiling tiling;
    check(result, tiling);
}

void LayerImportDialog::importClicked() {
    ImportResult result;
    SettlementTiling tiling;
    if (!check(result, tiling))
        return;
    const QString layer = LayerFileBase(request().target);
    if (!result.ok()) {
        ShowWarning(
            QStringLiteral("Шар «%1» не імпортовано:\r%2").arg(layer, result.refusals.join(u'\r')));
        return;
    }
    if (!tiling.clean() &&
        AskConfirm(TilingQuestion(layer, tiling.lines()), Answer::Yes | Answer::No) != Answer::Yes)
        return;
    if (result.exists &&
        AskConfirm(QStringLiteral("Шар «%1» уже є. Замінити його? Старі файли буде скопійовано "
                                  "до автоматичних копій.")
                       .arg(layer),
                   Answer::Yes | Answer::No) != Answer::Yes)
        return;
    QString error, copied;
    bool written = false;
    {
        WaitCursor wait;
        written = WriteImport(result, result.exists, LayerCopiesFolder(m_folder), &copied, &error);
    }
    if (!written) {
        ShowError(QStringLiteral("Імпорт шару «%1».\rПомилка: %2").arg(layer, error));
        return;
    }
    m_written = result.path;
    if (!result.warnings.isEmpty())
        ShowWarning(
            QStringLiteral("Шар «%1» записано.\r%2").arg(layer, result.warnings.join(u'\r')));
    accept();
}
