#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QVector>

#include "formats/caselayout.h"
#include "params/parameters.h"

#include <array>

class QIODevice;

// Surface-averaged heat-transfer coefficients of head, piston and side wall
// from the solver's result files (flat-plate correlation), their table
// "alpha_on_HPS.txt" and the script of its diagram.
namespace AlphaCoefficient {

using Surface = formats::caselayout::Surface;
using formats::caselayout::surfaces;

// Result file fields the correlation reads (formats/surfacecolumns.h): the
// velocity components are those along the surface's map.
struct SurfaceFields
{
    int density;
    int pressure;
    int u;
    int v;
};
SurfaceFields fieldsOf(Surface surface);

QString subdirectory(Surface surface);             // "head"
QString resultFileName(Surface surface, int step); // "head001.txt"

// Specific gas constant in J/(kg K) from the molar mass in g/mol; 287.0 for
// molar masses of 1e-05 or less (an empty field).
double gasConstant(double molarMass);
double specificHeat(double gamma, double gasConstant);

struct Gas
{
    double cp = 0;        // J/(kg K)
    double viscosity = 0; // Pa s
    double length = 0;    // characteristic length, half the piston diameter, m
};

// The gas data from the form's values: L = 0.5 d_P, cp = gamma/(gamma-1) Rg.
Gas makeGas(double pistonDiameter, double gamma, double molarMass, double viscosity);

// The same from the parameters' texts: piston diameter, gamma, molar mass and
// viscosity, each a number or 0.
QList<Parameter> gasParameters();
Gas gasOf(const FieldTexts &texts);

// What one result file yields: the mean speed and the density on the first
// line of highest (positive) pressure.
struct SurfaceSample
{
    int lines = 0;
    double speedSum = 0;
    double peakPressure = 0;
    double peakDensity = 0;

    bool hasPeak() const { return peakPressure > 0; }
    double meanSpeed() const { return lines > 0 ? speedSum / lines : 0.0; }
};

// Reads every line of a result file; lines with fewer fields than the surface
// needs (blank lines, headers) are left out.
SurfaceSample readSample(QIODevice &file, Surface surface);

// alpha = cp * rho * U * (1/0.87) * (0.615 / ln Re)^2 with Re = U L rho / mu,
// products in this order. NaN where the correlation is undefined (Re <= 1 or
// not finite) so that gnuplot leaves the point out; never an infinity.
double coefficient(double density, double meanSpeed, const Gas &gas);
double coefficient(const SurfaceSample &sample, const Gas &gas);

// Coefficient of one result file; NaN when it cannot be opened.
double fileCoefficient(const QString &fileName, Surface surface, const Gas &gas);

using Row = std::array<double, 3>; // head, piston, side

// One row per output step 1..steps from the case's surface subdirectories.
QVector<Row> computeTable(const QDir &caseDir, int steps, const Gas &gas);

// Step and the three coefficients, each right-aligned in 18 characters,
// 8 significant digits (like printf's %.8g), no line end.
QString tableLine(int step, const Row &row);

// Writes the table (step numbers from 1) to fileName; false with the file's
// reason in *error.
bool writeTable(const QString &fileName, const QVector<Row> &rows, QString *error);

// "gp_a.txt" plotting "../<case>/alpha_on_HPS.txt" into "Alpha.png".
QStringList plotScript(const QString &caseName);

inline QString tableFileName() { return QStringLiteral("alpha_on_HPS.txt"); }
inline QString scriptName() { return QStringLiteral("gp_a.txt"); }
inline QString imageName() { return QStringLiteral("Alpha.png"); }

// The case directory beside startDir (normally ExecutingFiles); false with
// the message in *error when the name is empty, the directory is missing or
// the name points back at the root or at startDir itself.
bool locateCase(const QDir &startDir, const QString &caseName, QDir *caseDir, QString *error);

} // namespace AlphaCoefficient
