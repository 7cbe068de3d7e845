#include "lumped/timestep.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace euler {

double stableTimeScale(const ChamberModel &model, const ChamberSnapshot &s, const ChamberState &state)
{
    double tau = (M_PI / 180.0) / model.crank.omega();
    double areaSum = 0;
    for (const ValveFlowState &f : s.valves)
        areaSum += f.area;
    if (areaSum > 0) {
        const double c = model.gas.soundSpeed(std::max({s.temperature, model.suction.temperature,
                                                         model.discharge.temperature}));
        const double rate = std::sqrt(2.0 * model.gas.gamma / IsentropicOrifice::linearBand) * c * areaSum / s.volume;
        tau = std::min(tau, 1.0 / rate);
    }
    if (model.valvesHeldShut)
        return tau;
    for (size_t j = 0; j < model.valves.size(); ++j) {
        const ValvePlate &plate = model.valves[j].plate;
        const ValveFlowState &f = s.valves[j];
        const double lift = state.lift(j), v = state.velocity(j);
        const double net = f.gasForce - f.springForce;
        if (plate.acceleration(lift, v, net) == 0 && v == 0)
            continue; // resting on a stop
        double t = std::numeric_limits<double>::infinity();
        if (plate.stiffness > 0)
            t = std::min(t, std::sqrt(plate.mass / plate.stiffness));
        if (net != 0)
            t = std::min(t, std::sqrt(plate.mass * plate.maxLift / std::fabs(net)));
        if (v != 0)
            t = std::min(t, plate.maxLift / std::fabs(v));
        tau = std::min(tau, 0.25 * t);
    }
    return tau;
}

} // namespace euler
