#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

/**
 * The window "Вирахування Км1": four tabs of coefficients, one radio button chosen on each
 * ("НІ" by default); Км1 is the product of the chosen coefficients, which the user may still
 * edit. "Ок" accepts, "Скасувати", Escape or closing changes nothing.
 */
class TFormOtsenkaKm1 : public QDialog {
    Q_OBJECT
public:
    explicit TFormOtsenkaKm1(QWidget* parent = nullptr);

    /** Chooses the buttons an options text names ("3;No;No;2"); unknown fields choose "НІ". */
    void SetOptions(const QString& options);
    /** The options text of the chosen buttons. */
    QString GetOptions() const;
    /** Shows the product of the chosen coefficients in EKm1Zagalniy. */
    void CalcKm1();

    /** The button of a table (1..4) and option ("1".."6", "No"); null when there is none. */
    QRadioButton* radio(int table, const QString& option) const;

    QTabWidget* PageControl = nullptr;
    QLineEdit* EKm1Zagalniy = nullptr;
    QPushButton* BOk = nullptr;
    QPushButton* BCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeTab(int table);
};
