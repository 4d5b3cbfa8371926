#include "map/ui/MapView.h"

#include "common/FileUtils.h"
#include "common/LastError.h"
#include "common/Messages.h"
#include "common/ui/ShellOpen.h"
#include "map/MapGlobal.h"
#include "map/ui/ViewEntireLayer.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

MapView::MapView(MapDocument& document, QWidget* parent) : QWidget(parent) {
    ToolBarCMD = new QToolBar(this);
    ToolBarCMD->setObjectName(QStringLiteral("ToolBarCMD"));
    ToolBarCMD->setToolButtonStyle(Qt::ToolButtonTextOnly);
    CmdSelect = addToolButton(QStringLiteral("CmdSelect"), QStringLiteral("Визначити"),
                              QStringLiteral("Визначити"), true);
    CmdRecenter = addToolButton(QStringLiteral("CmdRecenter"), QStringLiteral("Пересування"),
                                QStringLiteral("Пересування"), true);
    CmdZoomin = addToolButton(QStringLiteral("CmdZoomin"), QStringLiteral("Збільшити"),
                              QStringLiteral("Збільшити"), true);
    cmdZoomout = addToolButton(QStringLiteral("cmdZoomout"), QStringLiteral("Зменшити"),
                               QStringLiteral("Зменшити"), true);
    ToolBarCMD->addSeparator();
    cmdEntire = addToolButton(QStringLiteral("cmdEntire"), QStringLiteral("Весь шар"),
                              QStringLiteral("Показати шар повністю"), false);
    cmdOpen = addToolButton(QStringLiteral("cmdOpen"), QStringLiteral("Відкрити"),
                            QStringLiteral("Відкрити карту"), false);
    cmdEditor = addToolButton(QStringLiteral("cmdEditor"), QStringLiteral("Редактор"),
                              QStringLiteral("Відкрити шари у ГІС-редакторі"), false);
    ToolBarCMD->addSeparator();
    cmdLabels = addToolButton(QStringLiteral("cmdLabels"), QStringLiteral("Підписи"),
                              QStringLiteral("Показати номери зон і районів"), true);
    auto* tools = new QButtonGroup(this);
    tools->setExclusive(true);
    for (QToolButton* b : {CmdSelect, CmdRecenter, CmdZoomin, cmdZoomout})
        tools->addButton(b);
    CmdSelect->setChecked(true);

    Map1 = new MapControl(document, this);
    Map1->setObjectName(QStringLiteral("Map1"));
    SetNumericCoordSys(Map1->map());

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PanelTable"));
    auto* labelLayers = new QLabel(QStringLiteral(" Шари:"), panel);
    ListMapLayers = new QListWidget(panel);
    ListMapLayers->setObjectName(QStringLiteral("ListMapLayers"));
    labelLayers->setBuddy(ListMapLayers);
    auto* labelValues = new QLabel(QStringLiteral(" Інформація про об'єкт на мапі:"), panel);
    ListMapValues = new QTreeWidget(panel);
    ListMapValues->setObjectName(QStringLiteral("ListMapValues"));
    ListMapValues->setColumnCount(2);
    ListMapValues->setHeaderLabels({QStringLiteral("Поле"), QStringLiteral("Значення")});
    ListMapValues->setRootIsDecorated(true);
    ListMapValues->setIndentation(10);
    ListMapValues->header()->setStretchLastSection(true);
    labelValues->setBuddy(ListMapValues);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(labelLayers);
    panelLayout->addWidget(ListMapLayers, 1);
    panelLayout->addWidget(labelValues);
    panelLayout->addWidget(ListMapValues, 2);

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->addWidget(Map1);
    Splitter->addWidget(panel);
    Splitter->setStretchFactor(0, 1);
    Splitter->setStretchFactor(1, 0);
    Splitter->setSizes({600, 220});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ToolBarCMD);
    layout->addWidget(Splitter, 1);

    connect(CmdSelect, &QToolButton::clicked, this, &MapView::CmdSelectClick);
    connect(CmdRecenter, &QToolButton::clicked, this, &MapView::CmdRecenterClick);
    connect(CmdZoomin, &QToolButton::clicked, this, &MapView::CmdZoominClick);
    connect(cmdZoomout, &QToolButton::clicked, this, &MapView::cmdZoomoutClick);
    connect(cmdEntire, &QToolButton::clicked, this, &MapView::cmdEntireClick);
    connect(cmdOpen, &QToolButton::clicked, this, &MapView::cmdOpenClick);
    connect(cmdEditor, &QToolButton::clicked, this, &MapView::cmdEditorClick);
    cmdLabels->setChecked(Map1->showsLabels());
    connect(cmdLabels, &QToolButton::toggled, Map1, &MapControl::setShowLabels);
    connect(ListMapLayers, &QListWidget::itemChanged, this, &MapView::ListMapLayersClickCheck);
    connect(&map(), &MapDocument::selectionChanged, this, &MapView::Map1SelectionChanged);
    // A hidden layer or rewritten objects change what the list may show.
    connect(&map(), &MapDocument::layersChanged, this, &MapView::Map1SelectionChanged);
    connect(&map(), &MapDocument::toolChanged, this, &MapView::syncToolButtons);
    map().setCurrentTool(ToolSelect);
}

QToolButton* MapView::addToolButton(const QString& name, const QString& text, const QString& hint,
                                    bool checkable) {
    auto* b = new QToolButton(ToolBarCMD);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    ToolBarCMD->addWidget(b);
    return b;
}

void MapView::syncToolButtons() {
    switch (map().currentTool()) {
    case ToolPan:
        CmdRecenter->setChecked(true);
        break;
    case ToolZoomIn:
        CmdZoomin->setChecked(true);
        break;
    case ToolZoomOut:
        cmdZoomout->setChecked(true);
        break;
    default:
        CmdSelect->setChecked(true);
        break;
    }
}

void MapView::removeAllLayers() {
    map().removeAllLayers();
    m_unavailable.clear();
    ListMapValues->clear();
}

void MapView::addUnavailableLayer(const QString& path, const QString& reason) {
    m_unavailable.push_back({LayerNameOf(path), path, reason, map().layerCount()});
}

QString MapView::unavailableCaption(const QString& layerName) {
    return layerName + QStringLiteral(" (недоступний)");
}

Layer* MapView::AddLayer(const QString& path, bool visible) {
    const bool wasEmpty = map().layerCount() == 0;
    Layer* layer = ::AddLayer(map(), path, visible);
    // The first layer of an empty map (a settlement just chosen) is shown whole.
    if (layer && wasEmpty)
        ZoomToLayer(map(), *layer);
    return layer;
}

Layer* MapView::CreateLayer(const QString& name) {
    return ::CreateLayer(map(), m_folder, name);
}

bool MapView::EditLayersExternally(const QStringList& names) {
    const QStringList errors = ::EditLayersExternally(m_folder, names);
    ShowShellErrors(errors);
    return errors.isEmpty();
}

void MapView::RefreshLayerList() {
    m_refilling = true;
    ListMapLayers->clear();
    // From the bottom up: each unavailable layer sits above the layers that were below it.
    std::vector<QListWidgetItem*> rows;
    const int count = map().layerCount();
    for (int below = 0; below <= count; ++below) {
        for (const Unavailable& u : m_unavailable) {
            if (std::min(u.below, count) != below)
                continue;
            auto* item = new QListWidgetItem(unavailableCaption(u.name));
            item->setFlags(Qt::NoItemFlags);
            item->setData(Qt::UserRole, -1);
            item->setToolTip(QDir::toNativeSeparators(u.path) + QStringLiteral(": ") + u.reason);
            rows.push_back(item);
        }
        if (below == count)
            break;
        const int index = count - 1 - below;
        const Layer* layer = map().layerAt(index);
        auto* item = new QListWidgetItem(layer->name());
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(layer->visible() ? Qt::Checked : Qt::Unchecked);
        item->setData(Qt::UserRole, index);
        rows.push_back(item);
    }
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        ListMapLayers->addItem(*it);
    m_refilling = false;
}

void MapView::CmdSelectClick() {
    map().setCurrentTool(ToolSelect);
}
void MapView::CmdRecenterClick() {
    map().setCurrentTool(ToolPan);
}
void MapView::CmdZoominClick() {
    map().setCurrentTool(ToolZoomIn);
}
void MapView::cmdZoomoutClick() {
    map().setCurrentTool(ToolZoomOut);
}

void MapView::cmdEntireClick() {
    TFormViewEntireLayer form(LayerNames(map()), this);
    if (form.exec() == QDialog::Accepted)
        showEntire(form.chosen());
}

void MapView::showEntire(const QString& choice) {
    if (choice == TFormViewEntireLayer::allLayersEntry()) {
        ZoomToRectangle(map(), AllLayersBounds(map()));
        return;
    }
    if (const Layer* layer = GetLayer(map(), choice))
        ZoomToLayer(map(), *layer);
}

void MapView::cmdOpenClick() {
    const QStringList files =
        QFileDialog::getOpenFileNames(this, QStringLiteral("Відкрити карту"), m_openFolder,
                                      QStringLiteral("Mapinfo table (*.tab)"));
    if (files.isEmpty())
        return;
    m_openFolder = QFileInfo(files.first()).absolutePath();
    openFiles(files);
}

void MapView::openFiles(const QStringList& files) {
    const bool wasEmpty = map().layerCount() == 0;
    for (const QString& file : files) {
        if (!AddLayer(file, true)) {
            ShowError(QStringLiteral("Відкривання карти \"") + FileNameOf(file) +
                      QStringLiteral("\"\rПомилка: ") + LastError());
            break;
        }
    }
    // The first layers on an empty map are shown whole.
    if (wasEmpty && map().layerCount() > 0)
        ZoomToRectangle(map(), AllLayersBounds(map()));
    RefreshLayerList();
}

void MapView::cmdEditorClick() {
    WriteEditorWorkspace(map(), m_workspace); // a failed write still opens what is there
    ShellOpen(m_workspace);
}

void MapView::ListMapLayersClickCheck(QListWidgetItem* item) {
    if (m_refilling || !item)
        return;
    const int index = item->data(Qt::UserRole).toInt();
    if (index < 0)
        return; // an unavailable layer has nothing to show
    // The row remembers its layer, so two layers of one name are told apart.
    Layer* layer = map().layerAt(index);
    if (!layer || layer->name() != item->text())
        layer = GetLayer(map(), item->text());
    if (!layer) {
        ShowError(QStringLiteral("Шар \"%1\" не знайдено на мапі.").arg(item->text()));
        return;
    }
    layer->setVisible(item->checkState() == Qt::Checked);
}

void MapView::setBusy(bool busy) {
    const bool ended = m_busy && !busy;
    m_busy = busy;
    // What changed on the map while busy shows now, not at the next click.
    if (ended)
        Map1SelectionChanged();
}

void MapView::Map1SelectionChanged() {
    if (m_busy)
        return;
    ListMapValues->clear();
    // The fields of each layer under the layer's name: layers may share field names.
    QTreeWidgetItem* group = nullptr;
    for (const AttributeLine& line : SelectionAttributes(map())) {
        if (!group || group->text(0) != line.layer) {
            group = new QTreeWidgetItem(ListMapValues, {line.layer});
            group->setFirstColumnSpanned(true);
            QFont bold = group->font(0);
            bold.setBold(true);
            group->setFont(0, bold);
        }
        new QTreeWidgetItem(group, {line.field, line.value});
    }
    ListMapValues->expandAll();
}
