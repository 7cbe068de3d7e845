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
        const double qc[ConservedCount] = {q[Density][c], q[MomentumX][c], q[MomentumY][c], q[MomentumZ][c],
                                           q[Energy][c]};
        if (!setPrimitive(eos, qc, volume[c], w, c))
            bad = std::min(bad, c);
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
