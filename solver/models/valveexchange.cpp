#include "models/valveexchange.h"

namespace euler {

double valveMassFlowIn(const Compressor &m, const Valve &valve, const IsentropicOrifice &orifice, double area,
                       const ValveSide &chamber)
{
    const double p = chamber.flowPressure, T = chamber.flowTemperature;
    const Plenum &plenum = m.plenumOf(valve);
    return orifice.massFlow(area, plenum.pressure, plenum.temperature, p, T);
}

ValveFlowState valveFlow(const Compressor &m, const Valve &valve, const IsentropicOrifice &orifice,
                         const ValveSide &chamber, double lift, double velocity, bool heldShut)
{
    ValveFlowState f;
    f.area = heldShut ? 0.0 : valve.area.effectiveArea(lift);
    const Plenum &plenum = m.plenumOf(valve);
    const bool suction = valve.kind == ValveKind::Suction;
    f.pressureDrop = suction ? plenum.pressure - chamber.pressure : chamber.pressure - plenum.pressure;
    f.massFlowIn = valveMassFlowIn(m, valve, orifice, f.area, chamber);
    f.massFlow = suction ? f.massFlowIn : -f.massFlowIn;
    f.upstreamTemperature = f.massFlowIn > 0 ? plenum.temperature : chamber.flowTemperature;
    f.enthalpyFlowIn = f.massFlowIn * m.gas.cp() * f.upstreamTemperature;
    f.gasForce = valve.plate.gasForce(f.pressureDrop);
    f.springForce = valve.plate.springForce(lift);
    f.acceleration = heldShut ? 0.0 : valve.plate.acceleration(lift, velocity, f.gasForce - f.springForce);
    return f;
}

} // namespace euler
