#pragma once

#include "chamber/chambermesh.h"
#include "fv/mesh.h"
#include "models/kinematics.h"

#include <vector>

namespace euler::chamber {

// The chamber's nodes follow the piston by axial stretch: every node keeps
// its x and y, and z = zeta s(phi), phi = omega t, with the exact slider-crank
// gap s (models/kinematics). The head plane (zeta 0) stays, the piston plane
// (zeta 1) moves with the piston; the side wall stretches within the bore.
// The solver takes the motion as an axial stretch (fv::Solver::setAxialStretch)
// with the stretch factor lambda = s(phi). Nodes after the chamber's (the
// valve pockets') stay where they are.
class PistonMotion
{
public:
    PistonMotion(const ChamberMesh &mesh, const SliderCrank &crank);

    double gap(double t) const { return crank_.gap(crank_.omega() * t); }
    // The nodes that stretch (all of the chamber's) and their zeta.
    const std::vector<Index> &nodes() const { return nodes_; }
    const std::vector<double> &zeta() const { return zeta_; }

private:
    SliderCrank crank_;
    std::vector<Index> nodes_;
    std::vector<double> zeta_;
};

} // namespace euler::chamber
