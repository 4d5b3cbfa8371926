#include "gis/ui/PlaceValuePanel.h"

#include "common/EngineMessages.h"
#include "common/FileUtils.h"
#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "common/ui/ShellOpen.h"
#include "gis/PlotExtract.h"
#include "gis/PlotSource.h"
#include "map/Geometry.h"
#include "reports/OfficeJob.h"
#include "valuation/Formulas.h"
#include "valuation/LandUse.h"

#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <ogr_geometry.h>

PlaceValuePanel::PlaceValuePanel(SessionSource session, TransferSink transfer, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_session(std::move(session)), m_transfer(std::move(transfer)) {
    setObjectName(QStringLiteral("PlaceValuePanel"));
    setWindowTitle(QStringLiteral("Оцінка місця"));

    EUse = new QComboBox(this);
    EUse->setObjectName(QStringLiteral("EUse"));
    // The categories whose land carries a Кф; land for housing first, as by default.
    const LandUseCategory& residential = ResidentialLandUse();
    for (const LandUseCategory& c : LandUseCategories()) {
        const QString code = FunctionalCategories()[static_cast<size_t>(c.column - 1)].code;
        const QString text =
            QStringLiteral("%1 - %2 (Кф %3)").arg(code, c.name, valuation::Fixed(c.kf, 2));
        if (c.column == residential.column)
            EUse->insertItem(0, text, code);
        else
            EUse->addItem(text, code);
    }
    EUse->setCurrentIndex(0);
    const int thisYear = QDate::currentDate().year();
    EFromYear = new QSpinBox(this);
    EFromYear->setObjectName(QStringLiteral("EFromYear"));
    EFromYear->setRange(1995, 2200);
    EFromYear->setSpecialValueText(QStringLiteral("не вказано"));
    EFromYear->setMinimum(1995);
    EFromYear->setValue(1995);
    EToYear = new QSpinBox(this);
    EToYear->setObjectName(QStringLiteral("EToYear"));
    EToYear->setRange(1996, 2200);
    EToYear->setValue(thisYear);
    MemoValue = new QPlainTextEdit(this);
    MemoValue->setObjectName(QStringLiteral("MemoValue"));
    MemoValue->setReadOnly(true);
    MemoValue->setPlaceholderText(QStringLiteral("Клацніть на мапі місце, яке треба оцінити, або "
                                                 "оберіть файл ділянки."));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Використання:"), EUse);
    form->addRow(QStringLiteral("&Рік оцінки:"), EFromYear);
    form->addRow(QStringLiteral("Індексувати &до:"), EToYear);

    BPlot = new QPushButton(QStringLiteral("Ділянка з &файлу…"), this);
    BPlot->setObjectName(QStringLiteral("BPlot"));
    BTransfer = new QPushButton(QStringLiteral("Перенести в «Оцінка ділянок»"), this);
    BTransfer->setObjectName(QStringLiteral("BTransfer"));
    BTransfer->setEnabled(false);
    BExtract = new QPushButton(QStringLiteral("&Витяг…"), this);
    BExtract->setObjectName(QStringLiteral("BExtract"));
    BExtract->setToolTip(
        QStringLiteral("Витяг з нормативної грошової оцінки ділянки (.docx і PDF)"));
    BExtract->setEnabled(false);
    EPlot = new QComboBox(this);
    EPlot->setObjectName(QStringLiteral("EPlot"));
    EPlot->setToolTip(QStringLiteral("Ділянка кроку «Оцінка ділянок», у яку перенести місце"));
    for (int n = 1; n <= 3; ++n)
        EPlot->addItem(QStringLiteral("у ділянку №%1").arg(n), n);
    BClose = new QPushButton(QStringLiteral("Закрити"), this);
    BClose->setObjectName(QStringLiteral("BClose"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(BPlot, QDialogButtonBox::ActionRole);
    buttons->addButton(BTransfer, QDialogButtonBox::ActionRole);
    buttons->addButton(BExtract, QDialogButtonBox::ActionRole);
    buttons->addButton(BClose, QDialogButtonBox::RejectRole);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(EPlot);
    bottom->addWidget(buttons, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(MemoValue, 1);
    layout->addLayout(bottom);
    resize(520, 420);

    connect(EUse, &QComboBox::currentIndexChanged, this, &PlaceValuePanel::revalue);
    connect(EFromYear, &QSpinBox::valueChanged, this, &PlaceValuePanel::revalue);
    connect(EToYear, &QSpinBox::valueChanged, this, &PlaceValuePanel::revalue);
    connect(BPlot, &QPushButton::clicked, this, &PlaceValuePanel::BPlotClick);
    connect(BTransfer, &QPushButton::clicked, this, &PlaceValuePanel::BTransferClick);
    connect(BExtract, &QPushButton::clicked, this, &PlaceValuePanel::BExtractClick);
    connect(BClose, &QPushButton::clicked, this, &QDialog::close);
}

PlaceValuePanel::~PlaceValuePanel() = default;

PlaceOptions PlaceValuePanel::options() const {
    PlaceOptions o;
    o.use = EUse->currentData().toString();
    o.fromYear = EFromYear->value() == EFromYear->minimum() ? 0 : EFromYear->value();
    o.year = EToYear->value();
    return o;
}

bool PlaceValuePanel::readLayers(QString* error) {
    const PlaceSession session = m_session();
    if (session.folder.isEmpty() || !session.project) {
        *error = QStringLiteral("Оберіть населений пункт.");
        return false;
    }
    if (m_layersRead && m_layersFolder == session.folder)
        return true;
    auto layers = std::make_unique<PlaceLayers>();
    if (!layers->load(session.folder, error))
        return false;
    m_layers = std::move(layers);
    m_layersFolder = session.folder;
    m_layersRead = true;
    return true;
}

void PlaceValuePanel::valuePoint(const QPointF& point) {
    m_point = point;
    m_plotFile.clear();
    m_hasPlace = true;
    revalue();
}

bool PlaceValuePanel::valuePlotFile(const QString& path) {
    m_plotFile = path;
    m_hasPlace = true;
    revalue();
    return m_valued;
}

void PlaceValuePanel::revalue() {
    if (!m_hasPlace)
        return;
    WaitCursor wait;
    QString reason;
    bool valued = readLayers(&reason);
    const PlaceSession session = m_session();
    // The stored valuation is read at every valuation: a step may have stored since.
    PlaceSources sources;
    m_plotShape.reset();
    valued = valued && ReadPlaceSources(*session.project, session.catalogue, sources, &reason);
    if (valued && m_plotFile.isEmpty()) {
        valued = ValuePoint(*m_layers, sources, m_point, options(), m_valuation, &reason);
    } else if (valued) {
        std::unique_ptr<OGRGeometry> plot;
        QStringList notes;
        valued = ReadPlot(m_plotFile, QString(), m_layers->crsWkt(), plot, notes, &reason);
        if (valued) {
            OGRPoint centre;
            plot->Centroid(&centre);
            valued = ValuePlot(sources, m_layers->split(*plot), {centre.getX(), centre.getY()},
                               options(), m_valuation, &reason);
            m_valuation.notes = notes + m_valuation.notes;
            if (valued)
                m_plotShape = std::make_shared<const Geometry>(std::move(plot));
        }
    }
    showResult(valued, reason);
}

void PlaceValuePanel::showResult(bool valued, const QString& reason) {
    m_valued = valued;
    BTransfer->setEnabled(valued);
    BExtract->setEnabled(valued && m_valuation.plot && m_plotShape);
    MemoValue->setPlainText(valued ? PlaceValuationLines(m_valuation).join(u'\n') : reason);
}

void PlaceValuePanel::BPlotClick() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Ділянка"), QFileInfo(m_plotFile).absolutePath(),
        QStringLiteral("Векторні карти (*.shp *.gpkg *.geojson *.json *.kml *.kmz *.dxf *.tab "
                       "*.mif *.gml *.sqlite);;Усі файли (*)"));
    if (!path.isEmpty())
        valuePlotFile(path);
}

void PlaceValuePanel::BTransferClick() {
    if (!m_valued)
        return;
    const PlaceValuation& v = m_valuation;
    const PlaceFigures* place = &v.place;
    if (v.plot) {
        // The plots step values a plot in one district: its largest part stands for it.
        place = &v.parts.front();
        for (const PlaceFigures& part : v.parts)
            if (part.areaHa.toDouble() > place->areaHa.toDouble())
                place = &part;
        if (v.parts.size() > 1 &&
            AskConfirm(QStringLiteral("Ділянка має %1 частини з різними районами чи факторами; у "
                                      "«Оцінка ділянок» її буде оцінено за найбільшою "
                                      "(район %2, Км3 %3). Перенести?")
                           .arg(v.parts.size())
                           .arg(place->district, place->km3),
                       Answer::Yes | Answer::No) != Answer::Yes)
            return;
    }
    PlaceTransfer transfer;
    transfer.plot = EPlot->currentData().toInt();
    transfer.name = v.plot ? QFileInfo(m_plotFile).completeBaseName()
                           : QStringLiteral("Місце (%1; %2)")
                                 .arg(v.point.x(), 0, 'f', 1)
                                 .arg(v.point.y(), 0, 'f', 1);
    transfer.district = place->district;
    transfer.kf = v.kf;
    transfer.km3 = place->km3;
    transfer.areaHa = v.plot ? v.areaHa : QString();
    if (m_transfer)
        m_transfer(transfer);
}

void PlaceValuePanel::BExtractClick() {
    const QString start =
        m_extractFolder.isEmpty() ? QFileInfo(m_plotFile).absolutePath() : m_extractFolder;
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Папка для витягу"), start);
    if (folder.isEmpty())
        return;
    m_extractFolder = folder;
    const QStringList files = writeExtract(folder);
    if (!files.isEmpty() && OpenResultsEnabled())
        ShellOpen(files.back());
}

QStringList PlaceValuePanel::writeExtract(const QString& folder) {
    if (!m_valued || !m_valuation.plot || !m_plotShape)
        return {};
    WaitCursor wait;
    const PlaceSession session = m_session();
    ExtractRequisites requisites;
    requisites.settlement =
        session.name.isEmpty() ? QFileInfo(session.folder).fileName() : session.name;
    const PlaceOptions o = options();
    if (o.fromYear > 0)
        requisites.valuationYear = QString::number(o.fromYear);
    requisites.date = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    ExtractPlot plot;
    plot.shape = m_plotShape;
    plot.valuation = m_valuation;
    PlaceSources sources;
    QString error;
    // Zone labels carry the zones' values when the settlement can be read.
    const bool withSettlement =
        session.project && ReadPlaceSources(*session.project, nullptr, sources, nullptr);
    ExtractLayers layers;
    layers.place = m_layers.get();
    layers.zones = ReadZoneLayer(session.folder);
    const PrintedMap map =
        RenderExtractMap(layers, plot, withSettlement ? &sources.settlement : nullptr);
    QFile file(ExtractTemplatePath());
    const QString name = QFileInfo(m_plotFile).completeBaseName();
    if (!file.open(QIODevice::ReadOnly)) {
        ShowError(QStringLiteral("Витяг"),
                  QStringLiteral("Неможливо прочитати шаблон витягу %1: %2")
                      .arg(ExtractTemplatePath(), UkrainianEngineMessage(file.errorString())));
        return {};
    }
    if (!WriteExtract(file.readAll(), requisites, plot, &map, folder, name, &error)) {
        ShowError(QStringLiteral("Витяг"), error);
        return {};
    }
    const QDir dir(folder);
    return {dir.filePath(name + QStringLiteral(".docx")),
            dir.filePath(name + QStringLiteral(".pdf"))};
}
