#pragma once

#include "fv/boxmesh.h"
#include "fv/geometry.h"
#include "fv/solver.h"

#include <functional>

// Meshes and motions the finite-volume tests share.
namespace fvtest {

using namespace euler::fv;

// Moves every node of a box by a smooth displacement that vanishes on the
// box's faces, so the cells become general hexahedra with curved-free but
// non-planar faces while the box stays a box.
void distortInterior(HexMesh &hex, const BoxSpec &box, double amplitude);

// A box mesh distorted so.
HexMesh distortedBox(const BoxSpec &box, double amplitude);

NodePositions positionsOf(const HexMesh &hex);
Geometry geometryOf(const Mesh &mesh, const NodePositions &nodes);

// A node motion: positions at time t from the reference positions.
using Motion = std::function<void(double t, const HexMesh &reference, NodePositions &out)>;

// Piston-like law s(t) = s0 (1 + a (1 - cos(omega t))) along z: every node's
// z is scaled by s(t)/s0 (the top wall moves, the bottom stays).
Motion pistonStretch(double amplitude, double omega);

// Interior stretching with a piston-like time law; the box's walls stay.
Motion interiorStretch(const BoxSpec &box, double amplitude, double omega);

// Hooks that move the nodes by a Motion and integrate chosen scalar rates.
class MovingMesh : public StepHooks
{
public:
    MovingMesh(const HexMesh &reference, Motion motion) : reference_(reference), motion_(std::move(motion)) {}
    bool nodePositions(double t, NodePositions &nodes) override
    {
        motion_(t, reference_, nodes);
        return true;
    }

private:
    const HexMesh &reference_;
    Motion motion_;
};

// An axial stretch: the listed nodes at z = law(t) zeta, the others where
// the reference has them. The hooks give the factor to a solver with the
// stretch set and the node positions to one without, so that both paths
// run the same motion.
class AxialMotion : public StepHooks
{
public:
    AxialMotion(const HexMesh &reference, std::vector<Index> nodes, std::vector<double> zeta,
                std::function<double(double)> law)
        : reference_(reference), nodes_(std::move(nodes)), zeta_(std::move(zeta)), law_(std::move(law))
    {
    }
    bool nodePositions(double t, NodePositions &nodes) override;
    bool stretchFactor(double t, double &lambda) override
    {
        lambda = law_(t);
        return true;
    }
    const std::vector<Index> &nodes() const { return nodes_; }
    const std::vector<double> &zeta() const { return zeta_; }
    double law(double t) const { return law_(t); }

private:
    const HexMesh &reference_;
    std::vector<Index> nodes_;
    std::vector<double> zeta_;
    std::function<double(double)> law_;
};

// Stops the test at the first invalid operation, division by zero or
// overflow (glibc), as euler.exe does in debug runs.
void trapFloatingPoint();

// Gas at rest, p = 1e5 Pa, T = 300 K, air.
IdealGasEos air();
PointState restingAir();

double maxRelativeDeviation(const Solver &solver, const PointState &reference);

} // namespace fvtest
