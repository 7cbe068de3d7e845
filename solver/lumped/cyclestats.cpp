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

IdealCycle idealCycle(const ChamberModel &model)
{
    return idealCycle(model, model.clearanceVolume());
}

} // namespace euler
