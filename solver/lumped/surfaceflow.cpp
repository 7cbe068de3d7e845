#include "lumped/surfaceflow.h"

#include <algorithm>
#include <cmath>

namespace euler {

Vec3 ChamberFlowField::velocity(const Vec3 &point) const
{
    Vec3 u{0, 0, pistonVelocity * point.z / gap};
    const double rc2 = coreRadius * coreRadius;
    for (const JetSource &jet : jets) {
        const Vec3 d = point - jet.position;
        const double r2 = dot(d, d) + rc2;
        const double strength = jet.flowRate / (M_PI * r2 * std::sqrt(r2));
        u = u + strength * d;
    }
    return u;
}

WallState wallState(double chamberPressure, double chamberDensity, double gamma, double R, double speedSquared)
{
    WallState w;
    w.pressure = std::max(chamberPressure - 0.5 * chamberDensity * speedSquared, 0.1 * chamberPressure);
    w.density = chamberDensity * std::pow(w.pressure / chamberPressure, 1.0 / gamma);
    w.temperature = w.pressure / (w.density * R);
    return w;
}

} // namespace euler
