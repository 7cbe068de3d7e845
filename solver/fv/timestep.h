#pragma once

#include "fv/geometry.h"
#include "fv/state.h"

namespace euler::fv {

// Stable time step of the explicit scheme:
//     dt = C min_c h_c / (|u_c| + a_c),    a = sqrt(gamma p / rho),
// with the cell length scale h = 2 V / sum_f |A_f| (geometry.h), which for a
// box cell a x b x c is 1 / (1/a + 1/b + 1/c): the multi-dimensional Courant
// condition sum over directions of (|u| + a) dt / h_d <= C. SSP-RK3 with the
// limited reconstruction is stable for C up to about 1. The driver takes the
// smaller of this and its own time scales (valve plates).
double stableTimeStep(const Geometry &geometry, const PrimitiveFields &w, double gamma, double courant);

} // namespace euler::fv
