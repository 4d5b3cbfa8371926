#include "common/ui/InputQuery.h"

#include <QApplication>
#include <QInputDialog>

namespace {
InputQueryHook& hook() {
    static InputQueryHook h;
    return h;
}
} // namespace

InputQueryHook SetInputQueryHook(InputQueryHook newHook) {
    InputQueryHook previous = std::move(hook());
    hook() = std::move(newHook);
    return previous;
}

bool InputQuery(const QString& caption, const QString& prompt, QString& text) {
    if (hook())
        return hook()(caption, prompt, text);
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(text);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Скасувати"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text = dialog.textValue();
    return true;
}
