#pragma once

#include "catalogue/refs/PriceImport.h"

#include <QDialog>

class Connection;
class GridView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

/**
 * "Імпорт цін": a price list the valuer holds (a workbook or a delimited text) read into the
 * price catalogue "збірник_цін". The window shows the file's first rows, lets the valuer say
 * which column holds the section, name, unit and price, where the data begin and the year
 * of the prices, counts the rows it will take and skip, and reports every row skipped.
 */
class TFormPriceImport : public QDialog {
    Q_OBJECT
public:
    TFormPriceImport(Connection& catalogue, QWidget* parent = nullptr);

    /** Reads the file and guesses its columns; false after the message when it cannot. */
    bool setFile(const QString& path);
    const PriceTable& table() const { return m_table; }
    /** The mapping as the window's controls give it. */
    PriceMapping mapping() const;
    /** What the mapping takes and skips now. */
    const PriceImport& preview() const { return m_import; }

    /** "Імпортувати": checks the mapping and the year, stores, reports. */
    void BImportClick();

    GridView* GridPreview = nullptr;
    QComboBox* ECategory = nullptr;
    QComboBox* EName = nullptr;
    QComboBox* EUnit = nullptr;
    QComboBox* EPrice = nullptr;
    QSpinBox* EFirstRow = nullptr;
    QLineEdit* EYear = nullptr;
    QCheckBox* CReplace = nullptr;
    QLabel* LabelSummary = nullptr;
    QPushButton* BImport = nullptr;
    QPushButton* BCancel = nullptr;

private:
    void mappingChanged();
    void fillColumnChoices();

    Connection& m_catalogue;
    PriceTable m_table;
    PriceImport m_import;
    bool m_filling = false;
};
