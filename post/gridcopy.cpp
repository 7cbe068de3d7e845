#include "gridcopy.h"

#include <QFile>

#include <cmath>

#include "gnuplotjob.h"
#include "text/textfields.h"

namespace FieldMaps {

bool copyGrid(QIODevice &in, QIODevice &out, const ResultLayout &layout, int *lines,
              const LineVisitor &onLine)
{
    // Whole files at once: result files are a few hundred kilobytes, and one
    // read and one write per file keep the copy cheap beside the plotting.
    const QByteArray data = in.readAll();
    QByteArray copy;
    copy.reserve(data.size() + data.size() / 32);
    Fields fields;
    int copied = 0;
    int previousRow = 0;
    qsizetype position = 0;
    while (position < data.size()) {
        qsizetype end = data.indexOf('\n', position);
        if (end < 0)
            end = data.size();
        QByteArrayView line(data.constData() + position, end - position);
        position = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        TextFields::splitFields(line, &fields);
        if (fields.size() < layout.minFields)
            continue;
        bool isRow = false;
        const int row = TextFields::integer(fields, layout.rowField, &isRow);
        if (!isRow)
            continue;
        if (onLine)
            onLine(fields);
        if (row != previousRow)
            copy.append('\n');
        copy.append(line.data(), line.size());
        copy.append('\n');
        previousRow = row;
        ++copied;
    }
    *lines = copied;
    return out.write(copy) == copy.size();
}

namespace {

bool fail(const QFile &file, QString *error)
{
    *error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
    return false;
}

} // namespace

bool copyResultFile(const QString &resultName, const QString &gridCopyName, const ResultLayout &layout,
                    int *lines, QString *error, const LineVisitor &onLine)
{
    *lines = 0;
    QFile gridCopy(gridCopyName);
    if (!openEmptyForWriting(gridCopy))
        return fail(gridCopy, error);
    QFile result(resultName);
    if (!result.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(result, error);
    const bool copied = copyGrid(result, gridCopy, layout, lines, onLine);
    gridCopy.close();
    if (!copied || gridCopy.error() != QFileDevice::NoError)
        return fail(gridCopy, error);
    return true;
}

namespace {

void raise(double &extent, double value)
{
    if (value > extent)
        extent = value;
}

} // namespace

namespace planar = formats::surfacecolumns::planar;
namespace side = formats::surfacecolumns::side;

void PlanarExtents::add(const Fields &fields)
{
    const double x = TextFields::number(fields, planar::x);
    raise(xmax, x);
    if (x < xmin)
        xmin = x;
    raise(umax, std::fabs(TextFields::number(fields, planar::velocityX)));
    raise(vmax, std::fabs(TextFields::number(fields, planar::velocityY)));
}

// The side wall's maps are drawn over the position along the wall and the height.
void SideExtents::add(const Fields &fields)
{
    raise(xmax, TextFields::number(fields, side::arcLength));
    raise(zmax, TextFields::number(fields, side::z));
    raise(umax, std::fabs(TextFields::number(fields, side::velocityAlongWall)));
    raise(vmax, std::fabs(TextFields::number(fields, side::velocityAxial)));
}

void ValueRange::add(double value)
{
    raise(max, value);
    if (value < min)
        min = value;
}

void ColourRanges::add(const Fields &fields)
{
    bool ok = false;
    const double rho = TextFields::number(fields, side::density, &ok);
    if (ok)
        density.add(rho);
    const double p = TextFields::number(fields, side::pressure, &ok);
    if (ok)
        pressure.add(p);
}

double arrowScale(double umax, double vmax, double span)
{
    const double s = std::hypot(umax, vmax);
    if (!(s > 0) || !std::isfinite(s))
        return 0.0;                 // no arrow to draw
    // Without a length to measure against the longest arrow is 0.1 long; a
    // speed so small (subnormal) that the scale overflows draws no arrow.
    const double scale = !(span > 0) || !std::isfinite(span) ? 0.1 / s
                         : s >= span                         ? 0.1 * span / s
                                                             : 0.1 * s / span;
    return std::isfinite(scale) ? scale : 0.0;
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
