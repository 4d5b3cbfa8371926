#pragma once

#include "gis/PlaceValue.h"
#include "gis/RegisterTable.h"
#include "gis/ui/PlaceValuePanel.h"

#include <QDialog>
#include <QPointer>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class MapView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;

/**
 * "Реєстр ділянок": the plots of vector files, cadastral exchange files or a folder of them,
 * each valued over the selected settlement, in a grid that sorts by any column and may show
 * only the plots not valued with their reasons. The selected plots are shown on the map tab;
 * "Витяг…" writes their extracts, "Зберегти реєстр…" the workbook or the GeoPackage layer.
 * Reading and valuing run off the window's thread with the progress window and its "Стоп".
 */
class PlotRegisterWindow : public QDialog {
    Q_OBJECT
public:
    /** Told the plots done of all (0 of 0 while reading); false stops the work. */
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    /** `view` is the map the plots are shown on (may be null). */
    PlotRegisterWindow(PlaceValuePanel::SessionSource session, MapView* view,
                       QWidget* parent = nullptr);
    ~PlotRegisterWindow() override;

    /**
     * Reads the sources (files or folders) and values their plots; false when the settlement
     * cannot be valued or nothing was read (the reason is shown).
     */
    bool openSources(const QStringList& sources);
    /**
     * The fields of vector sources that give the cadastral number, purpose, stated area and
     * address ("" guesses by the name); the sources open are read again.
     */
    bool setPlotFields(const PlotFields& fields);
    const PlotFields& plotFields() const { return m_fields; }
    /** Values the plots read again, for the use and years now chosen. */
    bool revalue();
    /** Writes the extracts of the selected valued plots into the folder; how many. */
    int writeExtracts(const QString& folder);
    /** Writes the register: a workbook (".xlsx") or the plots' layer (".gpkg"). */
    bool saveRegister(const QString& path);
    /** Shows the selected plots on the map and brings the map's tab forward. */
    void showSelectedOnMap();
    /** The settlement selected now: a register of another one is cleared. */
    void settlementChanged(const QString& folder);

    /** Replaces the progress window (tests drive the stop through it). */
    void setProgress(Progress progress) { m_progressHook = std::move(progress); }
    const RegisterTableModel& table() const { return *m_model; }
    RegisterFilterModel& rows() const { return *m_filter; }
    /** The plots of the rows selected, in the grid's order. */
    std::vector<int> selectedPlots() const;
    /** The temporary table the selected plots are drawn from on the map. */
    QString highlightPath() const;

    QPushButton* BOpen;
    QPushButton* BFolder;
    QPushButton* BFields;
    QLineEdit* ECrs;
    QComboBox* EUse;
    QSpinBox* EFromYear;
    QSpinBox* EToYear;
    QCheckBox* CNotValued;
    QTableView* GridPlots;
    QLabel* LabelSummary;
    QPushButton* BExtract;
    QPushButton* BSave;
    QPushButton* BClose;

public slots:
    void done(int result) override;

private slots:
    void BOpenClick();
    void BFolderClick();
    void BFieldsClick();
    void BExtractClick();
    void BSaveClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /**
     * Reads the sources (when given, else takes the plots read before) and values the plots;
     * false with the reason shown.
     */
    bool run(const QStringList* read);
    bool runOnce(const QStringList* read);
    bool prepareInputs(QString* error);
    PlaceOptions options() const;
    void updateButtons();
    void removeHighlight();
    /** Runs the work on another thread while the progress goes on; true unless stopped. */
    bool runOffThread(const QString& info, const std::function<void()>& work,
                      const std::function<qint64()>& done, const std::function<qint64()>& total,
                      RegisterProgress& progress);

    PlaceValuePanel::SessionSource m_session;
    QPointer<MapView> m_view;
    Progress m_progressHook;
    RegisterTableModel* m_model;
    RegisterFilterModel* m_filter;
    QTimer* m_showTimer;
    QTimer* m_revalueTimer;

    QStringList m_sources;
    PlotFields m_fields;
    QString m_folder; ///< the settlement the register was valued over
    std::vector<RegisterPlot> m_read;
    std::unique_ptr<PlaceLayers> m_layers;
    QString m_layersFolder;
    PlaceSources m_placeSources;
    QString m_extractFolder;
    QTemporaryDir m_temp;
    bool m_running = false;
};
