#include "fv/eos.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace euler::fv {

Index toPrimitive(const IdealGasEos &eos, const ConservedFields &q, const std::vector<double> &volume,
                  PrimitiveFields &w)
{
    const Index cells = q.size();
    constexpr Index none = std::numeric_limits<Index>::max();
    Index bad = none;
#pragma omp parallel for schedule(static) reduction(min : bad)
    for (Index c = 0; c < cells; ++c) {
        const double inv = 1.0 / volume[c];
        const double rho = q[Density][c] * inv;
        const double mx = q[MomentumX][c] * inv, my = q[MomentumY][c] * inv, mz = q[MomentumZ][c] * inv;
        const double E = q[Energy][c] * inv;
        // Finite first: an ordered comparison with NaN would raise the
        // invalid-operation trap of a debug run.
        if (!std::isfinite(rho) || !std::isfinite(E) || !std::isfinite(mx + my + mz) || !(rho > 0)) {
            bad = std::min(bad, c);
            continue;
        }
        const double p = eos.pressure(rho, mx, my, mz, E);
        if (!std::isfinite(p) || !(p > 0))
            bad = std::min(bad, c);
        const double invRho = 1.0 / rho;
        w[Rho][c] = rho;
        w[VelocityX][c] = mx * invRho;
        w[VelocityY][c] = my * invRho;
        w[VelocityZ][c] = mz * invRho;
        w[Pressure][c] = p;
    }
    return bad == none ? -1 : bad;
}

void toIntegrated(const IdealGasEos &eos, const PrimitiveFields &w, const std::vector<double> &volume,
                  ConservedFields &q)
{
    const Index cells = w.size();
#pragma omp parallel for schedule(static)
    for (Index c = 0; c < cells; ++c) {
        setIntegrated(eos, {w[Rho][c], w[VelocityX][c], w[VelocityY][c], w[VelocityZ][c], w[Pressure][c]}, volume[c],
                      q, c);
    }
}

} // namespace euler::fv
