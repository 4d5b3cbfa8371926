#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

/** How one column of a GridView looks and is edited. */
struct GridColumn {
    /**
     * Caption written into the grid's heading row (the last fixed row). A null caption
     * keeps what the heading holds (a district number the program wrote there).
     */
    QString caption;
    /** Width in pixels; 0 hides the column, -1 keeps the view's default. */
    int width = -1;
    /** Decimals of a numeric column; -1 for a text column. */
    int decimals = -1;
    /** Digits allowed before the point in a numeric column. */
    int intDigits = 15;
    bool readOnly = false;
    /** Painted on a grey background (computed or copied values). */
    bool shaded = false;
    /** Text wrapped inside the cell instead of cut at its edge. */
    bool wrap = false;
    bool bold = false;
    /** Items of an editable combo box used as the cell editor. */
    QStringList comboItems;
    /**
     * What choosing item i stores in the cell (a code or a number shown with its name in the
     * item); empty: an item stores its own text.
     */
    QStringList comboValues;
    /**
     * Only the items are accepted: a typed or pasted text must be an item's value or text
     * (letter case ignored) and is stored as the item's value; anything else is refused and
     * the cell keeps its text. An empty text is always accepted (it clears the cell).
     */
    bool comboOnly = false;
    /** Alignment of the cells; numeric columns default to the right. */
    std::optional<Qt::Alignment> alignment;
    /** Font and alignment of the caption in the heading. */
    std::optional<QFont> headingFont;
    Qt::Alignment headingAlignment = Qt::AlignCenter;

    bool numeric() const { return decimals >= 0; }
    /** What choosing item i stores. */
    QString comboValue(int i) const {
        return i < comboValues.size() ? comboValues[i] : comboItems.value(i);
    }
    /**
     * The item a text names: the first whose value, then the first whose text, equals it
     * (letter case ignored); -1 when none does.
     */
    int comboItemOf(const QString& text) const {
        const QString typed = text.trimmed();
        for (int i = 0; i < comboItems.size(); ++i)
            if (comboValue(i).compare(typed, Qt::CaseInsensitive) == 0)
                return i;
        for (int i = 0; i < comboItems.size(); ++i)
            if (comboItems[i].compare(typed, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    Qt::Alignment cellAlignment() const {
        if (alignment)
            return *alignment;
        return Qt::AlignVCenter | (numeric() ? Qt::AlignRight : Qt::AlignLeft);
    }

    /** A text column with a caption and width. */
    static GridColumn text(const QString& caption, int width = -1) {
        GridColumn c;
        c.caption = caption;
        c.width = width;
        return c;
    }
    /** A numeric column whose editor keeps at most `decimals` decimals. */
    static GridColumn number(const QString& caption, int decimals, int width = -1) {
        GridColumn c = text(caption, width);
        c.decimals = decimals;
        return c;
    }
};

/** A heading that spans several columns above their captions. */
struct GridHeadingGroup {
    int firstCol = 0;
    int lastCol = 0;
    QString text;
};
