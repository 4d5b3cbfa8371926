#pragma once

#include <QWidget>

/**
 * What the main window asks of its "Графіка" tab: the settlement's layers are removed and
 * added as the selection changes, and the layer list follows every refresh.
 */
class MapTab : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void removeAllLayers() {}
    /** Adds a table file as a layer; false with the reason in LastError(). */
    virtual bool addLayer(const QString& path, bool visible) {
        Q_UNUSED(path);
        Q_UNUSED(visible);
        return true;
    }
    /** Keeps a layer that could not be opened in the layer list, marked as unavailable. */
    virtual void addUnavailableLayer(const QString& path, const QString& reason) {
        Q_UNUSED(path);
        Q_UNUSED(reason);
    }
    virtual void refreshLayerList() {}
    /** While set, selection changes do not fill the attribute list. */
    virtual void setBusy(bool busy) { Q_UNUSED(busy); }
    /** The settlement whose folder new layers are created in ("" for none). */
    virtual void setSettlementFolder(const QString& folder) { Q_UNUSED(folder); }
    /** Opens the window of the register of plots over the selected settlement. */
    virtual void openPlotRegister() {}
};
