#include "lumped/simulation.h"

#include "io/inputerror.h"
#include "io/numberformat.h"
#include "lumped/timestep.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace euler {

ChamberState initialState(const ChamberModel &model)
{
    ChamberState state(model.valves.size());
    const double volume = model.volume(0);
    const double T = model.discharge.temperature;
    const double rho = model.discharge.pressure / (model.gas.R * T);
    state.mass() = rho * volume;
    state.energy() = state.mass() * model.gas.cv() * T;
    return state;
}

void requirePhysicalState(const ChamberSnapshot &s)
{
    const auto physical = [](double v) { return std::isfinite(v) && v > 0; };
    if (physical(s.pressure) && physical(s.density) && physical(s.temperature))
        return;
    std::string angle;
    appendNumber(angle, s.phi * 180.0 / M_PI, 8);
    throw RunError(RunError::Diverged, "the computation diverged at crank angle " + angle
                                           + " deg (p, rho or T not positive); reduce the Courant number");
}

Simulation::Simulation(ChamberModel model, double courantNumber)
    : model_(std::move(model)),
      orifice_(model_.gas.gamma, model_.gas.R),
      courant_(courantNumber),
      state_(initialState(model_)),
      impacts_(model_.valves.size()),
      stage_(model_.valves.size())
{
}

ChamberSnapshot Simulation::snapshot() const
{
    return evaluate(model_, orifice_, time_, state_);
}

void Simulation::advanceTo(double tEnd)
{
    while (time_ < tEnd) {
        const ChamberSnapshot s = snapshot();
        double dt = courant_ * stableTimeScale(model_, s, state_);
        const double remaining = tEnd - time_;
        // Avoid a sliver of a step just before the target.
        if (!(dt < remaining * 0.999))
            dt = remaining;
        step(dt);
        if (dt == remaining)
            time_ = tEnd;
    }
}

void Simulation::step(double dt)
{
    const size_t n = state_.y.size();
    auto stageDerivative = [&](double t, const std::vector<double> *k, double h, std::vector<double> &out) {
        for (size_t i = 0; i < n; ++i)
            stage_.y[i] = state_.y[i] + (k ? h * (*k)[i] : 0.0);
        derivative(model_, evaluate(model_, orifice_, t, stage_), stage_, out);
    };
    stageDerivative(time_, nullptr, 0, k1_);
    stageDerivative(time_ + 0.5 * dt, &k1_, 0.5 * dt, k2_);
    stageDerivative(time_ + 0.5 * dt, &k2_, 0.5 * dt, k3_);
    stageDerivative(time_ + dt, &k3_, dt, k4_);
    for (size_t i = 0; i < n; ++i)
        state_.y[i] += dt / 6.0 * (k1_[i] + 2.0 * k2_[i] + 2.0 * k3_[i] + k4_[i]);
    time_ += dt;
    lastStep_ = dt;
    ++steps_;

    for (size_t j = 0; j < model_.valves.size(); ++j) {
        PlateState plate{state_.lift(j), state_.velocity(j)};
        const Impact impact = resolveStops(model_.valves[j].plate, plate);
        state_.lift(j) = plate.lift;
        state_.velocity(j) = plate.velocity;
        impacts_[j].add(impact);
    }
    if (afterStep)
        afterStep(*this);
}

} // namespace euler
