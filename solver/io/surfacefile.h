#pragma once

#include "formats/caselayout.h"
#include "formats/surfacecolumns.h"
#include "io/numberformat.h"

#include <filesystem>
#include <string>

namespace euler {

// The lines of the head, piston and side result files, whichever model
// fills them (formats/surfacecolumns.h).
namespace surfacefile {

namespace planar = formats::surfacecolumns::planar;
namespace side = formats::surfacecolumns::side;

// Both files begin with three whole numbers, then the coordinates; they end
// with the temperature.
static_assert(planar::x == 4 && side::x == 4 && planar::y == planar::x + 1 && side::y == side::x + 1);
static_assert(planar::temperature == planar::count && side::temperature == side::count);

// Columns first..last of one line, fields[c] being column c, each followed by
// a blank, the file's last column by the line end. The pressure carries eight
// significant digits, the whole numbers before x none, the rest six.
template <int Count>
void appendColumns(std::string &out, const double (&fields)[Count + 1], int first, int last, int pressure)
{
    for (int c = first; c <= last; ++c) {
        if (c < planar::x)
            appendInteger(out, static_cast<long long>(fields[c]));
        else
            appendNumber(out, fields[c], c == pressure ? 8 : 6);
        out += c == Count ? '\n' : ' ';
    }
}

// The columns up to y of a head or piston point, and of a side point: fixed
// per grid point, so made once.
inline std::string planarPrefix(long long point, int ring, int pointInRing, double x, double y)
{
    double f[planar::count + 1] = {};
    f[planar::point] = static_cast<double>(point);
    f[planar::ring] = ring;
    f[planar::pointInRing] = pointInRing;
    f[planar::x] = x;
    f[planar::y] = y;
    std::string prefix;
    appendColumns<planar::count>(prefix, f, planar::point, planar::y, planar::pressure);
    return prefix;
}

inline std::string sidePrefix(long long point, int pointInRing, int ring, double x, double y)
{
    double f[side::count + 1] = {};
    f[side::point] = static_cast<double>(point);
    f[side::pointInRing] = pointInRing;
    f[side::ring] = ring;
    f[side::x] = x;
    f[side::y] = y;
    std::string prefix;
    appendColumns<side::count>(prefix, f, side::point, side::y, side::pressure);
    return prefix;
}

// The rest of a line, from z on.
inline void appendPlanarValues(std::string &out, const double (&f)[planar::count + 1])
{
    appendColumns<planar::count>(out, f, planar::z, planar::count, planar::pressure);
}

inline void appendSideValues(std::string &out, const double (&f)[side::count + 1])
{
    appendColumns<side::count>(out, f, side::z, side::count, side::pressure);
}

// Where output step k of a surface goes in the case directory.
inline std::filesystem::path stepFile(const std::filesystem::path &caseDirectory, formats::caselayout::Surface surface,
                                      int step)
{
    return caseDirectory / formats::caselayout::surfaceName(surface)
           / formats::caselayout::resultFileName(surface, step);
}

} // namespace surfacefile
} // namespace euler
