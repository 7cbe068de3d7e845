#include "lumped/cyclestats.h"

#include <cmath>

namespace euler {

Totals totalsOf(const Simulation &simulation)
{
    const ChamberModel &m = simulation.model();
    const ChamberState &s = simulation.state();
    Totals t;
    t.time = simulation.time();
    t.crankAngleDeg = m.crank.omega() * simulation.time() * 180.0 / M_PI;
    t.pdV = s.work();
    for (size_t j = 0; j < m.valves.size(); ++j) {
        if (m.valves[j].kind == ValveKind::Suction) {
            t.suctionMass += s.valveMass(j);
        } else {
            t.dischargeMass += s.valveMass(j);
            t.dischargeEnthalpy -= s.valveEnthalpy(j);
        }
    }
    return t;
}

CycleResult cycleBetween(const ChamberModel &model, double suctionDensity, const Totals &a, const Totals &b,
                         bool completeRevolution)
{
    CycleResult c;
    c.startDeg = a.crankAngleDeg;
    c.endDeg = b.crankAngleDeg;
    c.completeRevolution = completeRevolution;
    const double span = b.time - a.time;
    c.suctionMass = b.suctionMass - a.suctionMass;
    c.dischargeMass = b.dischargeMass - a.dischargeMass;
    c.workOnGas = -(b.pdV - a.pdV);
    if (span > 0) {
        c.massFlow = c.suctionMass / span;
        c.indicatedPower = c.workOnGas / span;
    }
    // A partial span is scaled to a full revolution's displacement.
    const double revolutions = span * model.crank.omega() / (2 * M_PI);
    if (revolutions > 0)
        c.volumetricEfficiency = c.suctionMass / (suctionDensity * model.sweptVolume() * revolutions);
    const double dischargeEnthalpy = b.dischargeEnthalpy - a.dischargeEnthalpy;
    if (c.dischargeMass > 0)
        c.dischargeTemperature = dischargeEnthalpy / (model.gas.cp() * c.dischargeMass);
    return c;
}

IdealCycle idealCycle(const ChamberModel &model)
{
    IdealCycle ideal;
    const double g = model.gas.gamma;
    const double ratio = model.discharge.pressure / model.suction.pressure;
    ideal.clearanceRatio = model.clearanceVolume() / model.sweptVolume();
    ideal.volumetricEfficiency = 1.0 - ideal.clearanceRatio * (std::pow(ratio, 1.0 / g) - 1.0);
    ideal.work = g / (g - 1.0) * model.suction.pressure * ideal.volumetricEfficiency * model.sweptVolume()
                 * (std::pow(ratio, (g - 1.0) / g) - 1.0);
    return ideal;
}

} // namespace euler
