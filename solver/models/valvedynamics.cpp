#include "models/valvedynamics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace euler {

double ValvePlate::acceleration(double lift, double velocity, double netForce) const
{
    const bool restsOnSeat = lift <= 0 && velocity <= 0 && netForce <= 0;
    const bool restsOnGuard = lift >= maxLift && velocity >= 0 && netForce >= 0;
    if (restsOnSeat || restsOnGuard)
        return 0;
    return netForce / mass;
}

double ValvePlate::timeScale(double lift, double velocity, double netForce) const
{
    double t = std::numeric_limits<double>::infinity();
    if (acceleration(lift, velocity, netForce) == 0 && velocity == 0)
        return t;
    if (stiffness > 0)
        t = std::min(t, std::sqrt(mass / stiffness));
    if (netForce != 0)
        t = std::min(t, std::sqrt(mass * maxLift / std::fabs(netForce)));
    if (velocity != 0)
        t = std::min(t, maxLift / std::fabs(velocity));
    return 0.25 * t;
}

Impact resolveStops(const ValvePlate &plate, PlateState &state)
{
    Impact impact;
    if (state.lift <= 0) {
        if (state.velocity < 0)
            impact.speed = -state.velocity;
        state.lift = 0;
        if (state.velocity < 0)
            state.velocity = 0;
    } else if (state.lift >= plate.maxLift) {
        if (state.velocity > 0) {
            impact.speed = state.velocity;
            impact.onGuard = true;
        }
        state.lift = plate.maxLift;
        if (state.velocity > 0)
            state.velocity = 0;
    }
    return impact;
}

} // namespace euler
