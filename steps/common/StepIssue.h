#pragma once

#include <QString>
#include <optional>

/**
 * What a step's check found wrong (made by FieldIssue or CellIssue below), for the window to show:
 * the control at fault by its object name (a field, or a grid with the cell's row and column), and
 * the balloon's title and text.
 */
struct StepIssue {
    /** The object name of the control at fault ("GridRaions", "EZagalna"). */
    QString field;
    /** The cell in a grid; -1 when the issue is not about a cell. */
    int row = -1;
    int col = -1;
    QString title;
    QString text;
};

/** The result of a check: nothing when all is well. */
using StepCheck = std::optional<StepIssue>;

/**
 * The issue of a control (a field, or a grid as a whole) by its object name: the balloon
 * "Попередження" (or `title`) with `text`. Every issue is made by this or CellIssue.
 */
inline StepIssue FieldIssue(const QString& field, const QString& text,
                            const QString& title = QStringLiteral("Попередження")) {
    return StepIssue{field, -1, -1, title, text};
}

/** The issue of a grid's cell: the cell becomes current and the balloon "Попередження" shows. */
inline StepIssue CellIssue(const QString& grid, int row, int col, const QString& text) {
    return StepIssue{grid, row, col, QStringLiteral("Попередження"), text};
}
