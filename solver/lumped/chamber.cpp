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
    const double cp = model.gas.cp();

    s.valves.resize(model.valves.size());
    for (size_t j = 0; j < model.valves.size(); ++j) {
        const Valve &valve = model.valves[j];
        ValveFlowState &f = s.valves[j];
        const double lift = state.lift(j);
        f.area = model.valvesHeldShut ? 0.0 : valve.area.effectiveArea(lift);
        if (valve.kind == ValveKind::Suction) {
            f.pressureDrop = model.suction.pressure - s.pressure;
            f.massFlow = orifice.massFlow(f.area, model.suction.pressure, model.suction.temperature,
                                          s.pressure, s.temperature);
            f.massFlowIn = f.massFlow;
        } else {
            f.pressureDrop = s.pressure - model.discharge.pressure;
            f.massFlow = orifice.massFlow(f.area, s.pressure, s.temperature,
                                          model.discharge.pressure, model.discharge.temperature);
            f.massFlowIn = -f.massFlow;
        }
        const double upstreamT = f.massFlowIn > 0
            ? (valve.kind == ValveKind::Suction ? model.suction.temperature : model.discharge.temperature)
            : s.temperature;
        f.enthalpyFlowIn = f.massFlowIn * cp * upstreamT;
        f.gasForce = valve.plate.gasForce(f.pressureDrop);
        f.springForce = valve.plate.springForce(lift);
        f.acceleration = model.valvesHeldShut
            ? 0.0 : valve.plate.acceleration(lift, state.velocity(j), f.gasForce - f.springForce);
    }
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
