#pragma once

#include "common/StringGrid.h"

#include <QDialog>

class GridView;
class QLabel;
class QPushButton;
class QWidget;

/**
 * The window of the step "Інформація": the settlement's facts as an editable name/value
 * list. Rows may be added (Insert, or Down on the last row) but not deleted.
 * "Зберігти" checks the numbers and closes with 6; "Скасувати" or closing gives 2.
 */
class TFormOtsenkaInfo : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResultSave = 6;
    static constexpr int ResultCancel = 2;

    explicit TFormOtsenkaInfo(QWidget* parent = nullptr);

    /** The rows shown: heading row, then name and value of each fact. */
    StringGrid& rows();
    /** Shows the rows after they were filled. */
    void refreshRows();
    /** Adds an empty row at the end and makes its name current. */
    void addRow();

    GridView* ListBoxData = nullptr;
    QPushButton* BSave = nullptr;
    QPushButton* BCancel = nullptr;
    QPushButton* BAddRow = nullptr;

    void BSaveClick();
    void BCancelClick();
    /** Escape and the window's close button cancel with 2. */
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

/**
 * Opens the step "Інформація" of the current settlement (Db().data): loads "показники",
 * shows the window and stores the rows on "Зберігти". True when the rows were stored.
 */
bool OpenStepInfo(QWidget* parent);
