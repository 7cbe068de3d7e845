// The field maps' reading of result files: any bytes as a head, piston or
// side file through the grid copy, with the extents, colour ranges and arrow
// scales the scripts are written from. Every scale must be a finite number.
#include "post/gridcopy.h"
#include "post/resultfile.h"
#include "text/textfields.h"

#include "fuzzinput.h"

#include <QBuffer>

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

int copy(const QByteArray &bytes, const FieldMaps::ResultLayout &layout, const FieldMaps::LineVisitor &onLine)
{
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    QByteArray copied;
    QBuffer out(&copied);
    out.open(QIODevice::WriteOnly);
    int lines = -1;
    fuzz::require(FieldMaps::copyGrid(in, out, layout, &lines, onLine) && lines >= 0,
                  "a grid copy into memory succeeds");
    return lines;
}

void requireFiniteScale(double scale)
{
    fuzz::require(std::isfinite(scale) && scale >= 0, "an arrow scale is a finite number");
    FieldMaps::formatArrowScale(scale);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    FieldMaps::PlanarExtents planar;
    copy(bytes, FieldMaps::planarLayout, [&](const FieldMaps::Fields &fields) { planar.add(fields); });
    requireFiniteScale(FieldMaps::arrowScale(planar.umax, planar.vmax, planar.span()));

    FieldMaps::SideExtents side;
    FieldMaps::ColourRanges ranges;
    copy(bytes, FieldMaps::sideLayout, [&](const FieldMaps::Fields &fields) {
        side.add(fields);
        ranges.add(fields);
    });
    requireFiniteScale(FieldMaps::arrowScale(side.umax, side.vmax, side.xmax));
    FieldMaps::sizeRatio(side.zmax, side.xmax);

    // The same line read as text, as the parameter and heat-transfer readers do.
    const QStringList fields = TextFields::splitFields(QString::fromUtf8(bytes.left(4096)));
    for (int field = 0; field <= fields.size(); ++field) {
        TextFields::number(fields, field);
        TextFields::integer(fields, field);
    }
    if (!fields.isEmpty())
        ResultFile::stepCount(fields.first());
    return 0;
}
