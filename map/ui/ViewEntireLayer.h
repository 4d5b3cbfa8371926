#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;
class QLabel;

/** The window "Показати шар повністю": pick a layer, or "(все)", to show whole. */
class TFormViewEntireLayer : public QDialog {
    Q_OBJECT
public:
    /** The entry that stands for all layers together. */
    static QString allLayersEntry() { return QStringLiteral("(все)"); }

    explicit TFormViewEntireLayer(const QStringList& layerNames, QWidget* parent = nullptr);
    /** The chosen entry (a layer name or "(все)"). */
    QString chosen() const;

    QLabel* LabelLayers;
    QListWidget* ListBoxLayers;
    QPushButton* BOk;
    QPushButton* BCancel;
};
