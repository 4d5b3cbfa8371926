#include "gis/ui/MapGisTools.h"

#include "common/Messages.h"
#include "common/WaitCursor.h"
#include "gis/SettlementExport.h"
#include "gis/SettlementTiling.h"
#include "gis/ui/LayerImportDialog.h"
#include "gis/ui/PlotRegisterWindow.h"
#include "map/MapGlobal.h"
#include "map/ui/MapControl.h"
#include "map/ui/MapView.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

namespace {

QToolButton* toolButton(QToolBar* bar, const QString& name, const QString& text,
                        const QString& hint) {
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}

bool samePath(const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath().compare(QFileInfo(b).absoluteFilePath(),
                                                   Qt::CaseInsensitive) == 0;
}

} // namespace

MapGisTools::MapGisTools(MapView* view, PlaceValuePanel::SessionSource session,
                         PlaceValuePanel::TransferSink transfer)
    : QObject(view), m_view(view), m_session(std::move(session)), m_transfer(std::move(transfer)) {
    QToolBar* bar = view->ToolBarCMD;
    bar->addSeparator();
    cmdPlace = toolButton(bar, QStringLiteral("cmdPlace"), QStringLiteral("Оцінка місця"),
                          QStringLiteral("Вартість 1 м² у точці, яку клацнете на мапі"));
    cmdPlace->setCheckable(true);
    // One of the map's tools: the view's group keeps one of them pressed.
    if (auto* group = view->findChild<QButtonGroup*>())
        group->addButton(cmdPlace);
    cmdImport = toolButton(bar, QStringLiteral("cmdImport"), QStringLiteral("Імпорт шару…"),
                           QStringLiteral("Зробити шар населеного пункту з карти іншої ГІС"));
    cmdExport =
        toolButton(bar, QStringLiteral("cmdExport"), QStringLiteral("Експорт у GeoPackage…"),
                   QStringLiteral("Записати всі шари й оцінку в один GeoPackage"));
    connect(cmdImport, &QToolButton::clicked, this, &MapGisTools::cmdImportClick);
    connect(cmdExport, &QToolButton::clicked, this, &MapGisTools::cmdExportClick);
    connect(cmdPlace, &QToolButton::clicked, this, &MapGisTools::cmdPlaceClick);
    // The tiling check sits in the import button's menu: the tool bar has no room left at
    // the window's default width.
    auto* layerMenu = new QMenu(cmdImport);
    layerMenu->addAction(QStringLiteral("Імпорт шару…"), this, &MapGisTools::cmdImportClick);
    actTiling = layerMenu->addAction(QStringLiteral("Перевірити покриття шарів"), this,
                                     &MapGisTools::cmdTilingClick);
    actTiling->setObjectName(QStringLiteral("actTiling"));
    actTiling->setToolTip(QStringLiteral("Знайти перекриття, розриви районів і зон та вихід за "
                                         "межі населеного пункту й показати їх червоним"));
    cmdImport->setMenu(layerMenu);
    cmdImport->setPopupMode(QToolButton::MenuButtonPopup);
    connect(&view->map(), &MapDocument::toolChanged, this, &MapGisTools::toolChanged);
    connect(&view->map(), &MapDocument::layersChanged, this, [this] {
        if (m_panel)
            m_panel->layersChanged();
    });
    view->Map1->installEventFilter(this);
}

MapGisTools::~MapGisTools() = default;

QString MapGisTools::tilingLayerName() {
    return QStringLiteral("перевірка покриття");
}

PlaceValuePanel* MapGisTools::panel() {
    if (!m_panel)
        m_panel = new PlaceValuePanel(m_session, m_transfer, m_view);
    return m_panel;
}

PlotRegisterWindow* MapGisTools::openRegister() {
    if (!m_register) {
        // A window of its own above the program's, kept while the program runs.
        m_register = new PlotRegisterWindow(m_session, m_view, m_view->window());
    }
    m_register->show();
    m_register->raise();
    m_register->activateWindow();
    return m_register;
}

void MapGisTools::settlementChanged(const QString& folder) {
    if (m_register)
        m_register->settlementChanged(folder);
}

void MapGisTools::cmdPlaceClick() {
    m_view->map().setCurrentTool(ToolPlaceValue);
    panel()->show();
    panel()->raise();
}

void MapGisTools::toolChanged(int tool) {
    // The view presses its select button for a tool it does not know; ours comes back.
    if (tool == ToolPlaceValue) {
        cmdPlace->setChecked(true);
        m_view->Map1->setCursor(Qt::CrossCursor);
    }
}

bool MapGisTools::eventFilter(QObject* watched, QEvent* event) {
    const bool mouse_button =
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease;
    if (mouse_button && watched == m_view->Map1 && m_view->map().currentTool() == ToolPlaceValue) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
            m_pressed = mouse->position().toPoint();
        if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
            (mouse->position().toPoint() - m_pressed).manhattanLength() < 4) {
            panel()->show();
            panel()->raise();
            panel()->valuePoint(m_view->map().toMap(mouse->position()));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void MapGisTools::cmdExportClick() {
    const PlaceSession session = m_session();
    if (session.folder.isEmpty() || !session.project) {
        ShowWarning(QStringLiteral("Оберіть населений пункт."));
        return;
    }
    const QString path = QFileDialog::getSaveFileName(
        m_view, QStringLiteral("Експорт у GeoPackage"),
        QDir(session.folder)
            .filePath(QFileInfo(session.folder).fileName() + QStringLiteral(".gpkg")),
        QStringLiteral("GeoPackage (*.gpkg)"));
    if (path.isEmpty())
        return;
    ExportResult result;
    QString error;
    // The dialog asked before replacing a file; the settlement's own files are never replaced.
    if (CheckExportTarget(session.folder, path, true, &error) != ExportTargetProblem::None) {
        ShowError(QStringLiteral("Експорт у GeoPackage.\rПомилка: ") + error);
        return;
    }
    bool written = false;
    {
        WaitCursor wait;
        written = ExportSettlement(session.folder, *session.project, path, result, &error);
    }
    if (!written) {
        ShowError(QStringLiteral("Експорт у GeoPackage.\rПомилка: ") + error);
        return;
    }
    QString text =
        QStringLiteral("Записано «%1»: шари %2.")
            .arg(QDir::toNativeSeparators(path), result.layers.join(QStringLiteral(", ")));
    if (!result.warnings.isEmpty()) {
        ShowWarning(text + u'\r' + result.warnings.join(u'\r'));
        return;
    }
    ShowInfo(text);
}

void MapGisTools::cmdImportClick() {
    const QString folder = m_session().folder;
    if (folder.isEmpty()) {
        ShowWarning(QStringLiteral("Оберіть населений пункт."));
        return;
    }
    LayerImportDialog dialog(folder, m_view);
    if (dialog.exec() == QDialog::Accepted && !dialog.writtenPath().isEmpty())
        showLayer(dialog.writtenPath());
}

void MapGisTools::showLayer(const QString& path) {
    MapDocument& map = m_view->map();
    // A layer that was on the map is read again where it was.
    int position = 1;
    for (int i = 0; i < map.layerCount(); ++i) {
        if (samePath(map.layerAt(i)->filespec(), path)) {
            position = i + 1;
            map.removeLayer(map.layerAt(i));
            break;
        }
    }
    LayerInfo info;
    info.fileSpec = path;
    info.name = LayerNameOf(path);
    info.datasetName = info.name;
    QString error;
    if (!map.addLayer(info, position, &error))
        ShowError(QStringLiteral("Відкривання карти \"") + QFileInfo(path).fileName() +
                  QStringLiteral("\"\rПомилка: ") + error);
    m_view->RefreshLayerList();
}

void MapGisTools::cmdTilingClick() {
    const QString folder = m_session().folder;
    if (folder.isEmpty()) {
        ShowWarning(QStringLiteral("Оберіть населений пункт."));
        return;
    }
    SettlementTiling tiling;
    {
        WaitCursor wait;
        CheckSettlementTiling(folder, tiling);
    }
    showTiling(tiling);
    QStringList lines = tiling.lines();
    if (tiling.clean()) {
        ShowInfo((QStringList{QStringLiteral("Райони, зони й функціональні зони лежать у межах "
                                             "населеного пункту без перекриттів і розривів.")} +
                  tiling.notes)
                     .join(u'\r'));
        return;
    }
    constexpr qsizetype Shown = 20;
    const qsizetype all = lines.size();
    if (all > Shown) {
        lines = lines.mid(0, Shown);
        lines << QStringLiteral("… і ще %1 (усі - у шарі «%2», поле Opys)")
                     .arg(all - Shown)
                     .arg(tilingLayerName());
    }
    ShowWarning(QStringLiteral("Шари не вкривають межі як слід (на мапі - червоним):\r") +
                (lines + tiling.notes).join(u'\r'));
}

void MapGisTools::showTiling(const SettlementTiling& tiling) {
    MapDocument& map = m_view->map();
    for (int i = map.layerCount() - 1; i >= 0; --i)
        if (map.layerAt(i)->name() == tilingLayerName())
            map.removeLayer(map.layerAt(i));
    if (!tiling.findings.empty()) {
        if (!m_tilingDir)
            m_tilingDir = std::make_unique<QTemporaryDir>();
        const QString field = QStringLiteral("Opys");
        QString error;
        Layer* layer =
            map.addNewTable(m_tilingDir->filePath(QStringLiteral("tiling.tab")), tilingLayerName(),
                            {FieldDef{field, FieldKind::Char, 254}}, true, QString(), &error);
        FeatureList pieces;
        RegionStyle red;
        red.regionColor = 0x0000FF; // red in the lowest byte
        red.regionPattern = 2;
        red.regionBorderColor = 0x0000FF;
        red.regionBorderWidth = 3;
        for (const TilingLine& finding : tiling.findings) {
            if (!layer || !finding.piece)
                continue;
            Feature f = layer->newFeature();
            f.setGeometry(finding.piece);
            // The table's code page has no "²".
            f.setValue(field, QString(finding.text)
                                  .replace(QStringLiteral("м²"), QStringLiteral("кв. м"))
                                  .left(254));
            f.setRegionStyle(red);
            pieces.push_back(f);
        }
        if (!layer || !layer->replaceAll(pieces, &error))
            ShowError(QStringLiteral("Показ перевірки покриття.\rПомилка: ") + error);
    }
    m_view->RefreshLayerList();
}
