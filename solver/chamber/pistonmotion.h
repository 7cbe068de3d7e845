#pragma once

#include "chamber/chambermesh.h"
#include "fv/geometry.h"
#include "models/kinematics.h"

namespace euler::chamber {

// The chamber's nodes follow the piston by axial stretch: every node keeps
// its x and y, and z = zeta s(phi), phi = omega t, with the exact slider-crank
// gap s (models/kinematics). The head plane (zeta 0) stays, the piston plane
// (zeta 1) moves with the piston; the side wall stretches within the bore.
// Nodes after the chamber's (the valve pockets') stay where they are.
class PistonMotion
{
public:
    // `all`: the chamber mesh's nodes first, then the fixed ones.
    PistonMotion(const ChamberMesh &mesh, const SliderCrank &crank, const fv::HexMesh &all);

    double gap(double t) const { return crank_.gap(crank_.omega() * t); }
    // Node positions at time t into `nodes` (sized here once).
    void positions(double t, fv::NodePositions &nodes) const;

private:
    SliderCrank crank_;
    std::vector<double> x_, y_, zeta_, fixedZ_;
};

} // namespace euler::chamber
