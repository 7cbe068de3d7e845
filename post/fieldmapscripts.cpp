#include "fieldmapscripts.h"

#include <QTextStream>

#include <cmath>

#include "gnuplotjob.h"
#include "resultfile.h"

namespace FieldMaps {

namespace layout = formats::caselayout;
namespace planar = formats::surfacecolumns::planar;
namespace side = formats::surfacecolumns::side;

const Surface &surface(layout::Surface id)
{
    static const Surface surfaces[] = {
        {layout::Surface::Head, QStringLiteral("Head"), QLatin1String(layout::surfaceName(layout::Surface::Head)),
         QStringLiteral("Our current working directory is:"), planarLayout},
        {layout::Surface::Piston, QStringLiteral("Piston"),
         QLatin1String(layout::surfaceName(layout::Surface::Piston)),
         QStringLiteral("Out current working directory is:"), planarLayout},
        {layout::Surface::Side, QStringLiteral("Side"), QLatin1String(layout::surfaceName(layout::Surface::Side)),
         QStringLiteral("Out current working directory is:"), sideLayout},
    };
    return surfaces[static_cast<int>(id)];
}

const Surface &headSurface() { return surface(layout::Surface::Head); }
const Surface &pistonSurface() { return surface(layout::Surface::Piston); }
const Surface &sideSurface() { return surface(layout::Surface::Side); }

QString densityScriptName() { return QStringLiteral("gp_d.txt"); }
QString pressureScriptName() { return QStringLiteral("gp_p.txt"); }
QString velocityScriptName() { return QStringLiteral("gp_v.txt"); }

QStringList scriptNames()
{
    return {densityScriptName(), pressureScriptName(), velocityScriptName()};
}

QString resultFileName(const Surface &surface, int step)
{
    return QString::fromStdString(layout::resultFileName(surface.id, step));
}

QString gridCopyFileName(const Surface &surface, int step)
{
    return surface.subdir + ResultFile::stepNumber(step) + QStringLiteral("_mod.txt");
}

StepFiles stepFiles(const QString &caseName, const Surface &surface, int step)
{
    const QString stem = QStringLiteral("../%1/%2/%2%3")
                             .arg(caseName, surface.subdir, ResultFile::stepNumber(step));
    return {stem + QStringLiteral("_mod.txt"), stem + QStringLiteral("_density.png"),
            stem + QStringLiteral("_pressure.png"), stem + QStringLiteral("_velocity.png")};
}

const ColourQuantity &density()
{
    static const ColourQuantity quantity{QStringLiteral("density [kg/m3]"), planar::density, side::density};
    return quantity;
}

const ColourQuantity &pressure()
{
    static const ColourQuantity quantity{QStringLiteral("pressure [Pa]"), planar::pressure, side::pressure};
    return quantity;
}

namespace {

// gnuplot refuses a colour range whose ends read the same, as on a wall of
// uniform density. Such a range is widened by 1 % of its value each way (by 1
// around zero), as gnuplot itself widens an empty autoscaled range.
QString colourRangeLine(const ValueRange &range)
{
    QString low = streamNumber(range.min);
    QString high = streamNumber(range.max);
    if (low == high) {
        const double margin = range.min != 0 ? 0.01 * std::fabs(range.min) : 1.0;
        low = streamNumber(range.min - margin);
        high = streamNumber(range.max + margin);
    }
    return QStringLiteral("set cbrange [%1:%2]").arg(low, high);
}

QString outputLine(const QString &mapName)
{
    return QStringLiteral("set output '") + mapName + QLatin1Char('\'');
}

QString cblabelLine(const ColourQuantity &quantity)
{
    return QStringLiteral("set cblabel '") + quantity.cblabel + QLatin1Char('\'');
}

QStringList scaleFunctions(double arrowScale)
{
    const QString s = formatArrowScale(arrowScale);
    return {QStringLiteral("du(u)=(") + s + QStringLiteral(")*u"),
            QStringLiteral("dv(v)=(") + s + QStringLiteral(")*v")};
}

QStringList bareAxes()
{
    return {QStringLiteral("unset border"), QStringLiteral("unset xtics"),
            QStringLiteral("unset ytics")};
}

// Arrows centred on their grid points, twice the scaled velocity long.
QString vectorPlot(const QString &gridCopy, int xField, int yField, int uField, int vField)
{
    return QStringLiteral("plot '") + gridCopy
        + QStringLiteral("' using ($%1-du($%3)):($%2-dv($%4)):(2*du($%3)):(2*dv($%4))"
                         " with vectors notitle")
              .arg(xField)
              .arg(yField)
              .arg(uField)
              .arg(vField);
}

const QString terminalLine = QStringLiteral("set terminal png size 1024,768");
const QString paletteLine = QStringLiteral("set palette rgb 33,13,10");

} // namespace

QStringList planarColourScript(const ColourQuantity &quantity, const QString &mapName,
                               const QString &gridCopy)
{
    return QStringList{terminalLine, outputLine(mapName), QStringLiteral("set pm3d map"),
                       QStringLiteral("set size square"), paletteLine, cblabelLine(quantity)}
        + bareAxes()
        + QStringList{QStringLiteral("splot '") + gridCopy
                          + QStringLiteral("' using %1:%2:%3 notitle")
                                .arg(planar::x)
                                .arg(planar::y)
                                .arg(quantity.planarField),
                      QStringLiteral("set output")};
}

QStringList planarVelocityScript(const StepFiles &files, double arrowScale)
{
    return QStringList{terminalLine, outputLine(files.velocity), QStringLiteral("set size square")}
        + scaleFunctions(arrowScale) + bareAxes()
        + QStringList{vectorPlot(files.gridCopy, planar::x, planar::y, planar::velocityX, planar::velocityY)};
}

QStringList sideColourScriptHead(const ColourQuantity &quantity, const QString &mapName,
                                 double r1, double r2, const ValueRange &range)
{
    return {QStringLiteral("set view 15,30"),
            terminalLine,
            outputLine(mapName),
            paletteLine,
            cblabelLine(quantity),
            QStringLiteral("r1=") + streamNumber(r1),
            QStringLiteral("r2=") + streamNumber(r2),
            QStringLiteral("set parametric"),
            QStringLiteral("set urange[0:3.14]"),
            QStringLiteral("set pm3d"),
            colourRangeLine(range)};
}

QString sideColourScriptTail()
{
    return QStringLiteral("set output");
}

QStringList sideVelocityScript(const StepFiles &files, double arrowScale)
{
    return QStringList{terminalLine, outputLine(files.velocity)} + scaleFunctions(arrowScale)
        + bareAxes()
        + QStringList{vectorPlot(files.gridCopy, side::arcLength, side::z, side::velocityAlongWall,
                                 side::velocityAxial)};
}

bool validValveCount(int count)
{
    return formats::inputrules::valveCount.contains(count);
}

namespace {

// 3.14/180, not pi/180: the pocket outlines have always been drawn with it.
constexpr double degreesToRadians = 0.017444444444444446;

// The four definition lines of pocket k of one kind ("SV" or "DV").
QStringList pocketDefinition(const QString &kind, int k, double angleDegrees)
{
    const QString name = kind + QString::number(k);
    const QString alpha = QStringLiteral("alpha%1%2").arg(k).arg(kind);
    const QString root = QStringLiteral("((r1**2-(r2**2)*(cos(u))**2)**0.5)");
    return {alpha + QLatin1Char('=') + streamNumber(angleDegrees * degreesToRadians),
            QStringLiteral("%1x(u)=%2*cos(%3)-r2*cos(u)*sin(%3)").arg(name, root, alpha),
            QStringLiteral("%1y(u)=%2*sin(%3)+r2*cos(u)*cos(%3)").arg(name, root, alpha),
            QStringLiteral("%1z(u)=r2*sin(u)").arg(name)};
}

QStringList pocketDefinitions(const QString &kind, int count, const QList<double> &angles)
{
    QStringList lines;
    if (!validValveCount(count))
        return lines;
    for (int k = count; k >= 1; --k)
        lines += pocketDefinition(kind, k, angles.value(k - 1, 0.0));
    return lines;
}

QStringList pocketCurves(const QString &kind, int count)
{
    QStringList curves;
    for (int k = 1; k <= count; ++k)
        curves << QStringLiteral("%1%2x(u),%1%2y(u),%1%2z(u) notitle").arg(kind).arg(k);
    return curves;
}

} // namespace

QStringList pocketPlotLines(int colourField, int nSuction, int nDischarge,
                            const QString &gridCopy, const QList<double> &suctionAngles,
                            const QList<double> &dischargeAngles)
{
    const QString suction = QStringLiteral("SV");
    const QString discharge = QStringLiteral("DV");
    QStringList lines = pocketDefinitions(suction, nSuction, suctionAngles)
                        + pocketDefinitions(discharge, nDischarge, dischargeAngles);
    if (validValveCount(nSuction) && validValveCount(nDischarge)) {
        const QStringList curves = pocketCurves(discharge, nDischarge) + pocketCurves(suction, nSuction);
        lines << QStringLiteral("splot '") + gridCopy
                     + QStringLiteral("' using %1:%2:%3:%4 notitle w pm3d,")
                           .arg(side::x)
                           .arg(side::y)
                           .arg(side::z)
                           .arg(colourField)
                     + curves.join(QLatin1Char(','));
    }
    return lines;
}

QStringList sideColourScript(const ColourQuantity &quantity, const QString &mapName, const QString &gridCopy,
                             const PocketLayout &pockets, const ValueRange &range)
{
    return sideColourScriptHead(quantity, mapName, pockets.wallRadius, pockets.pocketRadius, range)
           + pocketPlotLines(quantity.sideField, pockets.suctionValves, pockets.dischargeValves, gridCopy,
                             pockets.suctionAngles, pockets.dischargeAngles)
           + QStringList{sideColourScriptTail()};
}

QString streamNumber(double value)
{
    QString text;
    QTextStream(&text) << value;
    return text;
}

} // namespace FieldMaps
