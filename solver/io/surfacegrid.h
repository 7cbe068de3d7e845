#pragma once

#include <vector>

namespace euler {

// Radii of graded cells: n cells over [r0, r1] whose widths form a geometric
// series with last/first = ratio (ratio 1: uniform). Returns n+1 radii.
std::vector<double> gradedRadii(double r0, double r1, int n, double ratio);

// The surface grids the result files are written on. Head and piston are
// discs of rings (ring 0 the centre); the side wall is a set of rings from
// the head to the piston. Every ring carries angularCells + 1 points, the
// last repeating the first, so pm3d draws closed surfaces.
struct SurfaceGrid
{
    double radius = 0;
    std::vector<double> ringRadii; // disc rings, from 0 to radius
    int angularCells = 0;
    int axialCells = 0;            // side wall rows = axialCells + 1

    int pointsPerRing() const { return angularCells + 1; }
    double angle(int k) const;     // angle of point k of a ring, rad
};

// Resolution follows the mesh counts but stays moderate for the plots:
//   outer disc block min(n1, 24) cells graded towards the piston radius by
//   gradingPiston, inner block (0 to the rod radius) min(n2, 8) cells graded
//   towards the rod radius by gradingRod (none without a rod), side wall
//   min(n3, 24) axial cells, angular cells 4 (n1' + n2') within [24, 72].
SurfaceGrid makeSurfaceGrid(double pistonDiameter, double rodDiameter, int n1, int n2, int n3,
                            double gradingPiston, double gradingRod);

} // namespace euler
