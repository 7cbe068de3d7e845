#include "lumped/surfacewriter.h"

#include "io/surfacefile.h"

#include <cmath>

namespace euler {

namespace planar = surfacefile::planar;
namespace side = surfacefile::side;

SurfaceWriter::SurfaceWriter(const SurfaceGrid &grid, const std::filesystem::path &caseDirectory)
    : grid_(grid), caseDirectory_(caseDirectory)
{
    long long number = 0;
    for (size_t ring = 0; ring < grid_.ringRadii.size(); ++ring) {
        for (int k = 0; k < grid_.pointsPerRing(); ++k) {
            const double r = grid_.ringRadii[ring], a = grid_.angle(k);
            DiscPoint p{r * std::cos(a), r * std::sin(a), {}};
            p.prefix = surfacefile::planarPrefix(++number, static_cast<int>(ring + 1), k + 1, p.x, p.y);
            disc_.push_back(std::move(p));
        }
    }
    number = 0;
    for (int row = 0; row <= grid_.axialCells; ++row) {
        for (int k = 0; k < grid_.pointsPerRing(); ++k) {
            const double a = grid_.angle(k);
            sidePrefix_.push_back(surfacefile::sidePrefix(++number, k + 1, row + 1, grid_.radius * std::cos(a),
                                                          grid_.radius * std::sin(a)));
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
        surfacefile::appendPlanarValues(out, f);
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
            surfacefile::appendSideValues(out, f);
        }
    }
    return out;
}

void SurfaceWriter::writeStep(int step, const SurfaceInstant &instant) const
{
    using formats::caselayout::Surface;
    surfacefile::writeStep(caseDirectory_, step, [&](Surface surface) {
        return surface == Surface::Head ? headText(instant) : surface == Surface::Piston ? pistonText(instant)
                                                                                        : sideText(instant);
    });
}

} // namespace euler
