#pragma once

#include <QString>
#include <vector>

/** The catalogue row of a project or settlement, attached to each tree node. */
struct TProjectItem {
    QString uid;
    QString part_uid;
    QString named;
    QString typed;
    QString pathname;
    int id = 0; ///< the row's id; the selected node's id is drawn bold
};

/** What an entry of the main window's two lists is (also its icon index). */
enum ItemKind {
    KindAddFile = 0,
    KindFillReport = 1,
    KindSettlement = 2,
    KindWord = 3,
    KindExcel = 4,
    KindMap = 5,
    KindOtherFile = 6,
    KindStepInfo = 7,
    KindStepAreas = 8,
    KindStepCosts = 9,
    KindStepAverage = 10,
    KindStepZonalWeighted = 11,
    KindStepZonalSEUC = 12,
    KindStepLocal = 13,
    KindStepAgricultural = 14,
    KindStepPlots = 15,
    KindExport = 16,
    KindOpenFolder = 17,
    KindStepFunctional = 18,
    KindStepLocalByQuarter = 19,
};

/** An entry of a list: caption, kind, the full path (first sub-item) and the row id. */
struct ListEntry {
    QString caption;
    int kind = 0;
    QString path;
    QString id;
};

/** The catalogue's rows in tree order with the index of each row's parent (-1: top level). */
struct ProjectTreeRows {
    std::vector<TProjectItem> items;
    std::vector<int> parents;
};
