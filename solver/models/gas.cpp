#include "models/gas.h"

#include <cmath>

namespace euler {

double IdealGas::soundSpeed(double T) const
{
    return std::sqrt(gamma * R * T);
}

// T1 = T0 (p1/p0)^((gamma-1)/gamma)
double IdealGas::isentropicTemperature(double T0, double p0, double p1) const
{
    return T0 * std::pow(p1 / p0, (gamma - 1.0) / gamma);
}

} // namespace euler
