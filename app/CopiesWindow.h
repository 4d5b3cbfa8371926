#pragma once

#include "db/Backup.h"

#include <QDialog>
#include <functional>
#include <vector>

class Connection;
class QPushButton;
class QTreeWidget;

/**
 * "Автоматичні копії": the automatic copies of one settlement's database, newest first, with
 * their date, size and the step that was being stored; a chosen one is restored after one
 * question, the current database first kept as a copy of its own.
 */
class TFormCopies : public QDialog {
    Q_OBJECT
public:
    /**
     * The copies in `copiesFolder` of the settlement `name`; restoring writes into
     * `settlement`, which `openSettlement` points at the settlement's database first.
     */
    TFormCopies(const QString& name, const QString& copiesFolder, Connection& settlement,
                std::function<bool()> openSettlement, QWidget* parent = nullptr);

    /** Re-reads the folder; false when it holds no copy. */
    bool reload();
    /** Restores the selected copy after asking; true when it was restored. */
    bool BRestoreClick();
    /** Called after a restore, so the main window re-reads the settlement. */
    void setRestored(std::function<void()> restored) { m_restored = std::move(restored); }

    QTreeWidget* ListCopies = nullptr;
    QPushButton* BRestore = nullptr;
    QPushButton* BOpenFolder = nullptr;
    QPushButton* BClose = nullptr;

private:
    QString m_name;
    QString m_folder;
    Connection& m_settlement;
    std::function<bool()> m_openSettlement;
    std::function<void()> m_restored;
    std::vector<backup::CopyInfo> m_copies;
};

/** "Автоматичних копій ... ще немає" for the settlement. */
QString NoCopiesText(const QString& name);
/** A size in the copies list: "850 КБ", "12.3 МБ". */
QString CopySizeText(qint64 bytes);
