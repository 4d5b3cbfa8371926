#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

/** A point of an exchange file: its number and geodetic coordinates (X north, Y east). */
struct ExPoint {
    QString uidp;
    double x = 0;
    double y = 0;
};

/** A line of an exchange file: its number and the numbers of its points in order. */
struct ExLine {
    QString ulid;
    QStringList points;
};

/** A boundary line of a parcel: the line's number, optionally the part FP..TP of it. */
struct ExBoundaryLine {
    QString ulid;
    QString from;
    QString to;
};

/** A parcel with its boundary lines (outer, then any holes) and its descriptive data. */
struct ExParcel {
    QString id;
    QString purpose;
    QString area;
    QString areaUnit = QStringLiteral("га");
    std::vector<ExBoundaryLine> outer;
    std::vector<std::vector<ExBoundaryLine>> holes;
    QString street;
    QString building;
};

/** An exchange file of one cadastral zone and quarter. */
struct ExFile {
    /** The element under CoordinateSystem ("SC42", "USC2000", "Local"...). */
    QString system = QStringLiteral("SC42");
    QString systemZone; ///< SC63's zone ("X", "C", "P", "T"); "" for none
    QString zone = QStringLiteral("1234567890:01");
    QString quarter = QStringLiteral("2");
    std::vector<ExPoint> points;
    std::vector<ExLine> lines;
    std::vector<ExParcel> parcels;
    bool cp1251 = false; ///< written in windows-1251 (else UTF-8)
};

/** The name and the tax number of the owner every generated parcel carries. */
QString ExOwnerName();
QString ExOwnerTaxNumber();

/**
 * The file's XML as the cadastre's exchange format has it, with an owner (name, passport,
 * tax number) under each parcel and the surveyor in the service part.
 */
QByteArray ExchangeXml(const ExFile& file);

/** Writes it to the path; fails the test on an error. */
void WriteExchangeFile(const QString& path, const ExFile& file);

/**
 * Two neighbouring 100 m squares sharing a boundary line (parcel 1 with a 20 m hole, parcel 2
 * listing its lines out of order and the shared one backwards), a parcel naming a missing
 * line, one whose line names a missing point, and the second square again with its south
 * edge taken as a part (FP..TP, backwards) of a longer line; points offset by (`north`,
 * `east`).
 */
ExFile SampleExchange(double north, double east);
