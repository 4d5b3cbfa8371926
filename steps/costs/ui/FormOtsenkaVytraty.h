#pragma once

#include "steps/common/ui/FormStep.h"
#include "steps/costs/CostsStep.h"

class GridView;
class QAction;
class QComboBox;
class QLineEdit;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

/**
 * The window of the step "Витрати на освоювання": cost items typed by section, prices from
 * the price catalogue, brought to the current year with the chosen inflation coefficient,
 * and the development cost per sq m of the assessed territory.
 */
class TFormOtsenkaVytraty : public StepWindow {
    Q_OBJECT
public:
    /** `year` is the year the costs are brought to (the current one). */
    TFormOtsenkaVytraty(const StepContext& context, int year, QWidget* parent = nullptr);

    /** The items, section and results; the visible grid shows `sheet().visible`. */
    CostsSheet& sheet() { return m_sheet; }
    /** Shows what was loaded: coefficient lines, the coefficient, the area, the price catalogue. */
    void setLoaded(const QStringList& coefficientLines, const StringGrid& prices);
    /** The sheet with the coefficient as the drop-down shows it, for storing. */
    const CostsSheet& sheetToStore();

    /** RecalcCosts of the window: nothing while loading; the results shown after. */
    void RecalcCosts(int col, int row);
    /** Another year chosen (or typed): the computed restored costs follow it. */
    void EKoeficientChange(const QString& line);
    /** Chooses a section by its index in ListCategories. */
    void ListCategoriesClick(int index);
    void ADDROWExecute();
    void DELROWExecute();
    void RECALCExecute();
    void PUTPRICEExecute();
    void BClearClick();

    QComboBox* EKoeficient = nullptr;
    QListWidget* ListCategories = nullptr;
    GridView* GridVytratyUser = nullptr;
    GridView* ListPrice = nullptr;
    QLabel* LabelPrice = nullptr;
    QLineEdit* EOcinochna = nullptr;
    QLineEdit* EVytratyVsiogo = nullptr;
    QLineEdit* EVytraty1m = nullptr;
    QPushButton* BClear = nullptr;
    QAction* POPUP_ADDROW = nullptr;
    QAction* POPUP_DELROW = nullptr;
    QAction* POPUP_RECALC = nullptr;
    QAction* POPUP_PUTPRICE = nullptr;

protected:
    StepCheck checkBeforeSave() override;
    QString unsavedState() const override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void GridVytratyUserSetEditText(int row, int col);
    void gridPopup(int row, int col);
    void pricePopup();
    /** Whether a catalogue row is chosen; its name, unit and restored price then. */
    bool selectedPrice(CatalogPrice* price) const;
    /** The catalogue items of the chosen section. */
    void showPrices();
    void showResults();
    void refreshGrid();

    CostsSheet m_sheet;
    /** The whole price catalogue; the list shows the chosen section's part of it. */
    StringGrid m_prices = MakePriceGrid();
    int m_year = 0;
};

/**
 * Opens the step "Витрати на освоювання" of the context's settlement: loads the items, the
 * coefficient lines and the price catalogue, shows the window and stores on "Зберегти".
 * True when stored.
 */
bool OpenStepCosts(const StepContext& context, QWidget* parent);
