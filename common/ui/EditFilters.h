#pragma once

#include <QString>

class QLineEdit;

/**
 * Keeps the edit a number: now and after every change of its text, "," becomes ".",
 * surplus digits and other characters go (with one beep per change) and the caret
 * keeps its place. Calling it again only changes the limits.
 */
void FilterEditNumber(QLineEdit* edit, int intDigits, int fracDigits);
/** Keeps only the characters of `allowed` in the edit, silently, with the same caret rule. */
void FilterEditChars(QLineEdit* edit, const QString& allowed);
