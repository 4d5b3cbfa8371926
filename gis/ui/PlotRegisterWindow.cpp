#include "gis/ui/PlotRegisterWindow.h"

#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "common/ui/LongWork.h"
#include "gis/LandTax.h"
#include "gis/PlotExtract.h"
#include "gis/PlotRegister.h"
#include "map/CoordinateSystems.h"
#include "map/MapDocument.h"
#include "map/TabFile.h"
#include "map/VectorSource.h"
#include "map/ui/MapView.h"
#include "valuation/Formulas.h"
#include "valuation/LandUse.h"
#include "valuation/PurposeBook.h"
#include "valuation/TaxRates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <ogr_geometry.h>

namespace {

/** How many lines of a list a message shows before "і ще N". */
constexpr int kListedLines = 10;

QString listed(const QStringList& lines) {
    QStringList shown = lines.mid(0, kListedLines);
    if (lines.size() > kListedLines)
        shown << QStringLiteral("і ще %1.").arg(lines.size() - kListedLines);
    return shown.join(u'\r');
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text,
                    const QString& hint) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    // Enter on the grid shows the plot; no button takes it.
    b->setAutoDefault(false);
    return b;
}

/** Brings forward the tab that holds the widget (the map view in the "Графіка" tab). */
void showTabOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget())
        for (QWidget* t = w->parentWidget(); t; t = t->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(t); tabs && tabs->indexOf(w) >= 0)
                tabs->setCurrentWidget(w);
}

} // namespace

PlotRegisterWindow::PlotRegisterWindow(PlaceValuePanel::SessionSource session, MapView* view,
                                       QWidget* parent)
    : QDialog(parent, Qt::Window), m_session(std::move(session)), m_view(view) {
    setObjectName(QStringLiteral("PlotRegisterWindow"));
    setWindowTitle(QStringLiteral("Реєстр ділянок"));

    BOpen = button(this, QStringLiteral("BOpen"), QStringLiteral("&Відкрити…"),
                   QStringLiteral("Векторні файли ділянок будь-якого формату або обмінні файли "
                                  "кадастру (.xml)"));
    BFolder = button(this, QStringLiteral("BFolder"), QStringLiteral("&Папка…"),
                     QStringLiteral("Усі обмінні файли кадастру (.xml) папки"));
    BFields = button(this, QStringLiteral("BFields"), QStringLiteral("П&оля…"),
                     QStringLiteral("Поля векторного файлу з кадастровим номером, кодом "
                                    "призначення, площею й адресою"));
    ECrs = new QLineEdit(this);
    ECrs->setObjectName(QStringLiteral("ECrs"));
    ECrs->setPlaceholderText(QStringLiteral("якщо джерело її не називає: EPSG:6384, WKT, PROJ"));
    EUse = new QComboBox(this);
    EUse->setObjectName(QStringLiteral("EUse"));
    EUse->addItem(QStringLiteral("за призначенням (довідник «призначення»)"), QString());
    for (const LandUseCategory& c : LandUseCategories()) {
        const QString code = FunctionalCategories()[static_cast<size_t>(c.column - 1)].code;
        EUse->addItem(
            QStringLiteral("усі як %1 - %2 (Кф %3)").arg(code, c.name, valuation::Fixed(c.kf, 2)),
            code);
    }
    EFromYear = new QSpinBox(this);
    EFromYear->setObjectName(QStringLiteral("EFromYear"));
    EFromYear->setRange(1995, 2200);
    EFromYear->setSpecialValueText(QStringLiteral("не вказано"));
    EFromYear->setValue(1995);
    EToYear = new QSpinBox(this);
    EToYear->setObjectName(QStringLiteral("EToYear"));
    EToYear->setRange(1996, 2200);
    EToYear->setValue(QDate::currentDate().year());
    CNotValued = new QCheckBox(QStringLiteral("лише &не оцінено"), this);
    CNotValued->setObjectName(QStringLiteral("CNotValued"));

    m_model = new RegisterTableModel(this);
    m_filter = new RegisterFilterModel(this);
    m_filter->setSourceModel(m_model);
    GridPlots = new QTableView(this);
    GridPlots->setObjectName(QStringLiteral("GridPlots"));
    GridPlots->setModel(m_filter);
    GridPlots->setSortingEnabled(true);
    GridPlots->sortByColumn(-1, Qt::AscendingOrder); // as read until a header is clicked
    GridPlots->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridPlots->setSelectionMode(QAbstractItemView::ExtendedSelection);
    GridPlots->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridPlots->setWordWrap(false);
    GridPlots->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    GridPlots->horizontalHeader()->setStretchLastSection(true);
    const int widths[RegisterColumnCount] = {190, 150, 100, 75, 50, 80, 100, 80, 110, 110, 300};
    for (int c = 0; c < RegisterColumnCount; ++c)
        GridPlots->setColumnWidth(c, widths[c]);
    GridPlots->installEventFilter(this);
    LabelSummary = new QLabel(QStringLiteral("Відкрийте джерела ділянок."), this);
    LabelSummary->setObjectName(QStringLiteral("LabelSummary"));
    LabelSummary->setWordWrap(true);

    BExtract = button(this, QStringLiteral("BExtract"), QStringLiteral("Ви&тяг…"),
                      QStringLiteral("Витяги виділених ділянок (.docx і PDF) у папку"));
    BSave = button(this, QStringLiteral("BSave"), QStringLiteral("&Зберегти реєстр…"),
                   QStringLiteral("Книга реєстру (.xlsx) або шар ділянок GeoPackage (Ctrl+S)"));
    BClose = button(this, QStringLiteral("BClose"), QStringLiteral("Закрити"), QString());

    auto* top = new QHBoxLayout;
    top->addWidget(BOpen);
    top->addWidget(BFolder);
    top->addWidget(BFields);
    top->addWidget(new QLabel(QStringLiteral("Система джерел:"), this));
    top->addWidget(ECrs, 1);
    auto* form = new QHBoxLayout;
    auto* useLabel = new QLabel(QStringLiteral("Ви&користання:"), this);
    useLabel->setBuddy(EUse);
    auto* fromLabel = new QLabel(QStringLiteral("&Рік оцінки:"), this);
    fromLabel->setBuddy(EFromYear);
    auto* toLabel = new QLabel(QStringLiteral("Індексувати &до:"), this);
    toLabel->setBuddy(EToYear);
    form->addWidget(useLabel);
    form->addWidget(EUse, 1);
    form->addWidget(fromLabel);
    form->addWidget(EFromYear);
    form->addWidget(toLabel);
    form->addWidget(EToYear);
    form->addWidget(CNotValued);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LabelSummary, 1);
    bottom->addWidget(BExtract);
    bottom->addWidget(BSave);
    bottom->addWidget(BClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(form);
    layout->addWidget(GridPlots, 1);
    layout->addLayout(bottom);
    resize(1100, 560);

    // The map follows the selection once it settles; a change of the years values again
    // once the valuer stops turning them.
    m_showTimer = new QTimer(this);
    m_showTimer->setSingleShot(true);
    m_showTimer->setInterval(150);
    m_revalueTimer = new QTimer(this);
    m_revalueTimer->setSingleShot(true);
    m_revalueTimer->setInterval(400);
    connect(m_showTimer, &QTimer::timeout, this, &PlotRegisterWindow::showSelectedOnMap);
    connect(m_revalueTimer, &QTimer::timeout, this, &PlotRegisterWindow::revalue);
    connect(GridPlots->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        updateButtons();
        m_showTimer->start();
    });
    connect(GridPlots, &QTableView::doubleClicked, this, &PlotRegisterWindow::showSelectedOnMap);
    connect(CNotValued, &QCheckBox::toggled, m_filter, &RegisterFilterModel::setNotValuedOnly);
    connect(EUse, &QComboBox::currentIndexChanged, this, &PlotRegisterWindow::revalue);
    connect(EFromYear, &QSpinBox::valueChanged, m_revalueTimer, qOverload<>(&QTimer::start));
    connect(EToYear, &QSpinBox::valueChanged, m_revalueTimer, qOverload<>(&QTimer::start));
    connect(BOpen, &QPushButton::clicked, this, &PlotRegisterWindow::BOpenClick);
    connect(BFolder, &QPushButton::clicked, this, &PlotRegisterWindow::BFolderClick);
    connect(BFields, &QPushButton::clicked, this, &PlotRegisterWindow::BFieldsClick);
    connect(BExtract, &QPushButton::clicked, this, &PlotRegisterWindow::BExtractClick);
    connect(BSave, &QPushButton::clicked, this, &PlotRegisterWindow::BSaveClick);
    connect(BClose, &QPushButton::clicked, this, &QDialog::close);
    auto* save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, &PlotRegisterWindow::BSaveClick);
    updateButtons();
}

PlotRegisterWindow::~PlotRegisterWindow() = default;

PlaceOptions PlotRegisterWindow::options() const {
    PlaceOptions o;
    o.use = EUse->currentData().toString();
    o.fromYear = EFromYear->value() == EFromYear->minimum() ? 0 : EFromYear->value();
    o.year = EToYear->value();
    return o;
}

void PlotRegisterWindow::updateButtons() {
    bool anyValued = false;
    for (int plot : selectedPlots())
        anyValued = anyValued || m_model->isValued(plot);
    BExtract->setEnabled(anyValued);
    BSave->setEnabled(m_model->rowCount() > 0);
}

std::vector<int> PlotRegisterWindow::selectedPlots() const {
    std::vector<int> plots;
    for (const QModelIndex& row : GridPlots->selectionModel()->selectedRows())
        plots.push_back(row.row());
    std::sort(plots.begin(), plots.end());
    for (int& p : plots)
        p = m_filter->plotOf(p);
    return plots;
}

QString PlotRegisterWindow::highlightPath() const {
    return m_temp.filePath(QStringLiteral("Ділянки реєстру.tab"));
}

bool PlotRegisterWindow::prepareInputs(QString* error) {
    const PlaceSession session = m_session();
    if (session.folder.isEmpty() || !session.project) {
        *error = QStringLiteral("Оберіть населений пункт.");
        return false;
    }
    if (!m_layers || m_layersFolder != session.folder) {
        auto layers = std::make_unique<PlaceLayers>();
        if (!layers->load(session.folder, error))
            return false;
        m_layers = std::move(layers);
        m_layersFolder = session.folder;
    }
    // The stored valuation is read at every run: a step may have stored since.
    m_placeSources = PlaceSources();
    return ReadPlaceSources(*session.project, session.catalogue, m_placeSources, error);
}

bool PlotRegisterWindow::openSources(const QStringList& sources) {
    if (sources.isEmpty())
        return false;
    return run(&sources);
}

bool PlotRegisterWindow::setPlotFields(const PlotFields& fields) {
    m_fields = fields;
    const QStringList sources = m_sources;
    return !sources.isEmpty() && run(&sources);
}

bool PlotRegisterWindow::revalue() {
    m_revalueTimer->stop();
    if (m_sources.isEmpty())
        return false;
    return run(nullptr);
}

bool PlotRegisterWindow::runOffThread(const QString& info, const std::function<void()>& work,
                                      const std::function<qint64()>& done,
                                      const std::function<qint64()>& total,
                                      RegisterProgress& progress) {
    LongWork longWork(info);
    const Progress step = m_progressHook ? m_progressHook : longWork.callback();
    // Asked once before the work begins, so a stop at once leaves everything undone.
    if (!step(done(), total()))
        progress.stop = true;
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->start();
    while (!thread->wait(QDeadlineTimer(25)))
        if (!progress.stop && !step(done(), total()))
            progress.stop = true;
    return !progress.stop;
}

bool PlotRegisterWindow::run(const QStringList* read) {
    // A timer may fire while the progress window lets events through: one run at a time.
    if (m_running)
        return false;
    m_running = true;
    const bool ran = runOnce(read);
    m_running = false;
    return ran;
}

bool PlotRegisterWindow::runOnce(const QStringList* read) {
    QString error;
    if (!prepareInputs(&error)) {
        ShowError(QStringLiteral("Реєстр ділянок"), error);
        return false;
    }
    const PlaceSession session = m_session();
    QString askedWkt;
    if (const QString crs = ECrs->text().trimmed(); !crs.isEmpty()) {
        QString reason;
        if (!Crs::parse(crs, &askedWkt, &reason)) {
            ShowError(
                QStringLiteral("Реєстр ділянок"),
                QStringLiteral("Систему координат \"%1\" не розпізнано: %2").arg(crs, reason));
            return false;
        }
    }
    // The catalogue's book of purposes gives each plot its category, its rates the land tax.
    auto purposes = std::make_shared<PurposeBook>();
    TaxRates rates;
    if (session.catalogue && (!LoadPurposeBook(*session.catalogue, *purposes, &error) ||
                              !LoadTaxRates(*session.catalogue, rates, &error))) {
        ShowError(QStringLiteral("Реєстр ділянок"), error);
        return false;
    }
    PurposeUse useOf;
    if (session.catalogue)
        useOf = [purposes](const QString& purpose, QString* why) {
            QString use;
            return UseForPurpose(*purposes, purpose, &use, why) ? use : QString();
        };
    const PlaceOptions o = options();
    const PlotSystems systems{m_layers->crsWkt(), askedWkt};
    std::vector<RegisterPlot> plots = read ? std::vector<RegisterPlot>() : m_read;
    std::vector<ValuedPlot> valued;
    RegisterProgress progress;
    std::atomic<bool> reading{read != nullptr};
    std::atomic<qint64> count{static_cast<qint64>(plots.size())};
    const bool finished = runOffThread(
        read ? QStringLiteral("Читання й оцінка ділянок...") : QStringLiteral("Оцінка ділянок..."),
        [&] {
            if (reading) {
                ReadPlotSources(*read, QString(), m_fields, systems, plots);
                count = static_cast<qint64>(plots.size());
                reading = false;
            }
            if (!progress.stop)
                ValueRegister(*m_layers, m_placeSources, plots, useOf, o, valued, &progress);
        },
        [&] { return reading ? qint64(0) : qint64(progress.done); },
        [&] { return reading ? qint64(0) : qint64(count); }, progress);
    if (read && plots.empty() && finished) {
        ShowWarning(QStringLiteral("У джерелах немає жодної ділянки."));
        return false;
    }
    if (valued.size() != plots.size()) { // stopped while reading: none is valued
        valued.assign(plots.size(), ValuedPlot());
        for (ValuedPlot& v : valued)
            v.reason = QStringLiteral("Оцінку зупинено.");
    }
    ApplyLandTax(rates, plots, valued);
    // What is shown from here on: the register before stays until the new one is whole.
    if (read)
        m_sources = *read;
    m_read = plots;
    m_folder = session.folder;
    RegisterData data;
    data.plots = std::move(plots);
    data.valued = std::move(valued);
    data.purposeName = [purposes](const QString& code) {
        const Purpose* found = purposes->find(code);
        return found ? found->name : QString();
    };
    m_model->setRegister(std::move(data));
    LabelSummary->setText(RegisterSummary(m_model->data()));
    updateButtons();
    if (!finished)
        ShowWarning(QStringLiteral("Оцінку зупинено: ділянки, до яких вона не дійшла, позначено "
                                   "«Оцінку зупинено»."));
    return finished;
}

void PlotRegisterWindow::showSelectedOnMap() {
    m_showTimer->stop();
    if (!m_view)
        return;
    const RegisterData& data = m_model->data();
    const std::vector<FieldDef> fields{{QStringLiteral("cadastral"), FieldKind::Char, 40}};
    auto names = std::make_shared<const QStringList>(QStringList{fields[0].name});
    FeatureList features;
    MapRect extent = MapRect::null();
    RegionStyle outline;
    outline.regionPattern = 1;            // the map under it stays seen
    outline.regionBorderColor = 0xE00000; // blue: the map keeps colours as 0xBBGGRR
    outline.regionBorderWidth = 3;
    for (int plot : selectedPlots()) {
        const RegisterPlot& p = data.plots[static_cast<size_t>(plot)];
        if (!p.geometry)
            continue;
        Feature f;
        f.setFields(names);
        f.setValueAt(0, p.cadastral);
        f.setGeometry(
            std::make_shared<const Geometry>(std::unique_ptr<OGRGeometry>(p.geometry->clone())));
        f.setRegionStyle(outline);
        extent = extent.united(f.bounds());
        features.push_back(std::move(f));
    }
    MapDocument& map = m_view->map();
    const QString path = highlightPath();
    Layer* layer = nullptr;
    for (int i = 0; i < map.layerCount(); ++i)
        if (map.layerAt(i)->filespec() == path)
            layer = map.layerAt(i);
    if (!layer && features.empty())
        return;
    QString error;
    bool shown = false;
    if (layer) {
        shown = layer->replaceAll(features, &error);
    } else {
        TableSpec table{fields, m_layers ? m_layers->crsWkt() : QString(), MapRect::null()};
        if (TabFile::write(path, table, features, true, &error)) {
            LayerInfo info;
            info.fileSpec = path;
            info.name = QFileInfo(path).completeBaseName();
            info.datasetName = info.name;
            shown = map.addLayer(info, 1, &error) != nullptr;
        }
    }
    if (!shown) {
        ShowError(QStringLiteral("Реєстр ділянок"),
                  QStringLiteral("Ділянки не показано на мапі: ") + error);
        return;
    }
    if (!extent.isNull()) {
        // The plots with some of their surroundings.
        const double margin = std::max({extent.width(), extent.height(), 100.0}) * 0.5;
        map.setBounds({extent.xMin - margin, extent.yMin - margin, extent.xMax + margin,
                       extent.yMax + margin});
    }
    map.notifyChanged();
    m_view->RefreshLayerList();
    showTabOf(m_view);
}

void PlotRegisterWindow::removeHighlight() {
    m_showTimer->stop();
    if (!m_view)
        return;
    MapDocument& map = m_view->map();
    for (int i = 0; i < map.layerCount(); ++i) {
        if (map.layerAt(i)->filespec() == highlightPath()) {
            map.removeLayer(map.layerAt(i));
            m_view->RefreshLayerList();
            return;
        }
    }
}

void PlotRegisterWindow::done(int result) {
    removeHighlight();
    QDialog::done(result);
}

void PlotRegisterWindow::settlementChanged(const QString& folder) {
    // The lists are refilled (no settlement for a moment) whenever the tree is refreshed; only
    // another settlement makes the register stale.
    if (m_model->rowCount() == 0 || folder.isEmpty() || folder == m_folder)
        return;
    // The plots were valued over another settlement: nothing of it stays shown.
    m_model->setRegister(RegisterData());
    m_read.clear();
    m_sources.clear();
    m_layers.reset();
    LabelSummary->setText(QStringLiteral("Населений пункт змінився: відкрийте джерела ділянок."));
    updateButtons();
}

int PlotRegisterWindow::writeExtracts(const QString& folder) {
    const RegisterData& data = m_model->data();
    std::vector<ExtractPlot> extracts;
    int notValued = 0;
    for (int plot : selectedPlots()) {
        const auto i = static_cast<size_t>(plot);
        if (data.valued[i].valued)
            extracts.push_back(ExtractPlotOf(data.plots[i], data.valued[i], data.purposeName));
        else
            ++notValued;
    }
    if (extracts.empty()) {
        ShowWarning(QStringLiteral("Виділіть у таблиці оцінені ділянки, витяги яких записати."));
        return 0;
    }
    const PlaceSession session = m_session();
    if (session.folder != m_folder) {
        ShowWarning(QStringLiteral("Оберіть населений пункт, над яким оцінено ділянки."));
        return 0;
    }
    if (const QString wrong = RegisterOutputProblem(folder, m_folder, {}); !wrong.isEmpty()) {
        ShowError(QStringLiteral("Витяг"), wrong);
        return 0;
    }
    ExtractRequisites requisites;
    requisites.settlement =
        session.name.isEmpty() ? QFileInfo(session.folder).fileName() : session.name;
    if (const int from = options().fromYear; from > 0)
        requisites.valuationYear = QString::number(from);
    requisites.date = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    const ExtractLayers layers{m_layers.get(), ReadZoneLayer(session.folder)};
    ExtractsResult result;
    QString error;
    bool written = false;
    {
        LongWork longWork(QStringLiteral("Витяги ділянок..."));
        const Progress step = m_progressHook ? m_progressHook : longWork.callback();
        written = WriteExtracts(
            ExtractTemplatePath(), requisites, layers, extracts, folder,
            [&step](int done, int total) { return step(done, total); }, result, &error,
            &m_placeSources.settlement);
    }
    if (!written) {
        ShowError(QStringLiteral("Витяг"), error);
        return 0;
    }
    QStringList lines{QStringLiteral("Витягів записано: %1 (%2).")
                          .arg(result.written)
                          .arg(QDir::toNativeSeparators(folder))};
    if (result.stopped)
        lines << QStringLiteral("Запис зупинено.");
    if (notValued > 0)
        lines << QStringLiteral("Не оцінених ділянок пропущено: %1.").arg(notValued);
    if (!result.failures.isEmpty())
        lines << listed(result.failures);
    if (result.stopped || notValued > 0 || !result.failures.isEmpty())
        ShowWarning(lines.join(u'\r'));
    else
        ShowInfo(lines.join(u'\r'));
    return result.written;
}

bool PlotRegisterWindow::saveRegister(const QString& path) {
    const RegisterData& data = m_model->data();
    if (data.plots.empty()) {
        ShowWarning(QStringLiteral("Спершу відкрийте джерела ділянок."));
        return false;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    QString error;
    if (suffix != QLatin1String("xlsx") && suffix != QLatin1String("gpkg"))
        error = QStringLiteral("Реєстр записується в книгу .xlsx або в GeoPackage .gpkg: \"%1\".")
                    .arg(QDir::toNativeSeparators(path));
    if (error.isEmpty())
        error = RegisterOutputProblem(path, m_folder, m_sources);
    bool written = false;
    if (error.isEmpty()) {
        WaitCursor wait;
        written = suffix == QLatin1String("xlsx")
                      ? WriteRegisterBook(path, data.plots, data.valued, data.purposeName, &error)
                      : WriteRegisterPackage(path, data.plots, data.valued,
                                             m_layers ? m_layers->crsWkt() : QString(), &error);
    }
    if (!written) {
        ShowError(QStringLiteral("Зберегти реєстр"), error);
        return false;
    }
    ShowInfo(QStringLiteral("Реєстр записано: «%1».").arg(QDir::toNativeSeparators(path)));
    return true;
}

void PlotRegisterWindow::BOpenClick() {
    const QStringList files = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Джерела ділянок"), QString(),
        QStringLiteral("Ділянки (*.xml *.shp *.gpkg *.geojson *.json *.kml *.kmz *.dxf *.tab "
                       "*.mif *.gml *.sqlite);;Обмінні файли кадастру (*.xml);;Усі файли (*)"));
    if (!files.isEmpty())
        openSources(files);
}

void PlotRegisterWindow::BFolderClick() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Папка обмінних файлів кадастру"));
    if (!folder.isEmpty())
        openSources({folder});
}

void PlotRegisterWindow::BFieldsClick() {
    // The fields offered are those of the first vector file among the sources.
    QString path;
    for (const QString& source : m_sources)
        if (path.isEmpty() && QFileInfo(source).isFile() && !IsExchangeFile(source))
            path = source;
    if (path.isEmpty()) {
        ShowWarning(QStringLiteral("Спершу відкрийте векторний файл ділянок кнопкою «Відкрити…»."));
        return;
    }
    SourceSummary summary;
    QString error;
    if (!VectorSource::summarize(path, QString(), 0, summary, &error)) {
        ShowError(QStringLiteral("Поля"), error);
        return;
    }
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Поля файлу «%1»").arg(QFileInfo(path).fileName()));
    auto* form = new QFormLayout(&dialog);
    const std::pair<QString, QString PlotFields::*> targets[] = {
        {QStringLiteral("&Кадастровий номер:"), &PlotFields::cadastral},
        {QStringLiteral("Код &призначення:"), &PlotFields::purpose},
        {QStringLiteral("&Площа, га:"), &PlotFields::area},
        {QStringLiteral("&Адреса:"), &PlotFields::address}};
    std::vector<QComboBox*> boxes;
    for (const auto& [caption, field] : targets) {
        auto* box = new QComboBox(&dialog);
        box->addItem(QStringLiteral("(за назвою поля)"), QString());
        for (const SourceField& f : summary.fields)
            box->addItem(f.name, f.name);
        box->setCurrentIndex(std::max(0, box->findData(m_fields.*field)));
        form->addRow(caption, box);
        boxes.push_back(box);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return;
    PlotFields chosen;
    for (size_t i = 0; i < boxes.size(); ++i)
        chosen.*targets[i].second = boxes[i]->currentData().toString();
    setPlotFields(chosen);
}

void PlotRegisterWindow::BExtractClick() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Папка для витягів"), m_extractFolder);
    if (folder.isEmpty())
        return;
    m_extractFolder = folder;
    writeExtracts(folder);
}

void PlotRegisterWindow::BSaveClick() {
    if (!BSave->isEnabled())
        return;
    const QString xlsx = QStringLiteral("Книга реєстру (*.xlsx)");
    const QString gpkg = QStringLiteral("Шар ділянок GeoPackage (*.gpkg)");
    QString filter = xlsx;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Зберегти реєстр"),
                                                QStringLiteral("Реєстр ділянок.xlsx"),
                                                xlsx + QStringLiteral(";;") + gpkg, &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter == gpkg ? QStringLiteral(".gpkg") : QStringLiteral(".xlsx");
    saveRegister(path);
}

bool PlotRegisterWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == GridPlots && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            showSelectedOnMap();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
