#pragma once

#include "fv/state.h"
#include "models/gas.h"

#include <cmath>

namespace euler::fv {

// Ideal-gas conversions between conservative and primitive variables:
//     E = p / (gamma - 1) + rho |u|^2 / 2,    p = (gamma - 1) (E - rho |u|^2 / 2).
struct IdealGasEos
{
    double gamma = 1.4;
    double R = 287.0;

    explicit IdealGasEos(const IdealGas &gas) : gamma(gas.gamma), R(gas.R) {}
    IdealGasEos(double g, double r) : gamma(g), R(r) {}

    double totalEnergy(const PointState &s) const
    {
        return s.p / (gamma - 1.0) + 0.5 * s.rho * (s.u * s.u + s.v * s.v + s.w * s.w);
    }
    double pressure(double rho, double mx, double my, double mz, double E) const
    {
        return (gamma - 1.0) * (E - 0.5 * (mx * mx + my * my + mz * mz) / rho);
    }
    double temperature(const PointState &s) const { return s.p / (s.rho * R); }
    // Density of a state given by pressure and temperature.
    double density(double p, double T) const { return p / (R * T); }
};

// The primitive state of cell c from its integrated conservative variables
// q = V U (in the order of Conserved) into w; false when the density or the
// pressure is not positive or a value is not finite (w then keeps the
// cell's old state when the density or energy is the culprit).
inline bool setPrimitive(const IdealGasEos &eos, const double *q, double volume, PrimitiveFields &w, Index c)
{
    const double inv = 1.0 / volume;
    const double rho = q[Density] * inv;
    const double mx = q[MomentumX] * inv, my = q[MomentumY] * inv, mz = q[MomentumZ] * inv;
    const double E = q[Energy] * inv;
    // Finite first: an ordered comparison with NaN would raise the
    // invalid-operation trap of a debug run.
    if (!std::isfinite(rho) || !std::isfinite(E) || !std::isfinite(mx + my + mz) || !(rho > 0))
        return false;
    const double p = eos.pressure(rho, mx, my, mz, E);
    const double invRho = 1.0 / rho;
    w[Rho][c] = rho;
    w[VelocityX][c] = mx * invRho;
    w[VelocityY][c] = my * invRho;
    w[VelocityZ][c] = mz * invRho;
    w[Pressure][c] = p;
    return std::isfinite(p) && p > 0;
}

// Primitive variables of every cell from its integrated conservative
// variables Q = V U. Returns the lowest-numbered cell whose density or
// pressure is not positive or whose values are not finite, else -1; the
// answer does not depend on the thread count.
Index toPrimitive(const IdealGasEos &eos, const ConservedFields &integrated, const std::vector<double> &volume,
                  PrimitiveFields &w);
// Q = V U of cell c from its primitive state.
inline void setIntegrated(const IdealGasEos &eos, const PointState &s, double volume, ConservedFields &q, Index c)
{
    q[Density][c] = volume * s.rho;
    q[MomentumX][c] = volume * s.rho * s.u;
    q[MomentumY][c] = volume * s.rho * s.v;
    q[MomentumZ][c] = volume * s.rho * s.w;
    q[Energy][c] = volume * eos.totalEnergy(s);
}
// Integrated conservative variables Q = V U of every cell from primitives.
void toIntegrated(const IdealGasEos &eos, const PrimitiveFields &w, const std::vector<double> &volume,
                  ConservedFields &integrated);

} // namespace euler::fv
