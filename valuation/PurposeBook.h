#pragma once

#include <QHash>
#include <QString>
#include <vector>

class Connection;

/** A kind of designated purpose of land and the functional-use category its land is valued as. */
struct Purpose {
    QString code;     ///< "02.01"; a whole section is "02.00"
    QString name;     ///< the classifier's name
    QString category; ///< a code of the functional-use categories ("Ж"); "" when none is set
};

/**
 * The book of purposes (the catalogue's table "призначення"): the kinds of designated purpose
 * of land of the state classifier, each with the functional-use category that gives its Кф.
 */
class PurposeBook {
public:
    /** Adds a row; a later row of the same code replaces the earlier one. */
    void add(const Purpose& purpose);
    /** The row of a code as a plot states it ("2.01", "02,01", "02.01 Для..."); null if none. */
    const Purpose* find(const QString& code) const;
    int size() const { return static_cast<int>(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }

private:
    std::vector<Purpose> m_rows;
    QHash<QString, int> m_byCode;
};

/**
 * A purpose code in the classifier's form: two digits of the section, "." and two digits of
 * the kind ("02.01"; a section alone becomes "02.00"). Blanks around it, a comma for the point,
 * a single-digit section and words after the code are accepted. "" when it is not such a code.
 */
QString NormalPurposeCode(const QString& code);

/**
 * Reads the book from the catalogue's table "призначення". False with the reason when the
 * table cannot be read.
 */
bool LoadPurposeBook(Connection& catalogue, PurposeBook& book, QString* error);

/**
 * The functional-use category (a code of the settlement's Кф table, "Ж", "К", "П"...) the land
 * of a purpose is valued as. False with a one-line reason for the valuer when the code is
 * empty or malformed, not in the book, has no category set or one that is not a functional-use
 * category: nothing is guessed.
 */
bool UseForPurpose(const PurposeBook& book, const QString& code, QString* use, QString* reason);
