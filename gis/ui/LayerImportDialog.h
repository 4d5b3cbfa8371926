#pragma once

#include "gis/ImportTables.h"
#include "gis/LayerImport.h"
#include "gis/SettlementTiling.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableView;

/**
 * "Імпорт шару": a vector file of any format becomes a layer of the settlement. The valuer
 * picks the file, its layer, the kind of layer and which source field fills each field the
 * steps read; the preview shows what the file holds and "Перевірити" what the import would
 * do. "Імпортувати" writes the layer (an existing one only after a confirmation, its old
 * files copied first) and closes the window.
 */
class LayerImportDialog : public QDialog {
    Q_OBJECT
public:
    explicit LayerImportDialog(const QString& settlementFolder, QWidget* parent = nullptr);

    /** Opens a source as if chosen in the file dialog (false when it cannot be read). */
    bool setSource(const QString& path);
    /** The ".tab" written by the last import ("" before one). */
    const QString& writtenPath() const { return m_written; }

    /** The fields the steps read and the source field chosen for each. */
    FieldChoiceModel& fieldChoices() { return m_fieldChoices; }
    const SourcePreviewModel& preview() const { return m_preview; }

    QLineEdit* fileEdit;
    QPushButton* fileButton;
    QComboBox* sourceLayerBox;
    QComboBox* kindBox;
    QSpinBox* factorBox;
    QTableView* fieldsView;
    QLabel* crsLabel;
    QLineEdit* crsEdit;
    QLabel* previewLabel;
    QTableView* previewView;
    QPlainTextEdit* checkText;
    QPushButton* checkButton;
    QPushButton* importButton;
    QPushButton* cancelButton;

private slots:
    void chooseFile();
    void sourceLayerChanged();
    void kindChanged();
    void checkClicked();
    void importClicked();

private:
    /** The request as the window shows it. */
    ImportRequest request() const;
    /** Prepares the import and shows its notes, warnings and refusals; false when unread. */
    bool check(ImportResult& result, SettlementTiling& tiling);
    void fillFieldChoices();
    void showPreview();

    QString m_folder;
    QString m_settlementCrs;
    SourceSummary m_summary;
    FieldChoiceModel m_fieldChoices;
    SourcePreviewModel m_preview;
    QString m_written;
};
