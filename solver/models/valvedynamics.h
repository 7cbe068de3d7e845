#pragma once

namespace euler {

// One valve plate as a mass-spring system between seat (lift 0) and guard
// (maximum lift):
//   m x'' = A_f dp - k (l0 + x)
// dp is the pressure difference in the valve's opening direction, A_f the
// force area, k the stiffness and l0 the spring's initial compression, so
// that k l0 is the preload holding the plate on its seat. Seat and guard are
// rigid and fully plastic: a plate that reaches one stops there and stays
// while the net force presses it on.
struct ValvePlate
{
    double mass = 0;
    double forceArea = 0;
    double stiffness = 0;
    double springInitialLength = 0;
    double maxLift = 0;

    double preload() const { return stiffness * springInitialLength; }
    double gasForce(double dp) const { return forceArea * dp; }
    double springForce(double lift) const { return stiffness * (springInitialLength + lift); }
    // x'' with the stops acting as contact forces.
    double acceleration(double lift, double velocity, double netForce) const;
    // The time a step may span for the plate to stay resolved: a quarter of
    // the shortest of its spring period sqrt(m/k), the time to cross its
    // lift under the net force, sqrt(m x_max / |F|), and at its speed,
    // x_max / |v|. Infinite for a plate resting on a stop.
    double timeScale(double lift, double velocity, double netForce) const;
};

struct PlateState
{
    double lift = 0;
    double velocity = 0;
};

// Puts a plate that has moved past a stop back onto it. Returns the speed of
// an impact that happened (0 when none) and whether it was on the guard.
struct Impact
{
    double speed = 0;
    bool onGuard = false;
};
Impact resolveStops(const ValvePlate &plate, PlateState &state);

// Largest impact speeds of one valve plate so far, m/s.
struct ImpactRecord
{
    double seat = 0;
    double guard = 0;

    void add(const Impact &impact)
    {
        double &record = impact.onGuard ? guard : seat;
        if (impact.speed > record)
            record = impact.speed;
    }
};

} // namespace euler
