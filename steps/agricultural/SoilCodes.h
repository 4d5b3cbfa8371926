#pragma once

#include <QString>
#include <QStringList>

/**
 * Soil group codes as the valuer composes them: the group number ("53"), an optional slope
 * (".2") and an optional texture letter ("г"), so "53.2г".
 */

/** The code of a list or catalogue item: its text before " - ", or the whole text. */
QString SoilItemCode(const QString& item);

/** The catalogue item shown in the combo: code + " - " + name. */
QString SoilCatalogueItem(const QString& code, const QString& name);

/** The slope choices: "", ".1" to ".9". */
QStringList SoilSlopeItems();

/** The texture choices: "" and "а  - піщаний" to "к  - кам’янисті". */
QStringList SoilTextureItems();

/** The texture letter of a texture choice: its text before "-", trimmed. */
QString SoilTextureLetter(const QString& textureItem);

/** The code made of the group number (trimmed), the slope and the texture letter. */
QString ComposeSoilCode(const QString& group, const QString& slope, const QString& textureItem);

/** A catalogue code split into the group field and the slope field. */
struct SoilCodeParts {
    /** The part before the first "." (the whole code without one). */
    QString group;
    /** "." and the rest after the first "."; empty without one. */
    QString slope;
};

/**
 * Splits a catalogue item for the fields "Грунт" and the slope: the code is the text before
 * "-", trimmed; so adding it back reproduces the catalogue code.
 */
SoilCodeParts SplitCatalogueSoil(const QString& item);

/** The index of the code in the list, letters compared ignoring case; -1 when absent. */
int FindSoilCode(const QStringList& codes, const QString& code);

/** What the soil code cell of a kind's grid offers: items as shown and the codes they store. */
struct SoilCodeChoices {
    QStringList items;
    QStringList codes;
};

/**
 * The codes a soil row may take: every catalogue item ("шифр - назва"), then the working
 * codes the catalogue lacks (composed with a slope or a texture, or stored before), each once
 * (letter case ignored).
 */
SoilCodeChoices SoilCodeChoicesOf(const QStringList& catalogue, const QStringList& working);
