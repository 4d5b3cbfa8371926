#pragma once

#include <QDialog>
#include <QStringList>

class CheckList;
class QPushButton;

/**
 * "Вкажіть райони": the districts as a check list in five columns, with "Усі" and "Ні";
 * "Ок" closes with 6, "Скасувати" (or Escape) with 2.
 */
class TFormOtsenkaSelectRaions : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResultOk = 6;
    static constexpr int ResultCancel = 2;

    /** The district numbers, all unchecked. */
    explicit TFormOtsenkaSelectRaions(const QStringList& districts, QWidget* parent = nullptr);

    /** The checked district numbers in list order. */
    QStringList checkedDistricts() const;

    CheckList* ListRaions = nullptr;
    QPushButton* BAll = nullptr;
    QPushButton* BNone = nullptr;
    QPushButton* BOk = nullptr;
    QPushButton* BCancel = nullptr;

    void reject() override;
};
