#pragma once

#include "chamber/chambermesh.h"
#include "chamber/chambervalves.h"
#include "chamber/pistonmotion.h"
#include "fv/solver.h"
#include "io/historywriter.h"
#include "models/compressor.h"
#include "models/cycle.h"

#include <functional>
#include <memory>
#include <vector>

namespace euler::chamber {

// What a chamber run is made of.
struct ChamberSetup
{
    Compressor compressor;
    ChamberMeshSpec mesh;
    double valveRadius = 0;     // d_V / 2
    double courantNumber = 0.5;
    bool valvesHeldShut = false;
};

// Bytes a chamber simulation of that mesh will hold: the solver's arrays
// (fv::solverMemoryEstimate), the hexahedron mesh it is built from, the node
// motion and the ParaView writer. In floating point, so that absurd counts
// give an absurd figure instead of overflowing.
double chamberMemoryBytes(const ChamberMeshSpec &spec);

// The three-dimensional chamber in time: the finite-volume solver on the
// chamber mesh, the piston moving its nodes, the valves exchanging gas
// through the side wall. It starts at top dead centre with gas at rest at
// the discharge pressure and the discharge plenum temperature, every plate
// on its seat. Each step is the Courant number times the smaller of the
// solver's time scale and the valves' (ChamberValves::timeScale), cut so that
// advanceTo reaches its target exactly; after each step plates past a stop
// are put back onto it.
class ChamberSimulation : private fv::StepHooks
{
public:
    explicit ChamberSimulation(const ChamberSetup &setup);

    const ChamberMesh &mesh() const { return mesh_; }
    const fv::Solver &solver() const { return *solver_; }
    const Compressor &compressor() const { return setup_.compressor; }
    const ChamberValves &valves() const { return valves_; }
    double time() const { return solver_->time(); }
    double crankAngleDeg() const;
    double gap() const { return motion_.gap(time()); }
    long long stepCount() const { return solver_->stepCount(); }
    double lastStepSize() const { return lastStep_; }

    // Mesh faces of the walls, in ChamberMesh quad order within each patch.
    const std::vector<Index> &headFaces() const { return headFaces_; }
    const std::vector<Index> &pistonFaces() const { return pistonFaces_; }
    const std::vector<Index> &sideFaces() const { return sideFaces_; }

    // Replaces the gas state of one cell (tests start pulses with it).
    void setCellState(Index cell, const fv::PointState &state);

    // Steps until time tEnd is reached exactly. Throws RunError (Diverged)
    // naming the crank angle and the cell when the state became unphysical.
    void advanceTo(double tEnd);

    // The chamber now, for Output.txt: volume-weighted pressure,
    // mass-weighted temperature, totals over the cells; the valves evaluated
    // at this instant.
    HistoryInstant historyInstant();
    // The balances now, for the cycle results.
    Totals totals() const;
    // The limited state at a wall face's centroid, as the fluxes see it;
    // refreshWallStates first, once after the last step.
    void refreshWallStates() { solver_->refreshGradients(); }
    fv::PointState wallState(Index face) const { return solver_->faceState(face); }

    // The walls' pressure on the piston now, and the largest impacts.
    double pistonForce() const;
    const std::vector<ImpactRecord> &impacts() const { return valves_.impacts(); }

    // Called after every step (tests watch the run with it).
    std::function<void(const ChamberSimulation &)> afterStep;

private:
    bool nodePositions(double t, fv::NodePositions &nodes) override;
    void beforeFluxes(const fv::StageInfo &stage, fv::Solver &solver) override;
    void scalarRates(const fv::StageInfo &stage, const fv::Solver &solver, const double *y, double *rates) override;

    ChamberSetup setup_;
    ChamberMesh mesh_;
    PistonMotion motion_;
    std::unique_ptr<fv::Solver> solver_;
    std::vector<Index> headFaces_, pistonFaces_, sideFaces_, boundaryFaces_;
    ChamberValves valves_;
    double startMass_ = 0, startEnergy_ = 0;
    double lastStep_ = 0;
};

} // namespace euler::chamber
