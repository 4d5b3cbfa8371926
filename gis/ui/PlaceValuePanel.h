#pragma once

#include "gis/PlaceValue.h"
#include "map/Geometry.h"

#include <QDialog>
#include <functional>
#include <memory>

class Connection;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

/** What the panel reaches of the session: the settlement's folder and databases. */
struct PlaceSession {
    QString folder;
    Connection* project = nullptr;
    Connection* catalogue = nullptr;
    /** The settlement's name as the catalogue shows it ("" takes its folder's name). */
    QString name;
};

/** What "Перенести в «Оцінка ділянок»" hands to the plots step. */
struct PlaceTransfer {
    int plot = 1; ///< which of the step's plots (1 to 3)
    QString name;
    QString district;
    QString kf;
    QString km3;
    QString areaHa; ///< "" for a point
};

/**
 * "Оцінка місця": the value of 1 m² at a point clicked on the map, or of a plot read from a
 * file, for a land use and indexed to a year; "Перенести в «Оцінка ділянок»" hands the place
 * to the plots step; "Витяг" writes the extract of a plot (.docx and PDF). A tool window
 * beside the map that stays open while the valuer clicks.
 */
class PlaceValuePanel : public QDialog {
    Q_OBJECT
public:
    using SessionSource = std::function<PlaceSession()>;
    using TransferSink = std::function<void(const PlaceTransfer&)>;

    PlaceValuePanel(SessionSource session, TransferSink transfer, QWidget* parent = nullptr);
    ~PlaceValuePanel() override;

    /** Values the place at the point (map coordinates) and shows it. */
    void valuePoint(const QPointF& point);
    /** Values the plot of a vector file and shows it; false when it cannot be read. */
    bool valuePlotFile(const QString& path);
    /** The settlement's layers are read again before the next valuation. */
    void layersChanged() { m_layersRead = false; }
    /** The valuation shown (empty lines before the first). */
    const PlaceValuation& valuation() const { return m_valuation; }
    /**
     * Writes the extract of the plot shown into the folder, named by the plot's file, as
     * .docx and PDF; the files written, none when it failed (the error is shown).
     */
    QStringList writeExtract(const QString& folder);

    QComboBox* EUse;
    QSpinBox* EFromYear;
    QSpinBox* EToYear;
    QPlainTextEdit* MemoValue;
    QPushButton* BPlot;
    QComboBox* EPlot;
    QPushButton* BTransfer;
    QPushButton* BExtract;
    QPushButton* BClose;

private slots:
    void BPlotClick();
    void BTransferClick();
    void BExtractClick();

private:
    /** The valuation again after a change of the use or the years. */
    void revalue();
    bool readLayers(QString* error);
    PlaceOptions options() const;
    void showResult(bool valued, const QString& reason);

    SessionSource m_session;
    TransferSink m_transfer;
    std::unique_ptr<PlaceLayers> m_layers;
    QString m_layersFolder;
    bool m_layersRead = false;
    /** The last place asked for: a point, or a plot's file. */
    QPointF m_point;
    QString m_plotFile;
    /** The plot's region as valued (its extract's map). */
    GeometryPtr m_plotShape;
    QString m_extractFolder;
    bool m_hasPlace = false;
    PlaceValuation m_valuation;
    bool m_valued = false;
};
