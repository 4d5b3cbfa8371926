#include "gis/ui/LayerImportDialog.h"

#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "gis/SettlementLayers.h"
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
#include <QTableWidget>
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

QString none() {
    return QStringLiteral("(немає)");
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

    EFile = new QLineEdit(this);
    EFile->setObjectName(QStringLiteral("EFile"));
    EFile->setReadOnly(true);
    BFile = new QPushButton(QStringLiteral("Обрати…"), this);
    BFile->setObjectName(QStringLiteral("BFile"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(EFile, 1);
    fileRow->addWidget(BFile);

    ESourceLayer = new QComboBox(this);
    ESourceLayer->setObjectName(QStringLiteral("ESourceLayer"));
    EKind = new QComboBox(this);
    EKind->setObjectName(QStringLiteral("EKind"));
    for (const LayerKindInfo& kind : LayerKinds())
        EKind->addItem(kind.kind == LayerKind::LocalFactor
                           ? QStringLiteral("лок (локальний фактор)")
                           : kind.word,
                       static_cast<int>(kind.kind));
    EFactor = new QSpinBox(this);
    EFactor->setObjectName(QStringLiteral("EFactor"));
    EFactor->setRange(1, 99);
    EFactor->setPrefix(QStringLiteral("фактор № "));
    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(EKind, 1);
    kindRow->addWidget(EFactor);

    GridFields = new QTableWidget(0, 3, this);
    GridFields->setObjectName(QStringLiteral("GridFields"));
    GridFields->setHorizontalHeaderLabels({QStringLiteral("Поле шару"),
                                           QStringLiteral("Що містить"),
                                           QStringLiteral("Поле джерела")});
    GridFields->verticalHeader()->hide();
    GridFields->horizontalHeader()->setStretchLastSection(true);
    GridFields->setEditTriggers(QAbstractItemView::NoEditTriggers);

    LabelCrs = new QLabel(QStringLiteral("Система координат населеного пункту:"), this);
    ECrs = new QLineEdit(this);
    ECrs->setObjectName(QStringLiteral("ECrs"));
    ECrs->setPlaceholderText(QStringLiteral("наприклад, EPSG:6384"));
    LabelCrs->setBuddy(ECrs);

    LabelPreview = new QLabel(this);
    LabelPreview->setObjectName(QStringLiteral("LabelPreview"));
    LabelPreview->setWordWrap(true);
    LabelPreview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    GridPreview = new QTableWidget(this);
    GridPreview->setObjectName(QStringLiteral("GridPreview"));
    GridPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MemoCheck = new QPlainTextEdit(this);
    MemoCheck->setObjectName(QStringLiteral("MemoCheck"));
    MemoCheck->setReadOnly(true);
    MemoCheck->setPlaceholderText(
        QStringLiteral("«Перевірити» покаже, що буде зроблено і чи придатне джерело."));

    auto* form = new QFormLayout;
    auto* labelFile = new QLabel(QStringLiteral("&Файл:"), this);
    labelFile->setBuddy(BFile);
    form->addRow(labelFile, fileRow);
    form->addRow(QStringLiteral("&Шар джерела:"), ESourceLayer);
    auto* labelKind = new QLabel(QStringLiteral("&Вид шару:"), this);
    labelKind->setBuddy(EKind);
    form->addRow(labelKind, kindRow);
    form->addRow(LabelCrs, ECrs);
    // The system is asked for only while the settlement's layers name none.
    const bool askCrs = m_settlementCrs.isEmpty();
    LabelCrs->setVisible(askCrs);
    ECrs->setVisible(askCrs);

    BCheck = new QPushButton(QStringLiteral("&Перевірити"), this);
    BCheck->setObjectName(QStringLiteral("BCheck"));
    BImport = new QPushButton(QStringLiteral("&Імпортувати"), this);
    BImport->setObjectName(QStringLiteral("BImport"));
    BImport->setDefault(true);
    BCancel = new QPushButton(QStringLiteral("Скасувати"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(BCheck, QDialogButtonBox::ActionRole);
    buttons->addButton(BImport, QDialogButtonBox::AcceptRole);
    buttons->addButton(BCancel, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(
        new QLabel(QStringLiteral("Поля, які читають кроки, і звідки їх брати:"), this));
    layout->addWidget(GridFields, 1);
    layout->addWidget(new QLabel(QStringLiteral("Що є в джерелі:"), this));
    layout->addWidget(LabelPreview);
    layout->addWidget(GridPreview, 2);
    layout->addWidget(MemoCheck, 1);
    layout->addWidget(buttons);
    resize(760, 680);

    connect(BFile, &QPushButton::clicked, this, &LayerImportDialog::BFileClick);
    connect(ESourceLayer, &QComboBox::currentIndexChanged, this,
            &LayerImportDialog::sourceLayerChanged);
    connect(EKind, &QComboBox::currentIndexChanged, this, &LayerImportDialog::kindChanged);
    connect(EFactor, &QSpinBox::valueChanged, this, [this] { MemoCheck->clear(); });
    connect(BCheck, &QPushButton::clicked, this, &LayerImportDialog::BCheckClick);
    connect(BImport, &QPushButton::clicked, this, &LayerImportDialog::BImportClick);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
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
    EFile->setText(QDir::toNativeSeparators(path));
    const QSignalBlocker block(ESourceLayer);
    ESourceLayer->clear();
    ESourceLayer->addItems(names);
    ESourceLayer->setEnabled(names.size() > 1);
    sourceLayerChanged();
    return true;
}

void LayerImportDialog::BFileClick() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Шар з іншої ГІС"), QFileInfo(EFile->text()).absolutePath(),
        QStringLiteral("Векторні карти (*.shp *.gpkg *.geojson *.json *.kml *.kmz *.dxf *.tab "
                       "*.mif *.gml *.sqlite);;Усі файли (*)"));
    if (!path.isEmpty())
        setSource(path);
}

void LayerImportDialog::sourceLayerChanged() {
    MemoCheck->clear();
    m_summary = SourceSummary();
    if (!EFile->text().isEmpty()) {
        QString error;
        WaitCursor wait;
        if (!VectorSource::summarize(QDir::fromNativeSeparators(EFile->text()),
                                     ESourceLayer->currentText(), PreviewRows, m_summary, &error))
            MemoCheck->setPlainText(error);
    }
    if (!ECrs->isHidden() && ECrs->text().isEmpty() && Crs::isMetricProjected(m_summary.crsWkt))
        ECrs->setText(Crs::code(m_summary.crsWkt));
    showPreview();
    fillFieldGrid();
}

void LayerImportDialog::kindChanged() {
    EFactor->setEnabled(static_cast<LayerKind>(EKind->currentData().toInt()) ==
                        LayerKind::LocalFactor);
    MemoCheck->clear();
    fillFieldGrid();
}

void LayerImportDialog::fillFieldGrid() {
    const LayerKindInfo& kind = LayerKindOf(static_cast<LayerKind>(EKind->currentData().toInt()));
    const FieldMapping guess = GuessFieldMapping(kind, m_summary.fields);
    GridFields->setRowCount(0); // the old rows' choosers go with them
    GridFields->setRowCount(static_cast<int>(kind.fields.size()));
    for (int row = 0; row < GridFields->rowCount(); ++row) {
        const TargetField& f = kind.fields[static_cast<size_t>(row)];
        GridFields->setItem(row, 0, new QTableWidgetItem(f.name));
        GridFields->setItem(
            row, 1,
            new QTableWidgetItem(f.required ? f.caption + QStringLiteral(" *") : f.caption));
        auto* combo = new QComboBox(GridFields);
        combo->addItem(none());
        for (const SourceField& s : m_summary.fields)
            combo->addItem(s.name);
        combo->setCurrentText(guess.at(f.name).isEmpty() ? none() : guess.at(f.name));
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { MemoCheck->clear(); });
        GridFields->setCellWidget(row, 2, combo);
    }
    GridFields->resizeColumnsToContents();
    GridFields->resizeRowsToContents();
    // Every field of the kind shows (three at most) without scrolling.
    int height = GridFields->horizontalHeader()->height() + 2 * GridFields->frameWidth();
    for (int row = 0; row < GridFields->rowCount(); ++row)
        height += GridFields->rowHeight(row);
    GridFields->setMinimumHeight(height);
}

void LayerImportDialog::showPreview() {
    const SourceSummary& s = m_summary;
    if (s.layer.isEmpty()) {
        LabelPreview->setText(QStringLiteral("Файл не обрано."));
        GridPreview->clear();
        GridPreview->setRowCount(0);
        GridPreview->setColumnCount(0);
        return;
    }
    LabelPreview->setText(
        QStringLiteral("Об'єктів: %1; форми: %2.\nСистема координат: %3.\nПростір: %4.")
            .arg(s.featureCount)
            .arg(s.geometryType,
                 s.crsWkt.isEmpty() ? QStringLiteral("не вказана") : Crs::describe(s.crsWkt),
                 extentText(s.extent)));
    GridPreview->clear();
    GridPreview->setColumnCount(static_cast<int>(s.fields.size()));
    QStringList headers;
    for (const SourceField& f : s.fields)
        headers << f.name;
    GridPreview->setHorizontalHeaderLabels(headers);
    GridPreview->setRowCount(static_cast<int>(s.firstRows.size()));
    for (int r = 0; r < GridPreview->rowCount(); ++r) {
        const QStringList& row = s.firstRows[static_cast<size_t>(r)];
        for (int c = 0; c < row.size() && c < GridPreview->columnCount(); ++c)
            GridPreview->setItem(r, c, new QTableWidgetItem(row[c]));
    }
    GridPreview->resizeColumnsToContents();
}

ImportRequest LayerImportDialog::request() const {
    ImportRequest r;
    r.folder = m_folder;
    r.source = QDir::fromNativeSeparators(EFile->text());
    r.layer = ESourceLayer->currentText();
    r.target.kind = static_cast<LayerKind>(EKind->currentData().toInt());
    r.target.factor = r.target.kind == LayerKind::LocalFactor ? EFactor->value() : 0;
    for (int row = 0; row < GridFields->rowCount(); ++row) {
        const auto* combo = qobject_cast<const QComboBox*>(GridFields->cellWidget(row, 2));
        const QString source =
            combo && combo->currentIndex() > 0 ? combo->currentText() : QString();
        r.mapping[GridFields->item(row, 0)->text()] = source;
    }
    if (!ECrs->isHidden())
        r.crs = ECrs->text();
    return r;
}

bool LayerImportDialog::check(ImportResult& result, SettlementTiling& tiling) {
    if (EFile->text().isEmpty()) {
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
        MemoCheck->setPlainText(error);
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
    MemoCheck->setPlainText(lines.join(u'\n'));
    return true;
}

void LayerImportDialog::BCheckClick() {
    ImportResult result;
    SettlementTiling tiling;
    check(result, tiling);
}

void LayerImportDialog::BImportClick() {
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
