#pragma once

#include <QString>

class QWidget;

/**
 * What the user can change in a window, as one text: the texts of its editable one-line
 * edits (hidden ones too), memos, combo boxes and spin boxes, the states of check boxes and
 * radio buttons, the check marks of checkable lists and every cell of its grids. Two
 * snapshots differ exactly when one of those differs; read-only edits, labels, the current
 * cell and the chosen tab play no part.
 */
QString InputSnapshot(const QWidget& root);

/** The answers to "Зберегти зміни?". */
enum class UnsavedAnswer {
    Save,    ///< "Так": store, then close
    Discard, ///< "Ні": close without storing
    Stay,    ///< "Скасувати": keep the window open
};

/** Asks "Зберегти зміни?" with "Так", "Ні" and "Скасувати" through the messages seam. */
UnsavedAnswer AskSaveChanges();

/**
 * Remembers a window's inputs once it is filled and tells whether they were changed since:
 * the one check behind "Зберегти зміни?" of the step windows and of the record dialog of
 * the reference books.
 */
class UnsavedChanges {
public:
    /** Takes the snapshot to compare with (again after the window's values were stored). */
    void remember(const QString& snapshot) {
        m_snapshot = snapshot;
        m_taken = true;
    }
    void forget() { m_taken = false; }
    bool taken() const { return m_taken; }
    /** True when a snapshot was taken and `now` differs from it. */
    bool changed(const QString& now) const { return m_taken && now != m_snapshot; }

private:
    QString m_snapshot;
    bool m_taken = false;
};
