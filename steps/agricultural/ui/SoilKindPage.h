#pragma once

#include "common/StringGrid.h"

#include <QWidget>

class GridView;
class PopupButton;
class QLabel;
class QLineEdit;
class QMenu;

/**
 * The page of one kind of agricultural land: the base value of 1 ha and the average score
 * of the base enterprise, the indexation button and the soil grid. Its controls carry the
 * kind's number at the end of their names ("EBazovaCina1", "GridUgodia1"); the number is
 * also the page's tag.
 */
class SoilKindPage : public QWidget {
    Q_OBJECT
public:
    /** `indexMenu` is the indexation menu shared by the four pages (not owned). */
    SoilKindPage(int kind, QMenu* indexMenu, QWidget* parent = nullptr);

    int kind() const { return m_kind; }
    StringGrid& grid();

    QLineEdit* EBazovaCina = nullptr;
    QLineEdit* ESeredniyBall = nullptr;
    PopupButton* PopupButtonIndex = nullptr;
    /** Beside the base value: "з урахуванням індексації" and the coefficient applied. */
    QLabel* LabelIndex = nullptr;
    GridView* GridUgodia = nullptr;

signals:
    /** The base value or the average score changed (also while the window loads). */
    void parametersChanged(int kind);
    /** The user's edit of a grid cell was stored in the grid. */
    void cellEdited(int kind, int row, int col);

private:
    int m_kind;
};
