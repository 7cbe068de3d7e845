#include "lumped/surfacewriter.h"

#include "io/numberformat.h"

#include <cmath>
#include <initializer_list>

namespace euler {
namespace {

// Density and pressure, the given velocity components and the temperature,
// each followed by a blank but the last, which ends the line.
void appendState(std::string &out, const WallState &w, std::initializer_list<double> velocity)
{
    appendNumber(out, w.density);
    out += ' ';
    appendNumber(out, w.pressure, 8);
    for (double component : velocity) {
        out += ' ';
        appendNumber(out, component);
    }
    out += ' ';
    appendNumber(out, w.temperature);
    out += '\n';
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
            appendInteger(p.prefix, ++number);
            p.prefix += ' ';
            appendInteger(p.prefix, static_cast<long long>(ring + 1));
            p.prefix += ' ';
            appendInteger(p.prefix, k + 1);
            p.prefix += ' ';
            appendNumber(p.prefix, p.x);
            p.prefix += ' ';
            appendNumber(p.prefix, p.y);
            p.prefix += ' ';
            disc_.push_back(std::move(p));
        }
    }
    number = 0;
    for (int row = 0; row <= grid_.axialCells; ++row) {
        for (int k = 0; k < grid_.pointsPerRing(); ++k) {
            const double a = grid_.angle(k);
            std::string prefix;
            appendInteger(prefix, ++number);
            prefix += ' ';
            appendInteger(prefix, k + 1);
            prefix += ' ';
            appendInteger(prefix, row + 1);
            prefix += ' ';
            appendNumber(prefix, grid_.radius * std::cos(a));
            prefix += ' ';
            appendNumber(prefix, grid_.radius * std::sin(a));
            prefix += ' ';
            sidePrefix_.push_back(std::move(prefix));
        }
    }
    for (int k = 0; k < grid_.pointsPerRing(); ++k) {
        std::string arc;
        appendNumber(arc, grid_.radius * 2.0 * M_PI * k / grid_.angularCells);
        arc += ' ';
        arcText_.push_back(std::move(arc));
    }
}

std::string SurfaceWriter::stepNumber(int step)
{
    std::string digits = std::to_string(step);
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    return digits;
}

std::string SurfaceWriter::discText(const SurfaceInstant &in, double z) const
{
    std::string zText;
    appendNumber(zText, z);
    zText += ' ';
    std::string out;
    out.reserve(disc_.size() * 110);
    for (const DiscPoint &p : disc_) {
        const Vec3 u = in.flow.velocity({p.x, p.y, z});
        const double w = z > 0 ? in.flow.pistonVelocity : 0.0; // walls move only at the piston
        const WallState s = wallState(in.pressure, in.density, in.gamma, in.R, u.x * u.x + u.y * u.y);
        out += p.prefix;
        out += zText;
        appendState(out, s, {u.x, u.y, w});
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
        std::string zText;
        appendNumber(zText, z);
        zText += ' ';
        for (int k = 0; k < n; ++k) {
            const double a = grid_.angle(k);
            const double c = std::cos(a), s = std::sin(a);
            const Vec3 u = in.flow.velocity({grid_.radius * c, grid_.radius * s, z});
            const double along = -s * u.x + c * u.y;
            const double radial = c * u.x + s * u.y;
            const WallState w = wallState(in.pressure, in.density, in.gamma, in.R, along * along + u.z * u.z);
            out += sidePrefix_[static_cast<size_t>(row * n + k)];
            out += zText;
            out += arcText_[static_cast<size_t>(k)];
            appendState(out, w, {along, u.z, radial});
        }
    }
    return out;
}

void SurfaceWriter::writeStep(int step, const SurfaceInstant &instant) const
{
    const std::string number = stepNumber(step);
    writeFile(caseDirectory_ / "head" / ("head" + number + ".txt"), headText(instant));
    writeFile(caseDirectory_ / "piston" / ("piston" + number + ".txt"), pistonText(instant));
    writeFile(caseDirectory_ / "side" / ("side" + number + ".txt"), sideText(instant));
}

} // namespace euler
