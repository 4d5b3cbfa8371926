#pragma once

#include "gis/PlotExtract.h"
#include "gis/RegisterOutputs.h"
#include "gis/RegisterValuation.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

/** The columns of the register's grid, in their order. */
enum RegisterColumn {
    ColCadastral,
    ColAddress,
    ColPurpose,
    ColCategory,
    ColKf,
    ColStatedHa,
    ColDrawnHa,
    ColValuePerSqM,
    ColValue,
    ColIndexedValue,
    ColReason,
    RegisterColumnCount
};

/** The role that gives a cell's sort key: numbers as numbers, texts as texts. */
constexpr int RegisterSortRole = Qt::UserRole + 1;

/** A register read and valued: the plots and their valuations, index by index. */
struct RegisterData {
    std::vector<RegisterPlot> plots;
    std::vector<ValuedPlot> valued;
    /** The classifier's name of a purpose code (may be empty). */
    PurposeName purposeName;
};

/** The text of a cell of the grid: numbers as the register writes them, "" when none. */
QString RegisterCellText(const RegisterData& data, size_t plot, int column);

/** What the valuer sees of a plot when pointing at its row: its notes, source and reason. */
QString RegisterRowHint(const RegisterData& data, size_t plot);

/** The line under the grid: how many plots, valued, not valued, and the sums. */
QString RegisterSummary(const RegisterData& data);

/** The extract of a valued plot: its numbers, shape and valuation. */
ExtractPlot ExtractPlotOf(const RegisterPlot& plot, const ValuedPlot& valued,
                          const PurposeName& purposeName);

/**
 * "" when a register or its layer may be written at `path`, else the one-line reason: it
 * must not replace a file of the settlement's folder nor one of the sources read.
 */
QString RegisterOutputProblem(const QString& path, const QString& settlementFolder,
                              const QStringList& sources);

/** The register as a table of plots for a grid; each row is a plot of the data, in order. */
class RegisterTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    /** Shows the register (the model keeps a copy). */
    void setRegister(RegisterData data);
    const RegisterData& data() const { return m_data; }
    bool isValued(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    RegisterData m_data;
    /** The numbers of each row by column, read once: sorting asks for them many times. */
    std::vector<std::array<double, RegisterColumnCount>> m_numbers;
};

/** Sorts the register's rows by their keys and may show only the plots not valued. */
class RegisterFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit RegisterFilterModel(QObject* parent = nullptr);

    void setNotValuedOnly(bool only);
    bool notValuedOnly() const { return m_notValuedOnly; }
    /** The plot (a row of the source model) a row of this model shows. */
    int plotOf(int row) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    bool m_notValuedOnly = false;
};
