#pragma once

#include "io/pocketmesh.h"

#include <vector>

namespace euler {

// A valve jet seen from the chamber: a point source (sink when negative) of
// volume flow rate Q (m^3/s into the chamber) at the pocket mouth.
struct JetSource
{
    Vec3 position;
    double flowRate = 0;
};

// Quasi-steady potential flow in the chamber, reconstructed from the lumped
// state (z along the cylinder axis from the head, gap s, piston speed v_p):
//   u(X) = (0, 0, v_p z / s) + sum_j Q_j / pi * d_j / (|d_j|^2 + r_c^2)^(3/2),  d_j = X - P_j
// The first term is the piston-driven axial flow (zero at the head, the piston
// speed at the piston); each source sits where the head meets the bore, so it
// feeds a quarter space (solid angle pi); r_c, the valve radius, removes the
// singularity at the mouth.
struct ChamberFlowField
{
    double pistonVelocity = 0;
    double gap = 1;
    double coreRadius = 0;
    std::vector<JetSource> jets;

    Vec3 velocity(const Vec3 &point) const;
};

// Local gas state on a wall from the chamber state and the local speed:
// Bernoulli from the chamber pressure, p = p_c - rho_c |u|^2 / 2 (kept above
// p_c / 10), then isentropic density and temperature.
struct WallState
{
    double density = 0, pressure = 0, temperature = 0;
};
WallState wallState(double chamberPressure, double chamberDensity, double gamma, double R, double speedSquared);

} // namespace euler
