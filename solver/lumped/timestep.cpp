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
        const ValveFlowState &f = s.valves[j];
        tau = std::min(tau, model.valves[j].plate.timeScale(state.lift(j), state.velocity(j), f.gasForce - f.springForce));
    }
    return tau;
}

} // namespace euler
