#pragma once

#include "lumped/chamber.h"

#include <functional>
#include <vector>

namespace euler {

// Start of a run: at top dead centre (crank angle 0) the chamber holds gas at
// discharge pressure and the discharge plenum temperature, every plate rests
// on its seat, and every balance is zero.
ChamberState initialState(const ChamberModel &model);

// Throws RunError (Diverged) naming the crank angle when pressure, density
// or temperature is not a positive finite number any more.
void requirePhysicalState(const ChamberSnapshot &snapshot);

// Time integration of the chamber: classical fourth-order Runge-Kutta on the
// whole state vector, with the step sized each time by stableTimeScale times
// the Courant number, then plates put back onto the stops they passed.
class Simulation
{
public:
    Simulation(ChamberModel model, double courantNumber);

    const ChamberModel &model() const { return model_; }
    const ChamberState &state() const { return state_; }
    double time() const { return time_; }
    ChamberSnapshot snapshot() const;
    const std::vector<ImpactRecord> &impacts() const { return impacts_; }
    long long stepCount() const { return steps_; }
    double lastStepSize() const { return lastStep_; }

    // Steps until time tEnd is reached exactly.
    void advanceTo(double tEnd);

    // Called after every step (tests watch valve openings with it).
    std::function<void(const Simulation &)> afterStep;

private:
    void step(double dt);

    ChamberModel model_;
    IsentropicOrifice orifice_;
    double courant_;
    ChamberState state_;
    double time_ = 0;
    long long steps_ = 0;
    double lastStep_ = 0;
    std::vector<ImpactRecord> impacts_;
    std::vector<double> k1_, k2_, k3_, k4_;
    ChamberState stage_;
};

} // namespace euler
