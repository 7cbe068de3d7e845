#pragma once

namespace euler::fv {

// Strong-stability-preserving Runge-Kutta schemes in Shu-Osher form (C.-W.
// Shu and S. Osher, J. Comput. Phys. 77 (1988) 439; S. Gottlieb, C.-W. Shu
// and E. Tadmor, SIAM Review 43 (2001) 89):
//     Q(0) = Q^n,
//     Q(k+1) = a_k Q^n + b_k (Q(k) + dt R(Q(k), t + c_k dt)),   a_k + b_k = 1,
//     Q^(n+1) = Q(stages).
// SSP-RK3: (a, b, c) = (0, 1, 0), (3/4, 1/4, 1), (1/3, 2/3, 1/2).
// SSP-RK2: (0, 1, 0), (1/2, 1/2, 1).
//
// Arbitrary Lagrangian-Eulerian form. The unknowns are Q = V U, and the
// volume is advanced with the same stages,
//     V(k+1) = a_k V^n + b_k (V(k) + sum_f s_f dt Omega_f(k)),
// where Omega_f(k) is the volume rate face f sweeps in stage k. Let S_f(c)
// be the volume face f sweeps from t to t + c dt (S_f(0) = 0). Asking that
// the discrete volume after every stage be the geometric volume at the next
// stage time, V(k+1) = V(t + c_(k+1) dt) with c_stages = 1, and using
// V(t + c dt) = V^n + sum_f s_f S_f(c) and a_k + b_k = 1, gives face by face
//     dt Omega_f(k) = S_f(c_(k+1)) / b_k - S_f(c_k).
// For SSP-RK3, with S1 = S_f(1) and Sh = S_f(1/2):
//     stage 0: dt Omega = S1
//     stage 1: dt Omega = 4 Sh - S1
//     stage 2: dt Omega = 3/2 S1 - Sh
// (their Runge-Kutta weighted sum 1/6, 1/6, 2/3 is S1: the step sweeps the
// face's whole swept volume). The face velocity for the fluxes of stage k
// is w_n = Omega_f(k) / |A_f|, the area at the stage time.
//
// Coupled scalar ODEs (valve plates, integrated valve flows, piston work)
// take the same stages and weights,
//     y(k+1) = a_k y^n + b_k (y(k) + dt f(y(k), Q(k), t + c_k dt)),
// so sums over the cells and over integrated boundary flows balance to
// rounding.
struct SspStage
{
    double a, b, c;
};

struct SspScheme
{
    int stages;
    SspStage stage[3];

    // Time fraction at which stage k is evaluated; stage `stages` is the end.
    double time(int k) const { return k < stages ? stage[k].c : 1.0; }
};

constexpr SspScheme sspRk3{3, {{0.0, 1.0, 0.0}, {0.75, 0.25, 1.0}, {1.0 / 3.0, 2.0 / 3.0, 0.5}}};
constexpr SspScheme sspRk2{2, {{0.0, 1.0, 0.0}, {0.5, 0.5, 1.0}, {0.0, 0.0, 0.0}}};

} // namespace euler::fv
