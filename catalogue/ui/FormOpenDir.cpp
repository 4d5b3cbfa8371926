#include "catalogue/ui/FormOpenDir.h"

#include "common/FileUtils.h"
#include "common/Messages.h"
#include "common/ui/InputQuery.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
/** The last folder chosen in this run. */
QString g_lastFolder;
} // namespace

TFormOpenDir::TFormOpenDir(const QString& start, const QString& prompt, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TFormOpenDir"));
    setWindowTitle(QStringLiteral("Вибрати директорію"));
    resize(420, 480);
    auto* layout = new QVBoxLayout(this);
    PanelPrompt = new QLabel(prompt, this);
    PanelPrompt->setWordWrap(true);
    PanelPrompt->setVisible(!prompt.isEmpty());
    layout->addWidget(PanelPrompt);
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QDir::rootPath());
    TreeView = new QTreeView(this);
    TreeView->setModel(m_model);
    for (int c = 1; c < m_model->columnCount(); ++c)
        TreeView->hideColumn(c);
    TreeView->header()->hide();
    layout->addWidget(TreeView, 1);
    EditPath = new QLineEdit(this);
    EditPath->setObjectName(QStringLiteral("EditPath"));
    layout->addWidget(EditPath);
    auto* buttons = new QHBoxLayout;
    BNewFolder = new QPushButton(QStringLiteral("Нова папка"), this);
    BOk = new QPushButton(QStringLiteral("Ok"), this);
    BOk->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Скасувати"), this);
    buttons->addWidget(BNewFolder);
    buttons->addStretch();
    buttons->addWidget(BOk);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(BOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BNewFolder, &QPushButton::clicked, this, [this] {
        QString name;
        if (InputQuery(QStringLiteral("Нова папка"), QStringLiteral("Ім'я папки"), name))
            createFolder(name);
    });
    connect(TreeView->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        // While the user types, the tree follows the edit and the edit keeps what was typed.
        const QString path = selectedFolder();
        if (!m_following && EditPath->text() != path)
            EditPath->setText(path);
        updateButtons();
    });
    connect(EditPath, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!FolderExistsQuiet(text))
            return;
        m_following = true;
        goTo(text);
        m_following = false;
    });
    connect(EditPath, &QLineEdit::editingFinished, this, [this] { followEdit(); });
    // Enter in the edit moves the tree; it never closes the window.
    EditPath->installEventFilter(this);
    QString first = FolderExistsQuiet(start)
                        ? start
                        : (FolderExistsQuiet(g_lastFolder) ? g_lastFolder : QString());
    if (first.isEmpty() || !goTo(first))
        TreeView->setCurrentIndex(m_model->index(0, 0));
    updateButtons();
}

bool TFormOpenDir::followEdit() {
    const QString path = EditPath->text();
    if (path == selectedFolder())
        return true;
    if (goTo(path))
        return true;
    ShowBalloon(QString(), QStringLiteral("Шлях не існує"), 2, EditPath);
    return false;
}

bool TFormOpenDir::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditPath && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            followEdit();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormOpenDir::accept() {
    // A typed path that does not exist is not quietly replaced by the tree's folder.
    if (!followEdit())
        return;
    QDialog::accept();
}

QString TFormOpenDir::selectedFolder() const {
    return ExcludeTrailingBackslashes(m_model->filePath(TreeView->currentIndex()));
}

bool TFormOpenDir::goTo(const QString& path) {
    if (!FolderExistsQuiet(path))
        return false;
    const QModelIndex index = m_model->index(QDir::cleanPath(QDir(path).absolutePath()));
    if (!index.isValid())
        return false;
    TreeView->setCurrentIndex(index);
    TreeView->scrollTo(index);
    TreeView->expand(index);
    return true;
}

bool TFormOpenDir::createFolder(const QString& name) {
    const QString parent = selectedFolder();
    if (name.trimmed().isEmpty() || !QDir(parent).mkdir(name)) {
        ShowError(QStringLiteral("Нова папка"),
                  QStringLiteral("Помилка створення директорії: \"") + name + u'"');
        return false;
    }
    // The new child is selected, its name compared ignoring case.
    for (const QString& entry : QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return goTo(JoinPath(parent, entry));
    return goTo(JoinPath(parent, name));
}

void TFormOpenDir::updateButtons() {
    const bool exists = FolderExistsQuiet(selectedFolder());
    BOk->setEnabled(exists);
    BNewFolder->setEnabled(exists);
}

void TFormOpenDir::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F5) {
        const QString path = selectedFolder();
        m_model->setRootPath(QString());
        m_model->setRootPath(QDir::rootPath());
        goTo(path);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormOpenDir::done(int result) {
    g_lastFolder = selectedFolder();
    QDialog::done(result);
}

bool ChooseFolder(QString& path, const QString& prompt, QWidget* parent) {
    TFormOpenDir form(path, prompt, parent);
    if (form.exec() != QDialog::Accepted)
        return false;
    path = form.selectedFolder();
    return true;
}
