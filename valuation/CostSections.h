#pragma once

#include <QString>
#include <QStringList>

/**
 * The sections of development costs, in list order: the categories of the cost items and of
 * the price catalogue "збірник_цін".
 */
const QStringList& CostSections();

/**
 * The section a text names, letter case, blanks and the kind of apostrophe ignored
 * ("водопостачання" gives "Водопостачання"); "" when it names none.
 */
QString CostSectionOf(const QString& text);
