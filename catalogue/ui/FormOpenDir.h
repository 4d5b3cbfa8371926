#pragma once

#include <QDialog>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

/** The folder chooser: a tree of the file system with a path edit and "Нова папка". */
class TFormOpenDir : public QDialog {
    Q_OBJECT
public:
    TFormOpenDir(const QString& start, const QString& prompt, QWidget* parent = nullptr);
    QString selectedFolder() const;
    /** Moves the tree to a folder; false when it does not exist. */
    bool goTo(const QString& path);
    /** Creates a folder inside the selected one and selects it; an empty name is an error. */
    bool createFolder(const QString& name);
    /**
     * Moves the tree to the folder typed in the path edit; a path that does not exist gives
     * the balloon "Шлях не існує" and false.
     */
    bool followEdit();

    QTreeView* TreeView = nullptr;
    QLineEdit* EditPath = nullptr;
    QPushButton* BOk = nullptr;
    QPushButton* BNewFolder = nullptr;
    QLabel* PanelPrompt = nullptr;

public slots:
    /** "Ok": first the typed path, which must exist. */
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void updateButtons();
    QFileSystemModel* m_model = nullptr;
    bool m_following = false; ///< the tree follows the edit while the user types
};

/** Lets the user choose a folder; the path comes back without a trailing separator. */
bool ChooseFolder(QString& path, const QString& prompt, QWidget* parent = nullptr);
