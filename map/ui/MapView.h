#pragma once

#include "map/Layer.h"
#include "map/ui/MapControl.h"

#include <QStringList>
#include <QWidget>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QSplitter;
class QToolBar;
class QToolButton;
class QTreeWidget;

/**
 * The "Графіка" page: the map control, its tool bar, the layer list (checked = visible)
 * and the information list of the selected objects.
 */
class MapView : public QWidget {
    Q_OBJECT
public:
    /** The page over the session's map document (not owned). */
    explicit MapView(MapDocument& document, QWidget* parent = nullptr);

    MapDocument& map() { return Map1->map(); }

    /** The folder CreateLayer and EditLayersExternally work in. */
    void setSettlementFolder(const QString& folder) { m_folder = folder; }
    const QString& settlementFolder() const { return m_folder; }
    /** Where "Відкрити" starts the first time (the projects' folder). */
    void setOpenFolder(const QString& folder) { m_openFolder = folder; }
    /** The workspace file the external editor is given. */
    void setEditorWorkspace(const QString& path) { m_workspace = path; }
    /** While busy the information list is not refilled; it is refilled when busy ends. */
    void setBusy(bool busy);
    bool busy() const { return m_busy; }

    /** Removes every layer, and the unavailable ones from the list. */
    void removeAllLayers();
    Layer* AddLayer(const QString& path, bool visible);
    /**
     * Keeps a table that could not be opened in the layer list, where it would have been,
     * greyed and marked as unavailable, with the reason as its tooltip.
     */
    void addUnavailableLayer(const QString& path, const QString& reason);
    /** The caption of an unavailable layer's row. */
    static QString unavailableCaption(const QString& layerName);
    Layer* CreateLayer(const QString& name);
    /** Opens the layers' files through the shell; false after showing what did not open. */
    bool EditLayersExternally(const QStringList& names);
    void RefreshLayerList();

    /** The names the main window's map tab uses. */
    void addLayer(const QString& path, bool visible) { AddLayer(path, visible); }

    void refreshLayerList() { RefreshLayerList(); }

    /** Adds the files as visible layers; stops with a message at the first failure. */
    void openFiles(const QStringList& files);
    /** Shows a layer whole, or every layer for "(все)". */
    void showEntire(const QString& choice);

    MapControl* Map1;
    QToolBar* ToolBarCMD;
    QToolButton* CmdSelect;
    QToolButton* CmdRecenter;
    QToolButton* CmdZoomin;
    QToolButton* cmdZoomout;
    QToolButton* cmdEntire;
    QToolButton* cmdOpen;
    QToolButton* cmdEditor;
    /** Shows or hides the numbers of the zones and districts. */
    QToolButton* cmdLabels;
    QListWidget* ListMapLayers;
    QTreeWidget* ListMapValues;
    QSplitter* Splitter;

public slots:
    void CmdSelectClick();
    void CmdRecenterClick();
    void CmdZoominClick();
    void cmdZoomoutClick();
    void cmdEntireClick();
    void cmdOpenClick();
    void cmdEditorClick();
    void ListMapLayersClickCheck(QListWidgetItem* item);
    void Map1SelectionChanged();

private:
    QToolButton* addToolButton(const QString& name, const QString& text, const QString& hint,
                               bool checkable);
    void syncToolButtons();

    /** A layer that could not be opened and how many layers were below it then. */
    struct Unavailable {
        QString name;
        QString path;
        QString reason;
        int below = 0;
    };
    std::vector<Unavailable> m_unavailable;
    QString m_folder;
    QString m_openFolder;
    QString m_workspace;
    bool m_busy = false;
    bool m_refilling = false;
};
