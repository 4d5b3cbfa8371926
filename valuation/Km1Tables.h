#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

/** One choice of a Km1 table: its option ("1".."6", or "No" for "НІ"), captions, coefficient. */
struct Km1Option {
    QString option;
    /** The caption of the radio button. */
    QString caption;
    /** The population range of the status table ("20.0 - 49.9"); empty elsewhere. */
    QString population;
    double coefficient = 1.0;
};

/** One of the four coefficient tables of the Km1 window (one tab each). */
struct Km1Table {
    /** The tab's title ("Адміністративний статус"). */
    QString tab;
    /** The table's subject after "КОЕФІЦІЄНТИ,". */
    QString subject;
    /** The column headings over the options. */
    QStringList columns;
    /** The options, "НІ" (option "No", coefficient 1) last. */
    std::vector<Km1Option> options;
};

/** The option of "НІ": no coefficient of the table. */
QString Km1NoOption();

/** The four tables in order: status, suburban, resort, contamination. */
const std::array<Km1Table, 4>& Km1Tables();

/** The chosen options, one per table. */
using Km1Options = std::array<QString, 4>;

/**
 * Reads an options text ("3;No;No;2"): four fields split at ";"; a missing or empty field,
 * or one that names no option of its table, is "No".
 */
Km1Options ParseKm1Options(const QString& text);
/** The options text: the four fields joined with ";". */
QString Km1OptionsText(const Km1Options& options);

/** The coefficient of a table's option; 1 for "No" and unknown options. */
double Km1Coefficient(int table, const QString& option);
/** Km1: the product of the chosen coefficients of all four tables. */
double CalcKm1(const Km1Options& options);
/** Km1 as the window shows it, "0.000". */
QString Km1Text(const Km1Options& options);

/** A reference link of the Km1 window: its text and its document under the program folder. */
struct Km1Link {
    QString text;
    /** The document's path relative to the program folder ("data/курортні.htm"). */
    QString document;
    /** The table whose tab shows the link (0..3). */
    int table = 0;
};

/** The reference links, in the order the tabs show them. */
const std::vector<Km1Link>& Km1Links();
