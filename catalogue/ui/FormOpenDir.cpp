#include "catalogue/ui/FormOpenDir.h"

#include "common/FileUtils.h"
#include "common/Messages.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
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
        bool ok = false;
        const QString name =
            QInputDialog::getText(this, QStringLiteral("Нова папка"), QStringLiteral("І'мя папки"),
                                  QLineEdit::Normal, QString(), &ok);
        if (ok && !name.isEmpty())
            createFolder(name);
    });
    connect(TreeView->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        const QString path = selectedFolder();
        if (EditPath->text() != path)
            EditPath->setText(path);
        updateButtons();
    });
    connect(EditPath, &QLineEdit::editingFinished, this, [this] {
        const QString path = EditPath->text();
        if (path != selectedFolder() && !goTo(path))
            ShowBalloon(QString(), QStringLiteral("Шлях не існує"), 2, EditPath);
    });
    QString first = FolderExistsQuiet(start)
                        ? start
                        : (FolderExistsQuiet(g_lastFolder) ? g_lastFolder : QString());
    if (first.isEmpty() || !goTo(first))
        TreeView->setCurrentIndex(m_model->index(0, 0));
    updateButtons();
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
    if (!QDir(parent).mkdir(name)) {
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
