#pragma once

#include <QString>
#include <optional>

/**
 * What a step's check found wrong, for the window to show: the control at fault by its
 * object name (a field, or a grid with the cell's row and column), and the balloon's title
 * and text.
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
