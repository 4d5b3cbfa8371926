#include "catalogue/refs/FormPriceImport.h"

#include "common/Messages.h"
#include "common/ui/MinimizeWithApplication.h"
#include "widgets/GridView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

/** Rows shown in the preview; the import reads them all. */
constexpr int PreviewRows = 200;

/** "A", "B", ... "Z", "AA": the column's letters as a spreadsheet names them. */
QString ColumnLetters(int col) {
    QString letters;
    for (int n = col + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QComboBox* ColumnChoice(const QString& name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setMinimumWidth(200);
    return combo;
}

} // namespace

TFormPriceImport::TFormPriceImport(Connection& catalogue, QWidget* parent)
    : QDialog(parent), m_catalogue(catalogue) {
    setObjectName(QStringLiteral("FormPriceImport"));
    setWindowTitle(QStringLiteral("Імпорт цін у збірник"));
    setModal(true);
    MinimizeWithApplication(this);
    resize(900, 620);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Вкажіть, у яких стовпцях файлу розділ, назва, одиниця виміру та ціна "
                       "(тис. грн за одиницю), з якого рядка починаються дані і на який рік "
                       "ціни."),
        this));
    GridPreview = new GridView(this);
    GridPreview->setObjectName(QStringLiteral("GridPreview"));
    layout->addWidget(GridPreview, 1);

    auto* form = new QGridLayout;
    ECategory = ColumnChoice(QStringLiteral("ECategory"), this);
    EName = ColumnChoice(QStringLiteral("EName"), this);
    EUnit = ColumnChoice(QStringLiteral("EUnit"), this);
    EPrice = ColumnChoice(QStringLiteral("EPrice"), this);
    EFirstRow = new QSpinBox(this);
    EFirstRow->setObjectName(QStringLiteral("EFirstRow"));
    EFirstRow->setRange(1, 1000000);
    EYear = new QLineEdit(QString::number(QDate::currentDate().year()), this);
    EYear->setObjectName(QStringLiteral("EYear"));
    EYear->setMaximumWidth(80);
    const auto add = [&](int row, int col, const QString& caption, QWidget* control) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(control);
        form->addWidget(label, row, col);
        form->addWidget(control, row, col + 1);
    };
    add(0, 0, QStringLiteral("Назва:"), EName);
    add(1, 0, QStringLiteral("Одиниця виміру:"), EUnit);
    add(2, 0, QStringLiteral("Ціна, тис. грн:"), EPrice);
    add(0, 2, QStringLiteral("Розділ:"), ECategory);
    add(1, 2, QStringLiteral("Перший рядок даних:"), EFirstRow);
    add(2, 2, QStringLiteral("Рік, на 1 січня якого ціни:"), EYear);
    form->setColumnStretch(4, 1);
    layout->addLayout(form);
    CReplace = new QCheckBox(QStringLiteral("Вилучити записи, що є у збірнику зараз"), this);
    CReplace->setObjectName(QStringLiteral("CReplace"));
    CReplace->setChecked(true);
    layout->addWidget(CReplace);
    LabelSummary = new QLabel(this);
    LabelSummary->setObjectName(QStringLiteral("LabelSummary"));
    LabelSummary->setWordWrap(true);
    layout->addWidget(LabelSummary);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BImport = new QPushButton(QStringLiteral("Імпортувати"), this);
    BImport->setObjectName(QStringLiteral("BImport"));
    BImport->setDefault(true);
    BCancel = new QPushButton(QStringLiteral("Скасувати"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    buttons->addWidget(BImport);
    buttons->addWidget(BCancel);
    layout->addLayout(buttons);

    for (QComboBox* combo : {ECategory, EName, EUnit, EPrice})
        connect(combo, &QComboBox::currentIndexChanged, this, &TFormPriceImport::mappingChanged);
    connect(EFirstRow, &QSpinBox::valueChanged, this, &TFormPriceImport::mappingChanged);
    connect(BImport, &QPushButton::clicked, this, &TFormPriceImport::BImportClick);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TFormPriceImport::setFile(const QString& path) {
    QString error;
    if (!ReadPriceTable(path, m_table, &error)) {
        ShowError(QStringLiteral("Імпорт цін"), error);
        return false;
    }
    if (m_table.rows.empty()) {
        ShowWarning(QStringLiteral("У файлі \"%1\" немає жодного рядка.")
                        .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    setWindowTitle(QStringLiteral("Імпорт цін у збірник: ") + QDir::toNativeSeparators(path));

    const int cols = std::max(1, m_table.columnCount());
    const int rows = std::min<int>(PreviewRows, static_cast<int>(m_table.rows.size()));
    StringGrid preview(cols + 1, rows + 1, 1, 1);
    preview.set(0, 0, QStringLiteral("Рядок"));
    for (int col = 0; col < cols; ++col)
        preview.set(0, col + 1, ColumnLetters(col));
    for (int row = 0; row < rows; ++row) {
        preview.set(row + 1, 0, QString::number(row + 1));
        for (int col = 0; col < cols; ++col)
            preview.set(row + 1, col + 1, m_table.at(row, col));
    }
    *GridPreview->grid() = preview;
    QList<GridColumn> columns;
    GridColumn number = GridColumn::text(QString(), 50);
    number.readOnly = true;
    columns << number;
    for (int col = 0; col < cols; ++col) {
        GridColumn c = GridColumn::text(QString(), col == 0 ? 260 : 120);
        c.readOnly = true;
        columns << c;
    }
    GridPreview->setColumns(columns);
    GridPreview->refresh();

    fillColumnChoices();
    return true;
}

void TFormPriceImport::fillColumnChoices() {
    const PriceMapping guess = GuessPriceMapping(m_table);
    const int headingRow = guess.firstRow - 1;
    m_filling = true;
    for (QComboBox* combo : {ECategory, EName, EUnit, EPrice}) {
        combo->clear();
        combo->addItem(QStringLiteral("(немає)"), -1);
        for (int col = 0; col < m_table.columnCount(); ++col) {
            const QString heading = m_table.at(headingRow, col).simplified();
            combo->addItem(heading.isEmpty() ? ColumnLetters(col)
                                             : ColumnLetters(col) + QStringLiteral(": ") + heading,
                           col);
        }
    }
    const auto choose = [](QComboBox* combo, int col) {
        combo->setCurrentIndex(std::max(0, combo->findData(col)));
    };
    choose(ECategory, guess.category);
    choose(EName, guess.name);
    choose(EUnit, guess.unit);
    choose(EPrice, guess.price);
    EFirstRow->setValue(guess.firstRow + 1);
    m_filling = false;
    mappingChanged();
}

PriceMapping TFormPriceImport::mapping() const {
    PriceMapping m;
    m.category = ECategory->currentData().toInt();
    m.name = EName->currentData().toInt();
    m.unit = EUnit->currentData().toInt();
    m.price = EPrice->currentData().toInt();
    m.firstRow = EFirstRow->value() - 1;
    return m;
}

void TFormPriceImport::mappingChanged() {
    if (m_filling)
        return;
    const PriceMapping m = mapping();
    if (m.name < 0 || m.price < 0) {
        m_import = PriceImport();
        LabelSummary->setText(QStringLiteral("Вкажіть стовпці з назвою та ціною."));
        return;
    }
    m_import = BuildPriceRows(m_table, m);
    LabelSummary->setText(QStringLiteral("Буде занесено рядків: %1, пропущено: %2.")
                              .arg(m_import.rows.size())
                              .arg(m_import.skipped.size()));
}

void TFormPriceImport::BImportClick() {
    const PriceMapping m = mapping();
    const QString title = QStringLiteral("Попередження");
    if (m.name < 0) {
        EName->setFocus();
        ShowBalloon(title, QStringLiteral("Вкажіть стовпець з назвою."), 2, EName);
        return;
    }
    if (m.price < 0) {
        EPrice->setFocus();
        ShowBalloon(title, QStringLiteral("Вкажіть стовпець з ціною."), 2, EPrice);
        return;
    }
    if (!IsPriceYear(EYear->text())) {
        EYear->setFocus();
        ShowBalloon(title, QStringLiteral("Рік цін має бути цілим числом від 1990 до 2100."), 2,
                    EYear);
        return;
    }
    mappingChanged();
    if (m_import.rows.empty()) {
        ShowWarning(QStringLiteral("Жодного рядка з назвою та ціною не знайдено, збірник не "
                                   "змінено.\r") +
                    PriceImportReport(m_import));
        return;
    }
    QString error;
    if (!StorePriceRows(m_catalogue, m_import.rows, EYear->text(), CReplace->isChecked(), &error)) {
        ShowError(QStringLiteral("Імпорт цін"),
                  QStringLiteral("Збірник не змінено.\rПомилка: ") + error);
        return;
    }
    ShowInfo(PriceImportReport(m_import));
    accept();
}
