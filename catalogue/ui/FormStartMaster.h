#pragma once

#include "catalogue/core/Catalogue.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

/**
 * The new-project wizard: the administrative unit chosen from the classifier, then the
 * settlements found under it, edited by hand. Kept for the whole run; its tree is loaded once.
 */
class TFormStartMaster : public QDialog {
    Q_OBJECT
public:
    explicit TFormStartMaster(QWidget* parent = nullptr);

    /** Shows the wizard; true with the results filled when it was saved. */
    bool run(catalogue::NewProject& project);

    QString ProjectCoatuu() const;
    QString ProjectName() const;
    QStringList SettlementEntries() const;

    void LoadDistricts();
    /** Loads a node's children if only the placeholder is there. */
    void LoadChildren(QTreeWidgetItem* node);
    void BNextClick();
    void BSaveClick();
    void IncludeBtnClick();
    void IncAllBtnClick();
    void ExcludeBtnClick();
    void ExAllBtnClick();
    void NewBtnClick();
    void EditBtnClick();

    QTabWidget* PageControl = nullptr;
    QTreeWidget* TreeViewDistr = nullptr;
    QLineEdit* EProjectCoatuu = nullptr;
    QLineEdit* EProjectName = nullptr;
    QListWidget* SrcList = nullptr;
    QListWidget* DstList = nullptr;
    QLineEdit* EEditValue = nullptr;
    QPushButton* IncludeBtn = nullptr;
    QPushButton* IncAllBtn = nullptr;
    QPushButton* ExcludeBtn = nullptr;
    QPushButton* ExAllBtn = nullptr;
    QPushButton* BNext = nullptr;
    QPushButton* BSave = nullptr;
    QPushButton* BCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void moveSelected(QListWidget* from, QListWidget* to);
    void moveAll(QListWidget* from, QListWidget* to);
    void updateButtons();
    /** The edit's text is not empty and not listed yet (ignoring `skip`); else a balloon. */
    bool editValueUsable(int skip);
    static int depthOf(const QTreeWidgetItem* node);
    static QStringList texts(const QListWidget* list);
};
