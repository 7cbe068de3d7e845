#pragma once

#include "formats/caselayout.h"
#include "formats/surfacecolumns.h"
#include "io/numberformat.h"

#include <filesystem>
#include <functional>
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

// What the columns from z on hold, for the message that refuses a value.
inline constexpr const char *planarNames[planar::count + 1] = {
    "", "", "", "", "", "", "z", "density", "pressure", "velocity u", "velocity v", "velocity w", "temperature"};
inline constexpr const char *sideNames[side::count + 1] = {
    "", "", "", "", "", "", "z", "arc length", "density", "pressure", "velocity along the wall", "axial velocity",
    "radial velocity", "temperature"};

// Thrown while a line is made from a value that is not finite; writeStep
// turns it into the run's stop.
struct NonFiniteValue
{
    double value;
    const char *quantity;
};

template <int Count>
void requireFiniteColumns(const double (&fields)[Count + 1], int first, const char *const (&names)[Count + 1])
{
    for (int c = first; c <= Count; ++c) {
        if (!std::isfinite(fields[c]))
            throw NonFiniteValue{fields[c], names[c]};
    }
}

// The rest of a line, from z on.
inline void appendPlanarValues(std::string &out, const double (&f)[planar::count + 1])
{
    requireFiniteColumns<planar::count>(f, planar::z, planarNames);
    appendColumns<planar::count>(out, f, planar::z, planar::count, planar::pressure);
}

inline void appendSideValues(std::string &out, const double (&f)[side::count + 1])
{
    requireFiniteColumns<side::count>(f, side::z, sideNames);
    appendColumns<side::count>(out, f, side::z, side::count, side::pressure);
}

// Where output step k of a surface goes in the case directory.
inline std::filesystem::path stepFile(const std::filesystem::path &caseDirectory, formats::caselayout::Surface surface,
                                      int step)
{
    return caseDirectory / formats::caselayout::surfaceName(surface)
           / formats::caselayout::resultFileName(surface, step);
}

// Writes the head, piston and side files of output step k (crank angle k
// deg) from the texts `text` makes; a value that is not finite stops the run
// (RunError, Diverged) before any of them is written.
inline void writeStep(const std::filesystem::path &caseDirectory, int step,
                      const std::function<std::string(formats::caselayout::Surface)> &text)
{
    std::string texts[formats::caselayout::surfaces.size()];
    for (size_t i = 0; i < formats::caselayout::surfaces.size(); ++i) {
        const formats::caselayout::Surface surface = formats::caselayout::surfaces[i];
        try {
            texts[i] = text(surface);
        } catch (const NonFiniteValue &e) {
            refuseNonFinite(e.value, (std::string(formats::caselayout::surfaceName(surface)) + " " + e.quantity).c_str(),
                            step);
        }
    }
    for (size_t i = 0; i < formats::caselayout::surfaces.size(); ++i)
        writeFile(stepFile(caseDirectory, formats::caselayout::surfaces[i], step), texts[i]);
}

} // namespace surfacefile
} // namespace euler
