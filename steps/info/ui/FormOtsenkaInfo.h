#pragma once

#include "common/StringGrid.h"
#include "steps/common/ui/FormStep.h"

class GridView;
class QPushButton;

/**
 * The window of the step "Інформація": the settlement's facts as an editable name/value
 * list. Rows may be added (Insert, Down on the last row, or the button) but not deleted.
 */
class TFormOtsenkaInfo : public StepWindow {
    Q_OBJECT
public:
    explicit TFormOtsenkaInfo(const StepContext& context, QWidget* parent = nullptr);

    /** The rows shown: heading row, then name and value of each fact. */
    StringGrid& rows();
    /** Shows the rows after they were filled. */
    void refreshRows();
    /** Adds an empty row at the end and makes its name current. */
    void addRow();
    /** The total area "Визначення площ" stored: the area row may only show it. */
    void setStoredArea(const QString& area) { m_storedArea = area; }

    GridView* ListBoxData = nullptr;
    QPushButton* BAddRow = nullptr;

protected:
    StepCheck checkBeforeSave() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_storedArea;
};

/**
 * Opens the step "Інформація" of the context's settlement: loads "показники", shows the
 * window and stores the rows on "Зберегти". True when the rows were stored.
 */
bool OpenStepInfo(const StepContext& context, QWidget* parent);
