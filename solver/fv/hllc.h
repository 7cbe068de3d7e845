#pragma once

#include "fv/state.h"

#include <algorithm>
#include <cmath>

namespace euler::fv {

// A flux through a face per unit area, in the order of Conserved.
struct FaceFlux
{
    double f[ConservedCount];
};

// Unit normal of a face and the speed w_n at which the face moves along it.
struct FaceFrame
{
    double nx, ny, nz;
    double wn;
};

// HLLC approximate Riemann solver, Toro, Riemann Solvers and Numerical
// Methods for Fluid Dynamics, 3rd ed., sect. 10.4, in arbitrary
// Lagrangian-Eulerian form.
//
// Wave speeds (Toro sect. 10.5.1; Einfeldt's bounds as Batten et al., SIAM J.
// Sci. Comput. 18 (1997) 1553, recommend them for HLLC):
//     S_L = min(u_L - a_L, u~ - a~),   S_R = max(u_R + a_R, u~ + a~)
// with the Roe averages u~ and a~, a~^2 written as
//     a~^2 = (sL aL^2 + sR aR^2) / (sL + sR) + (gamma-1)/2 sL sR / (sL + sR)^2 |u_R - u_L|^2,
//     sK = sqrt(rho_K),
// which is never negative. Contact speed, eq. (10.37):
//     S* = (p_R - p_L + rho_L u_L (S_L - u_L) - rho_R u_R (S_R - u_R))
//          / (rho_L (S_L - u_L) - rho_R (S_R - u_R))
// star states, eq. (10.39), with the tangential velocity carried over:
//     U*K = rho_K (S_K - u_K) / (S_K - S*) (1, S* n + u_K,t, E_K / rho_K + (S* - u_K) (S* + p_K / (rho_K (S_K - u_K))))
// and star fluxes, eq. (10.38): F*K = F_K + S_K (U*K - U_K); u_K are the
// normal velocities. A face moving at w_n sees the Riemann fan at x/t = w_n,
// so its flux is F(U_s) - w_n U_s of the fan state U_s there, F*K - w_n U*K
// in a star region.
inline FaceFlux hllcFlux(const PointState &L, const PointState &R, const FaceFrame &n, double gamma)
{
    const double g1 = gamma - 1.0;
    const double unL = L.u * n.nx + L.v * n.ny + L.w * n.nz;
    const double unR = R.u * n.nx + R.v * n.ny + R.w * n.nz;
    const double kinL = 0.5 * L.rho * (L.u * L.u + L.v * L.v + L.w * L.w);
    const double kinR = 0.5 * R.rho * (R.u * R.u + R.v * R.v + R.w * R.w);
    const double EL = L.p / g1 + kinL, ER = R.p / g1 + kinR;
    const double a2L = gamma * L.p / L.rho, a2R = gamma * R.p / R.rho;

    const double sL = std::sqrt(L.rho), sR = std::sqrt(R.rho);
    const double inv = 1.0 / (sL + sR);
    const double du = R.u - L.u, dv = R.v - L.v, dw = R.w - L.w;
    const double aRoe = std::sqrt((sL * a2L + sR * a2R) * inv + 0.5 * g1 * sL * sR * inv * inv * (du * du + dv * dv + dw * dw));
    const double unRoe = (sL * unL + sR * unR) * inv;
    const double SL = std::min(unL - std::sqrt(a2L), unRoe - aRoe);
    const double SR = std::max(unR + std::sqrt(a2R), unRoe + aRoe);

    const double mL = L.rho * (SL - unL), mR = R.rho * (SR - unR);
    const double Sstar = (R.p - L.p + mL * unL - mR * unR) / (mL - mR);

    // The side of the contact the face sees, and whether it lies beyond the
    // outer wave of that side.
    const bool left = n.wn <= Sstar;
    const PointState &K = left ? L : R;
    const double S = left ? SL : SR, un = left ? unL : unR, E = left ? EL : ER, m = left ? mL : mR;
    const double U[ConservedCount] = {K.rho, K.rho * K.u, K.rho * K.v, K.rho * K.w, E};
    const double F[ConservedCount] = {K.rho * un, K.rho * K.u * un + K.p * n.nx, K.rho * K.v * un + K.p * n.ny,
                                      K.rho * K.w * un + K.p * n.nz, (E + K.p) * un};
    FaceFlux out;
    if (left ? n.wn <= SL : n.wn >= SR) {
        for (int i = 0; i < ConservedCount; ++i)
            out.f[i] = F[i] - n.wn * U[i];
        return out;
    }
    const double rhoStar = m / (S - Sstar);
    const double dun = Sstar - un;
    const double Ustar[ConservedCount] = {rhoStar, rhoStar * (K.u + dun * n.nx), rhoStar * (K.v + dun * n.ny),
                                          rhoStar * (K.w + dun * n.nz),
                                          rhoStar * (E / K.rho + dun * (Sstar + K.p / m))};
    for (int i = 0; i < ConservedCount; ++i)
        out.f[i] = F[i] + S * (Ustar[i] - U[i]) - n.wn * Ustar[i];
    return out;
}

} // namespace euler::fv
