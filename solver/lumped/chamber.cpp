#include "lumped/chamber.h"

namespace euler {

ChamberSnapshot evaluate(const ChamberModel &model, const IsentropicOrifice &orifice, double t,
                         const ChamberState &state)
{
    ChamberSnapshot s;
    s.phi = model.crank.omega() * t;
    s.gap = model.crank.gap(s.phi);
    s.pistonVelocity = model.crank.pistonVelocity(s.phi);
    s.volume = model.pistonArea * s.gap + model.pocketVolume;
    s.volumeRate = model.pistonArea * s.pistonVelocity;
    s.density = state.mass() / s.volume;
    s.pressure = model.gas.pressure(state.energy(), s.volume);
    s.temperature = model.gas.temperature(s.pressure, s.density);
    s.valves.resize(model.valves.size());
    for (size_t j = 0; j < model.valves.size(); ++j)
        s.valves[j] = valveFlow(model, model.valves[j], orifice, {s.pressure, s.pressure, s.temperature},
                                state.lift(j), state.velocity(j), model.valvesHeldShut);
    return s;
}

void derivative(const ChamberModel &model, const ChamberSnapshot &s, const ChamberState &state,
                std::vector<double> &dydt)
{
    dydt.assign(state.y.size(), 0.0);
    double massRate = 0, enthalpyRate = 0;
    for (size_t j = 0; j < s.valves.size(); ++j) {
        const ValveFlowState &f = s.valves[j];
        massRate += f.massFlowIn;
        enthalpyRate += f.enthalpyFlowIn;
        const size_t k = 3 + ChamberState::perValve * j;
        dydt[k] = model.valvesHeldShut ? 0.0 : state.velocity(j);
        dydt[k + 1] = f.acceleration;
        dydt[k + 2] = f.massFlow;
        dydt[k + 3] = f.enthalpyFlowIn;
    }
    const double pdV = s.pressure * s.volumeRate;
    dydt[0] = massRate;
    dydt[1] = enthalpyRate - pdV;
    dydt[2] = pdV;
}

} // namespace euler
