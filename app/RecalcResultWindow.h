#pragma once

#include "valuation/Check.h"

#include <QDialog>
#include <QStringList>
#include <vector>

class QPushButton;
class QStandardItemModel;
class QTableView;

/**
 * "Перераховано": what a recalculation changed, one row a value (the step, the value, what was
 * stored, what it is now), scrollable however many there are, with a button that copies the
 * table for a letter or a spreadsheet.
 */
class RecalcResultWindow : public QDialog {
    Q_OBJECT
public:
    /** `fromMap`: the values taken from the map again (MapRecalcOutcome::changed lines). */
    RecalcResultWindow(const std::vector<valuation::StaleValue>& changed,
                       const QStringList& fromMap = {}, QWidget* parent = nullptr);

    QTableView* table() const { return m_table; }
    QPushButton* copyButton() const { return m_copy; }

private:
    QString m_text;
    QStandardItemModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QPushButton* m_copy = nullptr;
};

/** The changed values as tab-separated lines under a heading line, as the copy button puts them. */
QString RecalcTableText(const std::vector<valuation::StaleValue>& changed,
                        const QStringList& fromMap = {});

/** A line of a value taken from the map ("«Крок»: що: було → стало") as a row of the table. */
QStringList MapChangeRow(const QString& line);
