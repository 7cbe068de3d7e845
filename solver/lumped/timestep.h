#pragma once

#include "lumped/chamber.h"

namespace euler {

// Largest stable, accurate step at the current state, before the Courant
// number is applied:
//  - gas exchange: the valve flow linearised in its linear band has the rate
//    lambda = sqrt(2 gamma / band) c sum(A_eff) / V, so tau_flow = 1/lambda;
//  - every free plate: a quarter of the shortest of its spring period
//    sqrt(m/k), the time to cross its lift under the present force
//    sqrt(m x_max / |F|), and the time to cross it at its present speed;
//  - the crank: one degree of crank angle, so that the piston motion is
//    resolved also while every valve is shut.
double stableTimeScale(const ChamberModel &model, const ChamberSnapshot &snapshot, const ChamberState &state);

} // namespace euler
