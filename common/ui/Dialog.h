#pragma once

#include "common/ui/UnsavedChanges.h"

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QPushButton;
class QScrollArea;
class QToolButton;

/** Kinds of input dialog fields. */
enum FieldKind : int {
    FieldEdit = 0,
    FieldCombo = 1,
    FieldDate = 2,
    FieldCheck = 3,
    FieldColor = 4,
    FieldFont = 7,
    FieldOpenFile = 14,
    FieldSaveFile = 15,
    FieldMemo = 16,
    FieldCaption = 255,
};

/** What a one-line edit field accepts while typing. */
enum class FieldFilter { None, Integer, Time, DigitsDash, Number };

/**
 * The generic input dialog: fields built at run time, laid out in rows, read back by the
 * caller through their names (findChild). "Зберегти" closes it only after the fields
 * pass their checks; "Скасувати" closes it without checks.
 */
class TFormDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxFields = 51;

    explicit TFormDialog(QWidget* parent = nullptr);
    ~TFormDialog() override;

    /** Destroys all fields and returns the dialog to its first state. */
    void ClearFields();
    void SetTitle(const QString& text);
    /** Adds a field; returns its control, or null when it could not be made (reported). */
    QWidget* AddField(int kind, const QString& label, bool sameRow, bool highlight, int width,
                      bool enabled, bool required, const QString& value, const QString& name,
                      bool nonZero = false, bool nonNegative = false);
    /** What the one-line edit `name` accepts while typing. */
    void SetFieldFilter(const QString& name, FieldFilter filter);
    /** The file dialogs' filter ("Опис|*.ext|..."), default extension and multiple choice. */
    void SetFileFilter(const QString& filter, const QString& defaultExt = QString(),
                       bool multiSelect = false);
    /** A chosen file also names a file in `target`: same folder and name, default extension. */
    void LinkField(const QString& fileField, const QString& target);
    /** Lines the controls up in one column and sizes the dialog. */
    void ArrangeFields();
    /** The checks run by "Зберегти"; the first failure is focused and shown in a balloon. */
    bool ValidateFields();

    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    QWidget* Field(const QString& name) const;
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* CancelButton() const { return m_cancel; }
    QWidget* FieldArea() const { return m_area; }
    QString FileFilter() const { return m_filter; }

    /**
     * Escape and the close box ask "Зберегти зміни?" when a field was changed since the
     * dialog was shown ("Скасувати" never asks). Off again after ClearFields.
     */
    void SetAskOnClose(bool ask);
    void reject() override;

    /** Opens the "..." choice of a field (colour, font or file dialog). */
    void ChooseForField(const QString& name);
    /** Puts a chosen file into a file field, as the file dialog would. */
    void SetChosenFiles(const QString& name, const QStringList& files);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct FieldRec {
        int kind = 0;
        QString name;
        QLabel* label = nullptr;
        QWidget* control = nullptr;
        QToolButton* button = nullptr;
        bool sameRow = false;
        bool enabled = true;
        bool required = false;
        bool nonZero = false;
        bool nonNegative = false;
        QString link;
    };

    const FieldRec* find(const QString& name) const;
    QWidget* makeControl(FieldRec& field, int width, const QString& value);
    QString fieldText(const FieldRec& field) const;
    bool fail(const FieldRec& field, const QString& text);
    void saveClicked();

    QScrollArea* m_scroll = nullptr;
    QWidget* m_area = nullptr;
    QWidget* m_panel = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
    QList<FieldRec> m_fields;
    int m_rowTop = 8;
    int m_rowHeight = 0;
    int m_nextX = 8;
    QString m_filter;
    QString m_defaultExt;
    bool m_multiSelect = false;
    bool m_askOnClose = false;
    UnsavedChanges m_unsaved;
};

/** The program's one input dialog (created on first use). */
TFormDialog& FormDialog();
/** Converts a "Опис|маски|..." filter into the file dialog's form. */
QString FileDialogFilter(const QString& filter);
