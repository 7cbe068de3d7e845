#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "formats/caselayout.h"
#include "formats/inputrules.h"
#include "gridcopy.h"

// Names and gnuplot scripts of the field maps of head, piston and side wall.
namespace FieldMaps {

// The names that tell one surface from another.
struct Surface
{
    formats::caselayout::Surface id;
    QString title;            // shown in progress and messages: "Head"
    QString subdir;           // subdirectory of the case directory: "head"
    QString firstDiagnostic;  // first console line, before the directory
    ResultLayout layout;
};

const Surface &surface(formats::caselayout::Surface id);
const Surface &headSurface();
const Surface &pistonSurface();
const Surface &sideSurface();

// The three scripts every output step writes into ExecutingFiles.
QString densityScriptName();
QString pressureScriptName();
QString velocityScriptName();
QStringList scriptNames();

// Names inside the surface directory: "head007.txt", "head007_mod.txt".
QString resultFileName(const Surface &surface, int step);
QString gridCopyFileName(const Surface &surface, int step);

// Names of one output step as the scripts see them from ExecutingFiles.
struct StepFiles
{
    QString gridCopy;   // "../Case/head/head001_mod.txt"
    QString density;    // "../Case/head/head001_density.png"
    QString pressure;
    QString velocity;
};
StepFiles stepFiles(const QString &caseName, const Surface &surface, int step);

// Density or pressure: what tells their scripts apart.
struct ColourQuantity
{
    QString cblabel;    // "density [kg/m3]"
    int planarField;    // colour column of head and piston
    int sideField;      // colour column of the side wall
};
const ColourQuantity &density();
const ColourQuantity &pressure();

// Head and piston scripts.
QStringList planarColourScript(const ColourQuantity &quantity, const QString &mapName,
                               const QString &gridCopy);
QStringList planarVelocityScript(const StepFiles &files, double arrowScale);

// Side wall scripts. The colour script is written in three pieces: the lines
// before the pocket outlines, the outlines with the plot command, the closing line.
QStringList sideColourScriptHead(const ColourQuantity &quantity, const QString &mapName,
                                 double r1, double r2, const ValueRange &range);
QString sideColourScriptTail();
QStringList sideVelocityScript(const StepFiles &files, double arrowScale);

// Valve counts for which pocket outlines and the plot command are written:
// those a case may have, one pocket angle each.
constexpr int maxValvesPerKind = formats::inputrules::pocketAnglesPerKind;
bool validValveCount(int count);

// Pocket outline definitions (suction nS..1, then discharge nD..1) and, when
// both counts are valid, the splot command with the surface coloured by
// colourField and every pocket outline. Angles are in degrees, one per valve.
QStringList pocketPlotLines(int colourField, int nSuction, int nDischarge,
                            const QString &gridCopy, const QList<double> &suctionAngles,
                            const QList<double> &dischargeAngles);

// What the side wall's colour maps draw over the wall: its radius, the pocket
// radius and the pockets of each kind (counts and angles in degrees).
struct PocketLayout
{
    double wallRadius = 0;   // r1, m
    double pocketRadius = 0; // r2, m
    int suctionValves = 0;
    int dischargeValves = 0;
    QList<double> suctionAngles;
    QList<double> dischargeAngles;
};

// A side colour script whole: its first lines, the pocket outlines with the
// plot command coloured by the quantity, the closing line.
QStringList sideColourScript(const ColourQuantity &quantity, const QString &mapName, const QString &gridCopy,
                             const PocketLayout &pockets, const ValueRange &range);

// A number as a QTextStream with default settings writes it: 1e10 -> "1e+10".
QString streamNumber(double value);

} // namespace FieldMaps
