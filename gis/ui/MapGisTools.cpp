#include "gis/ui/MapGisTools.h"

#include "common/Messages.h"
#include "gis/ui/LayerImportDialog.h"
#include "map/MapGlobal.h"
#include "map/MapView.h"

#include <QFileInfo>
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

MapGisTools::MapGisTools(MapView* view) : QObject(view), m_view(view) {
    QToolBar* bar = view->ToolBarCMD;
    bar->addSeparator();
    cmdImport = toolButton(bar, QStringLiteral("cmdImport"), QStringLiteral("Імпорт шару…"),
                           QStringLiteral("Зробити шар населеного пункту з карти іншої ГІС"));
    cmdExport =
        toolButton(bar, QStringLiteral("cmdExport"), QStringLiteral("Експорт у GeoPackage…"),
                   QStringLiteral("Записати всі шари й оцінку в один GeoPackage"));
    connect(cmdImport, &QToolButton::clicked, this, &MapGisTools::cmdImportClick);
}

void MapGisTools::cmdImportClick() {
    if (m_view->settlementFolder().isEmpty()) {
        ShowWarning(QStringLiteral("Оберіть населений пункт."));
        return;
    }
    LayerImportDialog dialog(m_view->settlementFolder(), m_view);
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
