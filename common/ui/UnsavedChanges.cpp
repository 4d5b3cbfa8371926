#include "common/ui/UnsavedChanges.h"

#include "common/Messages.h"
#include "widgets/GridView.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

namespace {

/** A widget inside an item view is a cell editor or a part of the view, never an input. */
bool InsideItemView(const QWidget* widget, const QWidget& root) {
    for (const QWidget* w = widget->parentWidget(); w && w != &root; w = w->parentWidget())
        if (qobject_cast<const QAbstractItemView*>(w))
            return true;
    return false;
}

/** A combo box's own line edit is read through the combo box. */
bool PartOfComboBox(const QWidget* widget) {
    return qobject_cast<const QComboBox*>(widget->parentWidget()) != nullptr;
}

void AddGrid(QString& out, const StringGrid& grid) {
    out += QStringLiteral("\x1e%1x%2").arg(grid.rowCount()).arg(grid.colCount());
    for (int row = 0; row < grid.rowCount(); ++row)
        for (int col = 0; col < grid.colCount(); ++col) {
            out += u'\x1f';
            out += grid.at(row, col);
        }
}

} // namespace

QString InputSnapshot(const QWidget& root) {
    QString out;
    const QList<QWidget*> widgets = root.findChildren<QWidget*>();
    for (const QWidget* w : widgets) {
        if (InsideItemView(w, root))
            continue;
        if (const auto* grid = qobject_cast<const GridView*>(w)) {
            if (const StringGrid* g = grid->grid())
                AddGrid(out, *g);
        } else if (const auto* list = qobject_cast<const QListWidget*>(w)) {
            out += u'\x1e';
            for (int i = 0; i < list->count(); ++i) {
                const QListWidgetItem* item = list->item(i);
                if (!(item->flags() & Qt::ItemIsUserCheckable))
                    continue;
                out += item->text();
                out += item->checkState() == Qt::Checked ? u'+' : u'-';
            }
        } else if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
            if (!edit->isReadOnly() && !PartOfComboBox(w))
                out += u'\x1e' + edit->text();
        } else if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
            out += u'\x1e' + combo->currentText();
        } else if (const auto* memo = qobject_cast<const QPlainTextEdit*>(w)) {
            if (!memo->isReadOnly())
                out += u'\x1e' + memo->toPlainText();
        } else if (const auto* text = qobject_cast<const QTextEdit*>(w)) {
            if (!text->isReadOnly())
                out += u'\x1e' + text->toPlainText();
        } else if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(w)) {
            out += u'\x1e' + spin->text();
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            if (button->isCheckable() && !qobject_cast<const QPushButton*>(w))
                out += button->isChecked() ? QStringLiteral("\x1e+") : QStringLiteral("\x1e-");
        }
    }
    return out;
}

UnsavedAnswer AskSaveChanges() {
    switch (
        AskConfirm(QStringLiteral("Зберегти зміни?"), Answer::Yes | Answer::No | Answer::Cancel)) {
    case Answer::Yes:
        return UnsavedAnswer::Save;
    case Answer::No:
        return UnsavedAnswer::Discard;
    default:
        return UnsavedAnswer::Stay;
    }
}
