#include "io/surfacegrid.h"

#include <algorithm>
#include <cmath>

namespace euler {

std::vector<double> gradedRadii(double r0, double r1, int n, double ratio)
{
    std::vector<double> radii{r0};
    const double q = n > 1 ? std::pow(ratio, 1.0 / (n - 1)) : 1.0;
    // Widths w0 q^i, i = 0..n-1, summing to r1 - r0.
    const double w0 = std::fabs(q - 1.0) < 1e-12 ? (r1 - r0) / n : (r1 - r0) * (1.0 - q) / (1.0 - std::pow(q, n));
    double w = w0;
    for (int i = 0; i < n; ++i) {
        radii.push_back(radii.back() + w);
        w *= q;
    }
    radii.back() = r1;
    return radii;
}

double SurfaceGrid::angle(int k) const
{
    return k == angularCells ? 0.0 : 2.0 * M_PI * k / angularCells;
}

SurfaceGrid makeSurfaceGrid(double pistonDiameter, double rodDiameter, int n1, int n2, int n3,
                            double gradingPiston, double gradingRod)
{
    SurfaceGrid grid;
    grid.radius = 0.5 * pistonDiameter;
    const double rodRadius = 0.5 * rodDiameter;
    const int outer = std::clamp(n1, 1, 24);
    const int inner = rodRadius > 0 ? std::clamp(n2, 0, 8) : 0;
    if (inner > 0) {
        grid.ringRadii = gradedRadii(0.0, rodRadius, inner, gradingRod);
        const std::vector<double> outerRadii = gradedRadii(rodRadius, grid.radius, outer, gradingPiston);
        grid.ringRadii.insert(grid.ringRadii.end(), outerRadii.begin() + 1, outerRadii.end());
    } else {
        grid.ringRadii = gradedRadii(0.0, grid.radius, outer, gradingPiston);
    }
    grid.angularCells = std::clamp(4 * (outer + inner), 24, 72);
    grid.axialCells = std::clamp(n3, 1, 24);
    return grid;
}

} // namespace euler
