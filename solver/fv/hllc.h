#pragma once

#include "fv/simd.h"
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
//
// Written once over the number type T (simd.h) and without branches, so
// that the face loop runs two faces at a time: the side of the contact is
// chosen first, then the star state of that side is computed even where the
// face lies beyond the outer wave (with a harmless denominator there) and
// the result selected. Writing E_K / rho_K = a_K^2 / (gamma (gamma-1)) +
// |u_K|^2 / 2, and rho*_K = m_K d and rho*_K p_K / m_K = p_K d with
// m_K = rho_K (S_K - u_K), d = 1 / (S_K - S*), saves two divisions.
// L and R are primitive states (order of Primitive), n the unit normal,
// wn the face speed; out is the flux per unit area (order of Conserved).
template <class T>
inline void hllcKernel(const T *L, const T *R, T nx, T ny, T nz, T wn, double gamma, T *out)
{
    const double g1 = gamma - 1.0, invG1 = 1.0 / g1, invGammaG1 = 1.0 / (gamma * g1);
    const T unL = L[VelocityX] * nx + L[VelocityY] * ny + L[VelocityZ] * nz;
    const T unR = R[VelocityX] * nx + R[VelocityY] * ny + R[VelocityZ] * nz;
    const T q2L = L[VelocityX] * L[VelocityX] + L[VelocityY] * L[VelocityY] + L[VelocityZ] * L[VelocityZ];
    const T q2R = R[VelocityX] * R[VelocityX] + R[VelocityY] * R[VelocityY] + R[VelocityZ] * R[VelocityZ];
    const T a2L = gamma * L[Pressure] / L[Rho], a2R = gamma * R[Pressure] / R[Rho];

    const T sL = sqrtOf(L[Rho]), sR = sqrtOf(R[Rho]);
    const T inv = 1.0 / (sL + sR);
    const T du = R[VelocityX] - L[VelocityX], dv = R[VelocityY] - L[VelocityY], dw = R[VelocityZ] - L[VelocityZ];
    const T aRoe = sqrtOf((sL * a2L + sR * a2R) * inv + 0.5 * g1 * sL * sR * inv * inv * (du * du + dv * dv + dw * dw));
    const T unRoe = (sL * unL + sR * unR) * inv;
    const T SL = minOf(unL - sqrtOf(a2L), unRoe - aRoe);
    const T SR = maxOf(unR + sqrtOf(a2R), unRoe + aRoe);

    const T mL = L[Rho] * (SL - unL), mR = R[Rho] * (SR - unR);
    const T Sstar = (R[Pressure] - L[Pressure] + mL * unL - mR * unR) / (mL - mR);

    // The side of the contact the face sees, and whether it lies beyond the
    // outer wave of that side.
    const auto left = wn <= Sstar;
    T K[PrimitiveCount];
    for (int v = 0; v < PrimitiveCount; ++v)
        K[v] = select(left, L[v], R[v]);
    const T S = select(left, SL, SR), un = select(left, unL, unR), a2 = select(left, a2L, a2R);
    const T q2 = select(left, q2L, q2R), m = select(left, mL, mR);
    const auto outer = selectMask(left, wn <= SL, wn >= SR);

    const T rho = K[Rho], p = K[Pressure];
    const T e = a2 * invGammaG1 + 0.5 * q2; // E / rho
    const T E = p * invG1 + 0.5 * rho * q2;
    const T U[ConservedCount] = {rho, rho * K[VelocityX], rho * K[VelocityY], rho * K[VelocityZ], E};
    const T F[ConservedCount] = {rho * un, rho * K[VelocityX] * un + p * nx, rho * K[VelocityY] * un + p * ny,
                                 rho * K[VelocityZ] * un + p * nz, (E + p) * un};
    const T invD = 1.0 / select(outer, splat<T>(1.0), S - Sstar);
    const T rhoStar = m * invD;
    const T dun = Sstar - un;
    const T Ustar[ConservedCount] = {rhoStar, rhoStar * (K[VelocityX] + dun * nx), rhoStar * (K[VelocityY] + dun * ny),
                                     rhoStar * (K[VelocityZ] + dun * nz), rhoStar * e + dun * (rhoStar * Sstar + p * invD)};
    // F*K - w_n U*K = F_K - w_n U_K + (S_K - w_n) (U*K - U_K): one selection.
    const T weight = select(outer, splat<T>(0.0), S - wn);
    for (int i = 0; i < ConservedCount; ++i)
        out[i] = F[i] - wn * U[i] + weight * (Ustar[i] - U[i]);
}

inline FaceFlux hllcFlux(const PointState &L, const PointState &R, const FaceFrame &n, double gamma)
{
    const double l[PrimitiveCount] = {L.rho, L.u, L.v, L.w, L.p}, r[PrimitiveCount] = {R.rho, R.u, R.v, R.w, R.p};
    FaceFlux out;
    hllcKernel(l, r, n.nx, n.ny, n.nz, n.wn, gamma, out.f);
    return out;
}

} // namespace euler::fv
