#pragma once

// The sample case on small chamber meshes for the 3D solver's tests.
#include "chamber/chamberrun.h"
#include "chamber/chambersimulation.h"
#include "solvertestcase.h"

#include "io/pocketmesh.h"
#include "pockets/pocketproper.h"

#include <algorithm>
#include <cmath>

namespace chambertest {

// The sample case's pocket, cut from a coarse mesh of the reference pocket
// (tools/meshgen with square 3, ring 1 and one layer per zone), with its
// recess behind the head plane.
inline const euler::pockets::PocketProper &coarsePocket()
{
    static const euler::pockets::PocketProper pocket = euler::pockets::pocketProper(
        euler::readPocketHexMesh(QFINDTESTDATA("data/pocket_coarse.msh").toStdString(), 0.001), 0.34,
        "pocket_coarse.msh");
    return pocket;
}

enum class Pockets { Coarse, None };

// The sample case's chamber with a coarse mesh: n1, n2, n3 as given, with
// the coarse pocket at every valve, or a bare chamber (whose valves must be
// held shut).
inline euler::chamber::ChamberSetup sampleSetup(int n1, int n2, int n3, bool valvesHeldShut = false,
                                                Pockets pockets = Pockets::Coarse)
{
    euler::chamber::ChamberSetup setup = euler::chamber::chamberSetup(
        solvertest::sampleCylinder(), solvertest::sampleValves(),
        pockets == Pockets::Coarse ? &coarsePocket() : nullptr, valvesHeldShut);
    setup.mesh.n1 = n1;
    setup.mesh.n2 = n2;
    setup.mesh.n3 = n3;
    return setup;
}

// The time scheme of a data row's stage count: SSP-RK2 or SSP-RK3.
inline const euler::fv::SspScheme &sspScheme(int stages)
{
    return stages == 2 ? euler::fv::sspRk2 : euler::fv::sspRk3;
}

// Time of crank angle deg.
inline double timeAt(const euler::chamber::ChamberSimulation &sim, double deg)
{
    return deg * M_PI / 180 / sim.compressor().crank.omega();
}

// The chamber's inner planes moving between a head and a piston held at the
// gap s0: plane zeta at z = s0 (zeta + zeta (1 - zeta) f), f in [0, 1).
inline double innerPlaneHeight(double s0, double f, double zeta)
{
    return s0 * (zeta + zeta * (1 - zeta) * f);
}

// The largest departure of the cells' states from a state at rest: relative
// in density and pressure, velocities against 400 m/s.
inline double departureFromRest(const euler::fv::PrimitiveFields &w, const euler::fv::PointState &rest)
{
    namespace fv = euler::fv;
    double worst = 0;
    for (size_t c = 0; c < w[fv::Rho].size(); ++c)
        worst = std::max({worst, std::fabs(w[fv::Rho][c] / rest.rho - 1), std::fabs(w[fv::Pressure][c] / rest.p - 1),
                          std::fabs(w[fv::VelocityX][c]) / 400, std::fabs(w[fv::VelocityY][c]) / 400,
                          std::fabs(w[fv::VelocityZ][c]) / 400});
    return worst;
}

// Mass and energy balances now, relative to the chamber's mass and energy:
// the cells' totals minus what the valves let in (and, for the energy, plus
// the work of the walls).
struct Balances
{
    double mass = 0, energy = 0;
};

inline Balances balances(euler::chamber::ChamberSimulation &sim)
{
    const euler::HistoryInstant h = sim.historyInstant();
    double massIn = 0, enthalpyIn = 0;
    for (size_t j = 0; j < h.valves.size(); ++j) {
        const bool suction = sim.compressor().valves[j].kind == euler::ValveKind::Suction;
        massIn += suction ? h.valves[j].massSum : -h.valves[j].massSum;
        enthalpyIn += h.valves[j].enthalpySum;
    }
    return {(h.mass - h.startMass - massIn) / h.mass, (h.energy - h.startEnergy - enthalpyIn + h.pdV) / h.energy};
}

} // namespace chambertest
