#include "fvtestmeshes.h"

#include <algorithm>
#include <cmath>

#ifdef __GLIBC__
#include <fenv.h>
#endif

namespace fvtest {

void distortInterior(HexMesh &hex, const BoxSpec &box, double amplitude)
{
    for (Index n = 0; n < hex.nodeCount(); ++n) {
        const double u = hex.x[n] / box.lx, v = hex.y[n] / box.ly, w = hex.z[n] / box.lz;
        const double bump = std::sin(M_PI * u) * std::sin(M_PI * v) * std::sin(M_PI * w);
        hex.x[n] += amplitude * box.lx / box.nx * bump * std::sin(2 * M_PI * (v + w));
        hex.y[n] += amplitude * box.ly / box.ny * bump * std::cos(2 * M_PI * (u - w));
        hex.z[n] += amplitude * box.lz / box.nz * bump * std::sin(2 * M_PI * (u + 2 * v));
    }
}

HexMesh distortedBox(const BoxSpec &box, double amplitude)
{
    HexMesh hex = boxMesh(box);
    distortInterior(hex, box, amplitude);
    return hex;
}

NodePositions positionsOf(const HexMesh &hex)
{
    NodePositions p;
    p.assign(hex);
    return p;
}

Geometry geometryOf(const Mesh &mesh, const NodePositions &nodes)
{
    Geometry g;
    g.resize(mesh);
    g.update(mesh, nodes);
    return g;
}

Motion pistonStretch(double amplitude, double omega)
{
    return [=](double t, const HexMesh &ref, NodePositions &out) {
        const double scale = 1 + amplitude * (1 - std::cos(omega * t));
        out.x = ref.x;
        out.y = ref.y;
        for (Index n = 0; n < ref.nodeCount(); ++n)
            out.z[n] = ref.z[n] * scale;
    };
}

Motion interiorStretch(const BoxSpec &box, double amplitude, double omega)
{
    return [=](double t, const HexMesh &ref, NodePositions &out) {
        const double law = amplitude * (1 - std::cos(omega * t));
        out.x = ref.x;
        out.y = ref.y;
        for (Index n = 0; n < ref.nodeCount(); ++n) {
            const double zeta = ref.z[n] / box.lz;
            out.z[n] = ref.z[n] + law * box.lz * std::sin(M_PI * zeta) / M_PI
                                      * (1 + 0.3 * std::sin(2 * M_PI * ref.x[n] / box.lx));
        }
    };
}

bool AxialMotion::nodePositions(double t, NodePositions &nodes)
{
    nodes.assign(reference_);
    const double lambda = law_(t);
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        nodes.z[nodes_[i]] = lambda * zeta_[i];
    return true;
}

void trapFloatingPoint()
{
#ifdef __GLIBC__
    feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
#endif
}

IdealGasEos air() { return IdealGasEos(1.4, 287.0); }

PointState restingAir() { return {1e5 / (287.0 * 300.0), 0, 0, 0, 1e5}; }

double maxRelativeDeviation(const Solver &solver, const PointState &ref)
{
    const PrimitiveFields &w = solver.primitives();
    const double a = std::sqrt(solver.eos().gamma * ref.p / ref.rho);
    double worst = 0;
    for (Index c = 0; c < solver.mesh().cellCount(); ++c) {
        worst = std::max(worst, std::fabs(w[Rho][c] / ref.rho - 1));
        worst = std::max(worst, std::fabs(w[Pressure][c] / ref.p - 1));
        for (int v : {VelocityX, VelocityY, VelocityZ})
            worst = std::max(worst, std::fabs(w[v][c]) / a);
    }
    return worst;
}

} // namespace fvtest
