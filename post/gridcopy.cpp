#include "gridcopy.h"

#include <QFile>
#include <QTextStream>

#include <cmath>

#include "resultfile.h"

namespace FieldMaps {

int copyGrid(QTextStream &in, QTextStream &out, const ResultLayout &layout,
             const LineVisitor &onLine)
{
    int copied = 0;
    int previousRow = 0;
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList fields = ResultFile::splitFields(line);
        if (fields.size() < layout.minFields)
            continue;
        bool isRow = false;
        const int row = ResultFile::integer(fields, layout.rowField, &isRow);
        if (!isRow)
            continue;
        if (onLine)
            onLine(fields);
        if (row != previousRow)
            out << '\n';
        out << line << '\n';
        previousRow = row;
        ++copied;
    }
    return copied;
}

CopyOutcome copyResultFile(const QString &resultName, const QString &gridCopyName,
                           const ResultLayout &layout, const LineVisitor &onLine)
{
    CopyOutcome outcome;
    QFile gridCopy(gridCopyName);
    if (!gridCopy.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        outcome.status = CopyOutcome::GridCopyFailed;
        outcome.error = QStringLiteral("%1: %2").arg(gridCopyName, gridCopy.errorString());
        return outcome;
    }
    QFile result(resultName);
    if (!result.open(QIODevice::ReadOnly | QIODevice::Text)) {
        outcome.status = CopyOutcome::ResultMissing;
        outcome.error = QStringLiteral("%1: %2").arg(resultName, result.errorString());
        return outcome;
    }
    QTextStream in(&result);
    QTextStream out(&gridCopy);
    outcome.lines = copyGrid(in, out, layout, onLine);
    out.flush();
    gridCopy.close();
    if (gridCopy.error() != QFileDevice::NoError) {
        outcome.status = CopyOutcome::GridCopyFailed;
        outcome.error = QStringLiteral("%1: %2").arg(gridCopyName, gridCopy.errorString());
    }
    return outcome;
}

namespace {

void raise(double &extent, double value)
{
    if (value > extent)
        extent = value;
}

} // namespace

void PlanarExtents::add(const QStringList &fields)
{
    const double x = ResultFile::number(fields, 4);
    raise(xmax, x);
    if (x < xmin)
        xmin = x;
    raise(umax, std::fabs(ResultFile::number(fields, 9)));
    raise(vmax, std::fabs(ResultFile::number(fields, 10)));
}

void SideExtents::add(const QStringList &fields)
{
    raise(xmax, ResultFile::number(fields, 7));
    raise(zmax, ResultFile::number(fields, 6));
    raise(umax, std::fabs(ResultFile::number(fields, 10)));
    raise(vmax, std::fabs(ResultFile::number(fields, 11)));
}

void ValueRange::add(double value)
{
    raise(max, value);
    if (value < min)
        min = value;
}

void ColourRanges::add(const QStringList &fields)
{
    bool ok = false;
    const double rho = ResultFile::number(fields, 8, &ok);
    if (ok)
        density.add(rho);
    const double p = ResultFile::number(fields, 9, &ok);
    if (ok)
        pressure.add(p);
}

double arrowScale(double umax, double vmax, double span)
{
    const double s = std::hypot(umax, vmax);
    if (!(s > 0) || !std::isfinite(s))
        return 0.0;                 // no arrow to draw
    if (!(span > 0) || !std::isfinite(span))
        return 0.1 / s;             // no length to measure against: longest arrow 0.1
    return s >= span ? 0.1 * span / s : 0.1 * s / span;
}

QString formatArrowScale(double scale)
{
    return QString::asprintf("%.2e", scale);
}

double sizeRatio(double zmax, double xmax)
{
    return xmax > 0 ? zmax / xmax : 0.0;
}

} // namespace FieldMaps
