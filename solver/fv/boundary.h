#pragma once

#include "fv/hllc.h"
#include "fv/mesh.h"

#include <cstdint>
#include <vector>

namespace euler::fv {

// What a boundary face does.
//  - Wall: a slip wall moving with its nodes (head, side wall, piston).
//  - Exchange: a wall through which the driver prescribes, before every
//    stage, the mass flow, the total enthalpy it carries and its speed normal
//    to the wall (valves); with zero mass flow it is a wall.
//  - Interface: carries no flux itself; the face is covered by interface
//    pieces (overlaps with the faces of another mesh part, and wall pieces)
//    that the driver gives as extra faces.
enum class BoundaryKind : std::uint8_t { Wall, Exchange, Interface };

// Prescribed exchange through one face, per stage.
struct ExchangeInput
{
    double massInflow = 0;     // kg/s into the cell (negative: out of it)
    double totalEnthalpy = 0;  // J/kg the crossing gas carries, h + |u|^2/2
    double normalSpeed = 0;    // m/s >= 0 of the crossing gas along the wall normal
    // m/s, the crossing gas's velocity along the wall (gas leaving a cell
    // takes its share of the cell's motion along the wall with it).
    double tangential[3] = {0, 0, 0};
};

// The value a boundary face's mirror cell shows to gradients and limiter
// bounds: at a wall the cell's state with the velocity relative to the wall
// reflected, u_g = u - 2 (u.n - w_n) n; at exchange and interface faces the
// cell's own state (no gradient across the face).
inline PointState ghostState(BoundaryKind kind, const PointState &s, const FaceFrame &n)
{
    if (kind != BoundaryKind::Wall)
        return s;
    const double d = 2.0 * (s.u * n.nx + s.v * n.ny + s.w * n.nz - n.wn);
    return {s.rho, s.u - d * n.nx, s.v - d * n.ny, s.w - d * n.nz, s.p};
}

// Pressure on a slip wall moving at w_n next to the gas state s: the star
// pressure of the HLLC problem between s and its mirror image,
//     p* = p + rho (S_L - u_n) (w_n - u_n),
// where by symmetry S* = w_n, the Roe averages are u~ = w_n and
// a~^2 = a^2 + (gamma-1)/2 (u_n - w_n)^2, and S_L = min(u_n - a, w_n - a~)
// (hllc.h). Not below zero.
inline double wallPressure(const PointState &s, const FaceFrame &n, double gamma)
{
    const double un = s.u * n.nx + s.v * n.ny + s.w * n.nz;
    const double rel = un - n.wn;
    const double a2 = gamma * s.p / s.rho;
    const double SL = std::min(un - std::sqrt(a2), n.wn - std::sqrt(a2 + 0.5 * (gamma - 1.0) * rel * rel));
    return std::max(0.0, s.p - s.rho * (SL - un) * rel);
}

// Flux through a wall face of area A (not per area): no mass crosses, the
// wall pressure pushes with p* A n and does the work p* w_n A.
inline FaceFlux wallFlux(const PointState &s, const FaceFrame &n, double area, double gamma)
{
    const double pa = wallPressure(s, n, gamma) * area;
    return {{0.0, pa * n.nx, pa * n.ny, pa * n.nz, pa * n.wn}};
}

// Flux through an exchange face of area A: the wall's plus the prescribed
// stream, which leaves through the face at the rate -mdot, carrying mdot h0
// in and the momentum |mdot| v along the outward normal (in for inflow, out
// for outflow) and mdot u_t along the wall.
inline FaceFlux exchangeFlux(const PointState &s, const FaceFrame &n, double area, double gamma,
                             const ExchangeInput &in)
{
    FaceFlux f = wallFlux(s, n, area, gamma);
    const double push = std::fabs(in.massInflow) * in.normalSpeed;
    f.f[Density] -= in.massInflow;
    f.f[MomentumX] += push * n.nx - in.massInflow * in.tangential[0];
    f.f[MomentumY] += push * n.ny - in.massInflow * in.tangential[1];
    f.f[MomentumZ] += push * n.nz - in.massInflow * in.tangential[2];
    f.f[Energy] -= in.massInflow * in.totalEnthalpy;
    return f;
}

// Kinds of every boundary face (indexed by face - internalFaceCount), all
// walls until set otherwise.
struct BoundaryConditions
{
    std::vector<BoundaryKind> kind;
    std::vector<ExchangeInput> exchange; // per boundary face, read at exchange faces

    void resize(const Mesh &mesh);
};

} // namespace euler::fv
