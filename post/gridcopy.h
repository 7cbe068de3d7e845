#pragma once

#include <QString>

#include <functional>

#include "formats/surfacecolumns.h"
#include "text/textfields.h"

class QIODevice;

// Reading the solver's per-step result files of one surface and writing their
// grid copies: the same lines with an empty line before every change of the
// grid row index, the block layout gnuplot's pm3d needs.
namespace FieldMaps {

// Where the row index stands and how many fields a data line carries: at
// least up to the last velocity the maps draw.
struct ResultLayout
{
    int rowField;
    int minFields;
};

inline constexpr ResultLayout planarLayout{formats::surfacecolumns::planar::rowIndex,
                                           formats::surfacecolumns::planar::velocityY};
inline constexpr ResultLayout sideLayout{formats::surfacecolumns::side::rowIndex,
                                         formats::surfacecolumns::side::velocityAxial};

// Called with the fields of every data line that goes into a grid copy.
using Fields = TextFields::FieldViews;
using LineVisitor = std::function<void(const Fields &fields)>;

// Copies the data lines of `in` to `out`, writing an empty line before each
// line whose row index differs from the previous one (0 before the first).
// Lines with too few fields or a row index that is not an integer (empty
// lines, headers) are skipped. Lines are copied byte for byte; their line
// ends are the devices' (text mode). Puts the number of lines copied into
// *lines; false when `out` does not take them (its errorString() says why).
bool copyGrid(QIODevice &in, QIODevice &out, const ResultLayout &layout, int *lines,
              const LineVisitor &onLine = {});

// Opens the grid copy (replacing it) and the result file, then copies,
// putting the number of lines copied into *lines. A result file that cannot
// be opened leaves an empty grid copy. False with the file that failed and
// the system's reason in *error.
bool copyResultFile(const QString &resultName, const QString &gridCopyName, const ResultLayout &layout,
                    int *lines, QString *error, const LineVisitor &onLine = {});

// Extents of a head or piston surface over all its output steps.
struct PlanarExtents
{
    double xmin = 1.0;
    double xmax = -1.0;
    double umax = 0.0;
    double vmax = 0.0;

    void add(const Fields &fields);
    double span() const { return xmax - xmin; }
};

// Extents of the side wall over all its output steps; its lower x bound is 0.
struct SideExtents
{
    double xmax = -1.0;
    double zmax = -1.0;
    double umax = 0.0;
    double vmax = 0.0;

    void add(const Fields &fields);
};

// A colour range of one output step; [1e10, 0] until a value arrives.
struct ValueRange
{
    double min = 1e10;
    double max = 0.0;

    void add(double value);
};

// The side wall's density and pressure ranges of one output step.
struct ColourRanges
{
    ValueRange density;
    ValueRange pressure;

    void add(const Fields &fields);
};

// Arrow scale of the velocity maps: the longest arrow gets a tenth of the span.
// Without a usable velocity or span it never divides by zero; it is always a
// finite number.
double arrowScale(double umax, double vmax, double span);

// The scale as the velocity scripts write it: "4.00e-03".
QString formatArrowScale(double scale);

// zmax / xmax of the side wall, 0 when xmax is not positive.
double sizeRatio(double zmax, double xmax);

} // namespace FieldMaps
