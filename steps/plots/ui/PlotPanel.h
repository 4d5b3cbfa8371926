#pragma once

#include "steps/plots/PlotsStep.h"

#include <QWidget>
#include <array>

class QComboBox;
class QLineEdit;

/**
 * The page of one plot. Its fields carry the plot's number at the end of their names
 * ("EKf1", "EZagalna3"; the household parts "EOsg1Shifr3" and the totals "ESq30",
 * "EZagalna30"), so the three pages are three instances of this panel and the window finds
 * any field by name; the number is also each field's tag. The panel only shows a Plot and
 * reads it back; the window does the look-ups and ComputePlot.
 */
class PlotPanel : public QWidget {
    Q_OBJECT
public:
    PlotPanel(int number, QWidget* parent = nullptr);

    int number() const { return m_number; }
    bool household() const { return m_number == HouseholdPlot; }

    /** The district numbers and soil codes the combos offer. */
    void setChoices(const QStringList& districts, const QStringList& soilCodes);
    /** Shows every field of the plot. */
    void showPlot(const Plot& plot);
    /** Shows Km2 and Km3 only. */
    void showCoefficients(const Plot& plot);
    /** Shows the value of 1 ha of each household part only. */
    void showSoilValues(const Plot& plot);
    /** Shows the computed fields only, so the field being typed in keeps its caret. */
    void showResults(const Plot& plot);
    /** The plot as the fields hold it. */
    Plot plot() const;

    QLineEdit* ENazva = nullptr;
    QComboBox* ERaions = nullptr;
    QLineEdit* EBazova = nullptr;
    QLineEdit* EKf = nullptr;
    QLineEdit* EKm2 = nullptr;
    QLineEdit* EKm3 = nullptr;
    QLineEdit* ECena = nullptr;
    QLineEdit* ESq = nullptr;
    QLineEdit* EZagalna = nullptr;

    /** The household plot's parts by kind 1 to 4 (null on the other pages). */
    struct PartFields {
        QComboBox* shifr = nullptr;
        QLineEdit* bazova = nullptr;
        QLineEdit* sq = nullptr;
        QLineEdit* zagalna = nullptr;
    };
    std::array<PartFields, PlotPartCount> EOsg{};
    QLineEdit* ESqTotal = nullptr;
    QLineEdit* EZagalnaTotal = nullptr;

signals:
    /** A district was chosen. */
    void districtChosen(int number);
    /** A soil was chosen for a household part. */
    void soilChosen(int number, int kind);
    /** The base value, Kf, Km2 or Km3 was edited. */
    void koefEdited(int number);
    /** The area was edited. */
    void areaEdited(int number);
    /** The area of a household part was edited. */
    void partAreaEdited(int number);

private:
    QLineEdit* makeEdit(const QString& name, int intDigits, int decimals);
    QLineEdit* makeResult(const QString& name);
    QWidget* makeHouseholdParts();
    static void selectText(QComboBox* combo, const QString& text);

    int m_number;
};
