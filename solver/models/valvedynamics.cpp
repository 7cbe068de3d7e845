#include "models/valvedynamics.h"

namespace euler {

double ValvePlate::acceleration(double lift, double velocity, double netForce) const
{
    const bool restsOnSeat = lift <= 0 && velocity <= 0 && netForce <= 0;
    const bool restsOnGuard = lift >= maxLift && velocity >= 0 && netForce >= 0;
    if (restsOnSeat || restsOnGuard)
        return 0;
    return netForce / mass;
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
