#include "common/ui/Dialog.h"

#include "common/ui/UnsavedChanges.h"

#include "common/Messages.h"
#include "common/TextUtils.h"
#include "common/ui/EditFilters.h"
#include "common/ui/UserColors.h"
#include "widgets/ApplicationWindows.h"
#include "widgets/DisplayText.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <new>

namespace {
const QString kCaption = QStringLiteral("Створення діалогу");
const QString kAllFiles = QStringLiteral("Усі файли|*.*");
const QString kSample = QStringLiteral("Приклад тексту");
constexpr int kEditHeight = 21;
constexpr int kMemoHeight = 89;
constexpr int kPanelHeight = 41;

bool isTextField(int kind) {
    return kind == FieldEdit || kind == FieldColor || kind == FieldFont || kind == FieldOpenFile ||
           kind == FieldSaveFile || kind == FieldMemo;
}

bool truthy(const QString& value) {
    const QString v = value.trimmed().toLower();
    return v == u"1" || v == u"-1" || v == u"true" || v == u"yes" || v == u"так";
}

QColor parseColor(const QString& value) {
    const QString v = value.trimmed();
    if (v.startsWith(u'#'))
        return QColor::fromString(v);
    bool ok = false;
    const qlonglong n = v.startsWith(u'$') ? v.mid(1).toLongLong(&ok, 16) : v.toLongLong(&ok);
    if (!ok || n < 0)
        return QColor(Qt::white);
    // A stored colour number keeps red in the lowest byte.
    return QColor(int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF));
}

void showColor(QLineEdit* edit, const QColor& color) {
    edit->setText(color.name());
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, color);
    pal.setColor(QPalette::Text, color.lightness() < 128 ? Qt::white : Qt::black);
    edit->setPalette(pal);
}
} // namespace

QString FileDialogFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString masks = parts[i + 1];
        masks.replace(u';', u' ');
        result << parts[i] + QStringLiteral(" (") + masks + u')';
    }
    return result.join(QStringLiteral(";;"));
}

TFormDialog::TFormDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(false);
    m_area = new QWidget;
    m_scroll->setWidget(m_area);
    layout->addWidget(m_scroll, 1);

    m_panel = new QWidget(this);
    m_panel->setFixedHeight(kPanelHeight);
    auto* buttons = new QHBoxLayout(m_panel);
    buttons->addStretch(1);
    m_save = new QPushButton(QStringLiteral("Зберегти"), m_panel);
    m_save->setObjectName(QStringLiteral("BSave"));
    m_save->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Скасувати"), m_panel);
    m_cancel->setObjectName(QStringLiteral("BCancel"));
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    layout->addWidget(m_panel);

    connect(m_save, &QPushButton::clicked, this, &TFormDialog::saveClicked);
    // "Скасувати" drops what was typed without a question; Escape and the close box ask.
    connect(m_cancel, &QPushButton::clicked, this, [this] { QDialog::reject(); });
    auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+S")), this);
    connect(shortcut, &QShortcut::activated, this, [this] {
        if (m_save->isVisible() && m_save->isEnabled())
            saveClicked();
    });
    LoadUserColors(UserColorsPath());
    ClearFields();
}

TFormDialog::~TFormDialog() = default;

void TFormDialog::ClearFields() {
    for (FieldRec& f : m_fields) {
        delete f.label;
        delete f.control;
        delete f.button;
    }
    m_fields.clear();
    m_rowTop = 8;
    m_rowHeight = 0;
    m_nextX = 8;
    m_filter = kAllFiles;
    m_defaultExt.clear();
    m_multiSelect = false;
    m_askOnClose = false;
    m_unsaved.forget();
    m_save->setVisible(true);
    m_area->resize(350, 90 - kPanelHeight);
    resize(350, 90);
}

void TFormDialog::SetTitle(const QString& text) {
    setWindowTitle(text);
}

const TFormDialog::FieldRec* TFormDialog::find(const QString& name) const {
    for (const FieldRec& f : m_fields)
        if (f.name == name)
            return &f;
    return nullptr;
}

QWidget* TFormDialog::Field(const QString& name) const {
    const FieldRec* f = find(name);
    return f ? f->control : nullptr;
}

QWidget* TFormDialog::makeControl(FieldRec& field, int width, const QString& value) {
    QWidget* control = nullptr;
    switch (field.kind) {
    case FieldEdit: {
        auto* edit = new QLineEdit(value, m_area);
        control = edit;
        break;
    }
    case FieldCombo: {
        auto* combo = new QComboBox(m_area);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setEditText(value);
        control = combo;
        break;
    }
    case FieldDate: {
        auto* date = new QDateEdit(m_area);
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        const QDate d = QDate::fromString(value.trimmed(), QStringLiteral("dd.MM.yyyy"));
        date->setDate(d.isValid() ? d : QDate::currentDate());
        control = date;
        break;
    }
    case FieldCheck: {
        auto* check = new QCheckBox(m_area);
        check->setChecked(truthy(value));
        control = check;
        break;
    }
    case FieldColor: {
        auto* edit = new QLineEdit(m_area);
        edit->setReadOnly(true);
        showColor(edit, parseColor(value));
        control = edit;
        break;
    }
    case FieldFont: {
        auto* edit = new QLineEdit(kSample, m_area);
        edit->setReadOnly(true);
        QFont font = edit->font();
        if (!value.isEmpty())
            font.fromString(value);
        edit->setFont(font);
        control = edit;
        break;
    }
    case FieldOpenFile:
    case FieldSaveFile:
        control = new QLineEdit(value, m_area);
        break;
    case FieldMemo: {
        auto* memo = new QPlainTextEdit(m_area);
        memo->setPlainText(DisplayLines(value));
        memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        // Tab moves to the next field like in every other field; Ctrl+Tab types a tab.
        memo->setTabChangesFocus(true);
        control = memo;
        break;
    }
    default:
        return nullptr;
    }
    control->setObjectName(field.name);
    control->resize(std::max(width, 10), field.kind == FieldMemo ? kMemoHeight : kEditHeight);
    control->setEnabled(field.enabled);
    control->installEventFilter(this);
    if (field.kind == FieldColor || field.kind == FieldFont || field.kind == FieldOpenFile ||
        field.kind == FieldSaveFile) {
        field.button = new QToolButton(m_area);
        field.button->setText(QStringLiteral("..."));
        field.button->setObjectName(field.name + QStringLiteral("_BUTTON"));
        field.button->resize(kEditHeight, control->height());
        field.button->setEnabled(field.enabled);
        field.button->setFocusPolicy(Qt::NoFocus);
        const QString name = field.name;
        connect(field.button, &QToolButton::clicked, this, [this, name] { ChooseForField(name); });
    }
    return control;
}

QWidget* TFormDialog::AddField(int kind, const QString& label, bool sameRow, bool highlight,
                               int width, bool enabled, bool required, const QString& value,
                               const QString& name, bool nonZero, bool nonNegative) {
    if (m_fields.size() >= MaxFields) {
        ShowError(kCaption, QStringLiteral("Перевищено кількість полів діалогу."));
        return nullptr;
    }
    FieldRec field;
    field.kind = kind;
    field.name = name;
    field.sameRow = sameRow && !m_fields.isEmpty();
    field.enabled = enabled;
    field.required = required;
    field.nonZero = nonZero;
    field.nonNegative = nonNegative;
    try {
        field.label = new QLabel(DisplayLines(label), m_area);
        field.label->setObjectName(QStringLiteral("LABEL_") + name);
        if (highlight)
            field.label->setStyleSheet(QStringLiteral("color: blue;"));
        if (kind != FieldCaption) {
            field.control = makeControl(field, width, value);
            if (!field.control) {
                delete field.label;
                ShowError(kCaption, QStringLiteral("Бракує пам’яті для створення поля."));
                return nullptr;
            }
        }
    } catch (const std::bad_alloc&) {
        delete field.label;
        ShowError(kCaption, QStringLiteral("Бракує пам’яті для створення поля."));
        return nullptr;
    }

    // Rows: 8 pixels apart; fields of one row 10 pixels apart.
    QLabel* lab = field.label;
    if (kind == FieldCaption) {
        lab->setWordWrap(true);
        lab->setFixedWidth(std::max(width, 10));
        lab->setFixedHeight(lab->heightForWidth(lab->width()));
    } else {
        lab->adjustSize();
    }
    int x = 8;
    if (field.sameRow) {
        x = m_nextX;
    } else if (!m_fields.isEmpty()) {
        m_rowTop += m_rowHeight + 8;
        m_rowHeight = 0;
    }
    lab->move(x, m_rowTop);
    int right = lab->geometry().right();
    int height = lab->height() < 26 ? 25 : lab->height() + 4;
    if (field.control) {
        field.control->move(lab->geometry().right() + 1 + 8, m_rowTop - 2);
        right = field.control->geometry().right();
        if (field.button) {
            field.button->move(right + 1, field.control->y());
            right = field.button->geometry().right();
        }
        // A memo is taller than a row; the next row starts below it.
        height = std::max(height, field.control->height() + 4);
    }
    m_rowHeight = std::max(m_rowHeight, height);
    m_nextX = right + 1 + 10;
    lab->show();
    if (field.control)
        field.control->show();
    if (field.button)
        field.button->show();
    m_fields.append(field);
    return field.control ? field.control : lab;
}

void TFormDialog::SetFieldFilter(const QString& name, FieldFilter filter) {
    auto* edit = qobject_cast<QLineEdit*>(Field(name));
    if (!edit)
        return;
    switch (filter) {
    case FieldFilter::None:
        break;
    case FieldFilter::Integer:
        FilterEditChars(edit, QStringLiteral("0123456789"));
        break;
    case FieldFilter::Time:
        FilterEditChars(edit, QStringLiteral("0123456789:"));
        break;
    case FieldFilter::DigitsDash:
        FilterEditChars(edit, QStringLiteral("0123456789-"));
        break;
    case FieldFilter::Number:
        FilterEditNumber(edit, 12, 4);
        break;
    }
}

void TFormDialog::SetFileFilter(const QString& filter, const QString& defaultExt,
                                bool multiSelect) {
    m_filter = filter.isEmpty() ? kAllFiles : filter;
    m_defaultExt = defaultExt;
    m_multiSelect = multiSelect;
}

void TFormDialog::LinkField(const QString& fileField, const QString& target) {
    for (FieldRec& f : m_fields)
        if (f.name == fileField)
            f.link = target;
}

void TFormDialog::ArrangeFields() {
    // The controls that start a row line up at the largest left edge; the rest of a row
    // moves along with its first control.
    int column = 0;
    for (const FieldRec& f : m_fields)
        if (f.control && !f.sameRow)
            column = std::max(column, f.control->x());
    int shift = 0;
    int right = 0;
    int bottom = 0;
    for (const FieldRec& f : m_fields) {
        if (!f.sameRow)
            shift = f.control ? column - f.control->x() : 0;
        for (QWidget* w :
             {static_cast<QWidget*>(f.label), f.control, static_cast<QWidget*>(f.button)}) {
            if (!w)
                continue;
            if (w != f.label || f.sameRow)
                w->move(w->x() + shift, w->y());
            right = std::max(right, w->geometry().right() + 1);
            bottom = std::max(bottom, w->geometry().bottom() + 1);
        }
    }
    bottom = std::max(bottom, m_rowTop + m_rowHeight);
    const int width = std::max(right + 12, 250);
    m_area->resize(right + 12, bottom + 8);

    // Grow to fit every row while the screen allows; beyond that the fields scroll.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
    int height = bottom + 35 + kPanelHeight;
    int dialogWidth = width;
    if (height > work.height() - 40) {
        height = work.height() - 40;
        dialogWidth += 20;
    }
    resize(std::min(dialogWidth, work.width()), height);
}

QString TFormDialog::fieldText(const FieldRec& f) const {
    if (auto* edit = qobject_cast<QLineEdit*>(f.control))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(f.control))
        return combo->currentText();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(f.control))
        return memo->toPlainText();
    return {};
}

bool TFormDialog::fail(const FieldRec& f, const QString& text) {
    f.control->setFocus();
    if (!text.isEmpty())
        ShowBalloon(QStringLiteral("Попередження"), text, 2, f.control);
    return false;
}

bool TFormDialog::ValidateFields() {
    for (const FieldRec& f : m_fields) {
        if (!f.control || !f.enabled || !f.required)
            continue;
        if (f.kind == FieldCombo) {
            auto* combo = qobject_cast<QComboBox*>(f.control);
            if (combo->findText(combo->currentText(), Qt::MatchExactly) < 0)
                return fail(f, QStringLiteral("Значення поля повинно бути вибрано з списку."));
        } else if (isTextField(f.kind) && fieldText(f).isEmpty()) {
            return fail(f, QStringLiteral("Поле повинно мати значення."));
        }
    }
    for (const FieldRec& f : m_fields) {
        if (!f.control || !f.enabled || !f.nonZero)
            continue;
        const QString text = fieldText(f);
        switch (f.kind) {
        case FieldEdit:
            if (NumberOr0(text) == 0)
                return fail(f, QStringLiteral("Значення поля не може бути рівним 0."));
            break;
        case FieldCombo:
            if (text.isEmpty())
                return fail(f, QStringLiteral("Поле не має значення."));
            break;
        case FieldOpenFile:
            if (text.isEmpty())
                return fail(f, QStringLiteral("Файл не вибрано."));
            for (const QString& name : text.split(u';', Qt::SkipEmptyParts))
                if (!QFileInfo(name).isFile())
                    return fail(f, QStringLiteral("Файл не існує:\r\"") + name +
                                       QStringLiteral("\"."));
            break;
        case FieldSaveFile:
            if (text.isEmpty())
                return fail(f, QStringLiteral("Файл не вибрано."));
            if (!text.contains(u'/') && !text.contains(u'\\'))
                return fail(f, QStringLiteral("Шлях не вибрано."));
            if (QFileInfo::exists(text) && AskConfirm(QStringLiteral("Файл: \"") + text +
                                                          QStringLiteral("\" існує. Перезаписати?"),
                                                      Answer::Ok | Answer::Cancel) != Answer::Ok)
                return fail(f, QString());
            break;
        default:
            break;
        }
    }
    for (const FieldRec& f : m_fields) {
        if (!f.control || !f.enabled || !f.nonNegative || f.kind != FieldEdit)
            continue;
        const std::optional<double> value = ParseNumber(fieldText(f));
        if (value && *value < 0)
            return fail(f, QStringLiteral("Значення поля не може бути менше 0."));
    }
    return true;
}

void TFormDialog::saveClicked() {
    if (ValidateFields())
        accept();
}

void TFormDialog::SetAskOnClose(bool ask) {
    m_askOnClose = ask;
}

void TFormDialog::reject() {
    if (!m_askOnClose || !m_unsaved.changed(InputSnapshot(*m_area))) {
        QDialog::reject();
        return;
    }
    switch (AskSaveChanges()) {
    case UnsavedAnswer::Save:
        saveClicked();
        break;
    case UnsavedAnswer::Discard:
        QDialog::reject();
        break;
    case UnsavedAnswer::Stay:
        break;
    }
}

void TFormDialog::showEvent(QShowEvent* event) {
    m_unsaved.remember(InputSnapshot(*m_area));
    QDialog::showEvent(event);
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect work = s->availableGeometry();
        move(work.center() - rect().center());
    }
    QWidget* focus = m_save;
    for (const FieldRec& f : m_fields)
        if (f.control && f.enabled) {
            focus = f.control;
            break;
        }
    focus->setFocus();
    QPointer<TFormDialog> self(this);
    QTimer::singleShot(50, this, [self] {
        if (self)
            self->m_area->update();
    });
}

bool TFormDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        for (const FieldRec& f : m_fields) {
            if (f.control != watched || !f.enabled)
                continue;
            if (f.kind == FieldMemo && key->key() == Qt::Key_Tab &&
                key->modifiers() == Qt::ControlModifier) {
                if (auto* memo = qobject_cast<QPlainTextEdit*>(f.control))
                    memo->insertPlainText(QStringLiteral("\t"));
                return true;
            }
            const bool picker = f.kind == FieldColor || f.kind == FieldFont;
            const bool file = f.kind == FieldOpenFile || f.kind == FieldSaveFile;
            if ((key->key() == Qt::Key_F2 && (picker || file)) ||
                (key->key() == Qt::Key_Space && picker)) {
                ChooseForField(f.name);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormDialog::SetChosenFiles(const QString& name, const QStringList& files) {
    const FieldRec* f = find(name);
    auto* edit = f ? qobject_cast<QLineEdit*>(f->control) : nullptr;
    if (!edit || files.isEmpty())
        return;
    edit->setText(files.join(u';'));
    if (!f->link.isEmpty()) {
        if (auto* target = qobject_cast<QLineEdit*>(Field(f->link))) {
            const QFileInfo info(files.first());
            QString file = info.completeBaseName();
            if (!m_defaultExt.isEmpty())
                file += u'.' + m_defaultExt;
            target->setText(QDir::toNativeSeparators(info.dir().filePath(file)));
        }
    }
}

void TFormDialog::ChooseForField(const QString& name) {
    const FieldRec* f = find(name);
    if (!f || !f->enabled)
        return;
    auto* edit = qobject_cast<QLineEdit*>(f->control);
    if (!edit)
        return;
    switch (f->kind) {
    case FieldColor: {
        const QColor chosen = QColorDialog::getColor(QColor::fromString(edit->text()), this);
        SaveUserColors(UserColorsPath());
        if (chosen.isValid())
            showColor(edit, chosen);
        break;
    }
    case FieldFont: {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, edit->font(), this);
        if (ok)
            edit->setFont(font);
        break;
    }
    case FieldOpenFile: {
        QFileDialog dialog(this, QStringLiteral("Відкрити файл"), edit->text().section(u';', 0, 0),
                           FileDialogFilter(m_filter));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(m_multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        if (!m_defaultExt.isEmpty())
            dialog.setDefaultSuffix(m_defaultExt);
        if (dialog.exec() == QDialog::Accepted)
            SetChosenFiles(name, dialog.selectedFiles());
        break;
    }
    case FieldSaveFile: {
        QFileDialog dialog(this, QStringLiteral("Зберегти файл"), edit->text(),
                           FileDialogFilter(m_filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The overwrite question comes from the field's own check.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!m_defaultExt.isEmpty())
            dialog.setDefaultSuffix(m_defaultExt);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            edit->setText(QDir::toNativeSeparators(dialog.selectedFiles().first()));
        break;
    }
    default:
        break;
    }
}

TFormDialog& FormDialog() {
    static QPointer<TFormDialog> dialog;
    if (!dialog) {
        dialog = new TFormDialog();
        KeepUntilApplicationEnds(dialog);
    }
    return *dialog;
}
