#include "models/kinematics.h"

#include <cmath>

namespace euler {

SliderCrank::SliderCrank(double crankRadius, double conrodLength, double minimalGap, double speedRpm)
    : r_(crankRadius), l_(conrodLength), zMin_(minimalGap), omega_(2.0 * M_PI * speedRpm / 60.0)
{
}

double SliderCrank::gap(double phi) const
{
    const double s = std::sin(phi);
    return zMin_ + r_ * (1.0 - std::cos(phi)) + l_ - std::sqrt(l_ * l_ - r_ * r_ * s * s);
}

double SliderCrank::pistonVelocity(double phi) const
{
    const double s = std::sin(phi), c = std::cos(phi);
    const double root = std::sqrt(l_ * l_ - r_ * r_ * s * s);
    return omega_ * (r_ * s + r_ * r_ * s * c / root);
}

double SliderCrank::pistonAcceleration(double phi) const
{
    const double s = std::sin(phi), c = std::cos(phi);
    const double root = std::sqrt(l_ * l_ - r_ * r_ * s * s);
    const double s2 = 2 * s * c;
    return omega_ * omega_ * (r_ * c + r_ * r_ * (c * c - s * s) / root
                              + r_ * r_ * r_ * r_ * s2 * s2 / (4.0 * root * root * root));
}

} // namespace euler
