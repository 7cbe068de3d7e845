#include "models/valveexchange.h"

namespace euler {

ValveFlowState valveFlow(const Compressor &m, const Valve &valve, const IsentropicOrifice &orifice,
                         const ValveSide &chamber, double lift, double velocity, bool heldShut)
{
    const double p = chamber.flowPressure, T = chamber.flowTemperature;
    ValveFlowState f;
    f.area = heldShut ? 0.0 : valve.area.effectiveArea(lift);
    const Plenum &plenum = valve.kind == ValveKind::Suction ? m.suction : m.discharge;
    if (valve.kind == ValveKind::Suction) {
        f.pressureDrop = plenum.pressure - chamber.pressure;
        f.massFlow = orifice.massFlow(f.area, plenum.pressure, plenum.temperature, p, T);
        f.massFlowIn = f.massFlow;
    } else {
        f.pressureDrop = chamber.pressure - plenum.pressure;
        f.massFlow = orifice.massFlow(f.area, p, T, plenum.pressure, plenum.temperature);
        f.massFlowIn = -f.massFlow;
    }
    f.upstreamTemperature = f.massFlowIn > 0 ? plenum.temperature : T;
    f.enthalpyFlowIn = f.massFlowIn * m.gas.cp() * f.upstreamTemperature;
    f.gasForce = valve.plate.gasForce(f.pressureDrop);
    f.springForce = valve.plate.springForce(lift);
    f.acceleration = heldShut ? 0.0 : valve.plate.acceleration(lift, velocity, f.gasForce - f.springForce);
    return f;
}

} // namespace euler
