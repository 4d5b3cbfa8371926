#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

/**
 * Keeps a line edit's text clean: after each change the text is passed through the
 * number or character filter and the caret keeps its place in the remaining text.
 * One filter lives on an edit; installing again replaces its rules.
 */
class LineEditFilter final : public QObject {
    Q_OBJECT
public:
    /** Numbers with at most intDigits/fracDigits digits; a removal beeps once per change. */
    static LineEditFilter* installNumber(QLineEdit* edit, int intDigits, int fracDigits,
                                         bool userEditsOnly = false);
    /** Only the characters of `allowed`; removals are silent. */
    static LineEditFilter* installChars(QLineEdit* edit, const QString& allowed,
                                        bool userEditsOnly = false);
    /** The filter on an edit, if any. */
    static LineEditFilter* of(QLineEdit* edit);

    /** Cleans the edit's text now; returns how many characters were removed. */
    int apply();

private:
    explicit LineEditFilter(QLineEdit* edit);
    static LineEditFilter* install(QLineEdit* edit, bool userEditsOnly);

    QLineEdit* m_edit;
    bool m_number = true;
    int m_intDigits = 15;
    int m_fracDigits = 4;
    QString m_allowed;
    bool m_userEditsOnly = false;
    bool m_busy = false;
};
