#include "alphacoefficient.h"

#include "formats/gas.h"
#include "formats/surfacecolumns.h"

#include "fieldmapscripts.h"
#include "text/textfields.h"
#include "valvediagram.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <cmath>
#include <limits>

namespace AlphaCoefficient {

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(AlphaCoefficient)
};

constexpr double undefined = std::numeric_limits<double>::quiet_NaN();

// The double nearest to 1/0.87.
constexpr double inversePlateFactor = 1.1494252873563218;

} // namespace

SurfaceFields fieldsOf(Surface surface)
{
    namespace planar = formats::surfacecolumns::planar;
    namespace side = formats::surfacecolumns::side;
    if (surface == Surface::Side)
        return {side::density, side::pressure, side::velocityAlongWall, side::velocityAxial};
    return {planar::density, planar::pressure, planar::velocityX, planar::velocityY};
}

QString subdirectory(Surface surface)
{
    return FieldMaps::surface(surface).subdir;
}

QString resultFileName(Surface surface, int step)
{
    return FieldMaps::resultFileName(FieldMaps::surface(surface), step);
}

double gasConstant(double molarMass)
{
    return formats::gas::specificGasConstant(molarMass);
}

double specificHeat(double gamma, double gasConstant)
{
    return gamma / (gamma - 1) * gasConstant;
}

Gas makeGas(double pistonDiameter, double gamma, double molarMass, double viscosity)
{
    Gas gas;
    gas.cp = specificHeat(gamma, gasConstant(molarMass));
    gas.viscosity = viscosity;
    gas.length = 0.5 * pistonDiameter;
    return gas;
}

QList<Parameter> gasParameters()
{
    return {Parameter::PistonDiameter, Parameter::HeatCapacityRatio, Parameter::MolarMass, Parameter::Viscosity};
}

Gas gasOf(const FieldTexts &texts)
{
    return makeGas(texts.value(Parameter::PistonDiameter).toDouble(),
                   texts.value(Parameter::HeatCapacityRatio).toDouble(),
                   texts.value(Parameter::MolarMass).toDouble(), texts.value(Parameter::Viscosity).toDouble());
}

SurfaceSample readSample(QIODevice &file, Surface surface)
{
    const SurfaceFields fields = fieldsOf(surface);
    SurfaceSample sample;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList line = TextFields::splitFields(in.readLine());
        if (line.size() < fields.v)
            continue;
        const double u = TextFields::number(line, fields.u);
        const double v = TextFields::number(line, fields.v);
        ++sample.lines;
        sample.speedSum += std::sqrt(u * u + v * v);
        const double pressure = TextFields::number(line, fields.pressure);
        if (pressure > sample.peakPressure) {
            sample.peakPressure = pressure;
            sample.peakDensity = TextFields::number(line, fields.density);
        }
    }
    return sample;
}

double coefficient(double density, double meanSpeed, const Gas &gas)
{
    const double kinematicViscosity = gas.viscosity / density;
    const double reynolds = meanSpeed * gas.length / kinematicViscosity;
    if (!(reynolds > 1) || !std::isfinite(reynolds))
        return undefined;
    const double ratio = 0.615 / std::log(reynolds);
    const double alpha = gas.cp * density * meanSpeed * inversePlateFactor * (ratio * ratio);
    return std::isfinite(alpha) ? alpha : undefined;
}

double coefficient(const SurfaceSample &sample, const Gas &gas)
{
    if (!sample.hasPeak())
        return undefined;
    return coefficient(sample.peakDensity, sample.meanSpeed(), gas);
}

double fileCoefficient(const QString &fileName, Surface surface, const Gas &gas)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return undefined;
    return coefficient(readSample(file, surface), gas);
}

QVector<Row> computeTable(const QDir &caseDir, int steps, const Gas &gas)
{
    QVector<Row> rows;
    for (int step = 1; step <= steps; ++step) {
        Row row;
        for (std::size_t i = 0; i < surfaces.size(); ++i) {
            const QDir surfaceDir(caseDir.absoluteFilePath(subdirectory(surfaces[i])));
            qDebug() << "Our current working directory is:" << surfaceDir.absolutePath();
            row[i] = fileCoefficient(surfaceDir.filePath(AlphaCoefficient::resultFileName(surfaces[i], step)),
                                     surfaces[i], gas);
        }
        rows.append(row);
    }
    return rows;
}

QString tableLine(int step, const Row &row)
{
    QString line;
    QTextStream out(&line);
    out.setFieldAlignment(QTextStream::AlignRight);
    out.setRealNumberNotation(QTextStream::SmartNotation);
    out.setRealNumberPrecision(8);
    out << qSetFieldWidth(18) << step;
    for (double alpha : row)
        out << alpha;
    out.flush();
    return line;
}

bool writeTable(const QString &fileName, const QVector<Row> &rows, QString *error)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        QTextStream out(&file);
        for (int i = 0; i < rows.size(); ++i)
            out << tableLine(i + 1, rows.at(i)) << '\n';
        out.flush();
        if (file.commit())
            return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}

QStringList plotScript(const QString &caseName)
{
    const QString table = QStringLiteral("'../%1/%2'").arg(caseName, tableFileName());
    return ValveDiagram::crankAngleScript(
        imageName(), QStringLiteral("heat transfer coeff. [W/m2K]"),
        {table + QStringLiteral(" u 1:2 title 'alpha on head' w l"),
         table + QStringLiteral(" u 1:3 title 'alpha on piston' w l"),
         table + QStringLiteral(" u 1:4 title 'alpha on side' w l")});
}

bool locateCase(const QDir &startDir, const QString &caseName, QDir *caseDir, QString *error)
{
    const QDir root(startDir.absoluteFilePath(QStringLiteral("..")));
    const QDir dir(root.absoluteFilePath(caseName));
    const QString canonical = dir.canonicalPath();
    if (caseName.isEmpty() || !dir.exists() || canonical == root.canonicalPath()
        || canonical == startDir.canonicalPath()) {
        *error = Texts::tr("The case directory \"%1\" does not exist in %2. Enter the name of a calculated case.")
                     .arg(caseName, QDir::cleanPath(root.absolutePath()));
        return false;
    }
    *caseDir = dir;
    return true;
}

} // namespace AlphaCoefficient
