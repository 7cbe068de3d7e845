#include "lumped/surfacewriter.h"

#include "formats/caselayout.h"
#include "formats/surfacecolumns.h"
#include "io/numberformat.h"

#include <cmath>

namespace euler {
namespace {

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

} // namespace

SurfaceWriter::SurfaceWriter(const SurfaceGrid &grid, const std::filesystem::path &caseDirectory)
    : grid_(grid), caseDirectory_(caseDirectory)
{
    long long number = 0;
    for (size_t ring = 0; ring < grid_.ringRadii.size(); ++ring) {
        for (int k = 0; k < grid_.pointsPerRing(); ++k) {
            const double r = grid_.ringRadii[ring], a = grid_.angle(k);
            DiscPoint p{r * std::cos(a), r * std::sin(a), {}};
            double f[planar::count + 1] = {};
            f[planar::point] = static_cast<double>(++number);
            f[planar::ring] = static_cast<double>(ring + 1);
            f[planar::pointInRing] = k + 1;
            f[planar::x] = p.x;
            f[planar::y] = p.y;
            appendColumns<planar::count>(p.prefix, f, planar::point, planar::y, planar::pressure);
            disc_.push_back(std::move(p));
        }
    }
    number = 0;
    for (int row = 0; row <= grid_.axialCells; ++row) {
        for (int k = 0; k < grid_.pointsPerRing(); ++k) {
            const double a = grid_.angle(k);
            double f[side::count + 1] = {};
            f[side::point] = static_cast<double>(++number);
            f[side::pointInRing] = k + 1;
            f[side::ring] = row + 1;
            f[side::x] = grid_.radius * std::cos(a);
            f[side::y] = grid_.radius * std::sin(a);
            std::string prefix;
            appendColumns<side::count>(prefix, f, side::point, side::y, side::pressure);
            sidePrefix_.push_back(std::move(prefix));
        }
    }
}

std::string SurfaceWriter::discText(const SurfaceInstant &in, double z) const
{
    std::string out;
    out.reserve(disc_.size() * 110);
    for (const DiscPoint &p : disc_) {
        const Vec3 u = in.flow.velocity({p.x, p.y, z});
        const WallState s = wallState(in.pressure, in.density, in.gamma, in.R, u.x * u.x + u.y * u.y);
        double f[planar::count + 1] = {};
        f[planar::z] = z;
        f[planar::density] = s.density;
        f[planar::pressure] = s.pressure;
        f[planar::velocityX] = u.x;
        f[planar::velocityY] = u.y;
        f[planar::velocityZ] = z > 0 ? in.flow.pistonVelocity : 0.0; // walls move only at the piston
        f[planar::temperature] = s.temperature;
        out += p.prefix;
        appendColumns<planar::count>(out, f, planar::z, planar::count, planar::pressure);
    }
    return out;
}

std::string SurfaceWriter::headText(const SurfaceInstant &instant) const
{
    return discText(instant, 0.0);
}

std::string SurfaceWriter::pistonText(const SurfaceInstant &instant) const
{
    return discText(instant, instant.gap);
}

std::string SurfaceWriter::sideText(const SurfaceInstant &in) const
{
    std::string out;
    out.reserve(sidePrefix_.size() * 120);
    const int n = grid_.pointsPerRing();
    for (int row = 0; row <= grid_.axialCells; ++row) {
        const double z = in.gap * row / grid_.axialCells;
        for (int k = 0; k < n; ++k) {
            const double a = grid_.angle(k);
            const double c = std::cos(a), s = std::sin(a);
            const Vec3 u = in.flow.velocity({grid_.radius * c, grid_.radius * s, z});
            const double along = -s * u.x + c * u.y;
            const WallState w = wallState(in.pressure, in.density, in.gamma, in.R, along * along + u.z * u.z);
            double f[side::count + 1] = {};
            f[side::z] = z;
            f[side::arcLength] = grid_.radius * 2.0 * M_PI * k / grid_.angularCells;
            f[side::density] = w.density;
            f[side::pressure] = w.pressure;
            f[side::velocityAlongWall] = along;
            f[side::velocityAxial] = u.z;
            f[side::velocityRadial] = c * u.x + s * u.y;
            f[side::temperature] = w.temperature;
            out += sidePrefix_[static_cast<size_t>(row * n + k)];
            appendColumns<side::count>(out, f, side::z, side::count, side::pressure);
        }
    }
    return out;
}

void SurfaceWriter::writeStep(int step, const SurfaceInstant &instant) const
{
    using formats::caselayout::Surface;
    auto file = [&](Surface surface) {
        return caseDirectory_ / formats::caselayout::surfaceName(surface)
               / formats::caselayout::resultFileName(surface, step);
    };
    writeFile(file(Surface::Head), headText(instant));
    writeFile(file(Surface::Piston), pistonText(instant));
    writeFile(file(Surface::Side), sideText(instant));
}

} // namespace euler
