#include "fv/timestep.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace euler::fv {

double stableTimeStep(const Geometry &geometry, const PrimitiveFields &w, double gamma, double courant)
{
    const Index cells = w.size();
    double smallest = std::numeric_limits<double>::infinity();
    // A minimum is exact in any order, so the result does not depend on threads.
#pragma omp parallel for schedule(static) reduction(min : smallest)
    for (Index c = 0; c < cells; ++c) {
        const double u = w[VelocityX][c], v = w[VelocityY][c], ww = w[VelocityZ][c];
        const double speed = std::sqrt(u * u + v * v + ww * ww) + std::sqrt(gamma * w[Pressure][c] / w[Rho][c]);
        smallest = std::min(smallest, geometry.lengthScale[c] / speed);
    }
    return courant * smallest;
}

} // namespace euler::fv
