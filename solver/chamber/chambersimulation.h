#pragma once

#include "chamber/chambermesh.h"
#include "chamber/chamberpockets.h"
#include "chamber/chambervalves.h"
#include "chamber/pistonmotion.h"
#include "fv/solver.h"
#include "io/historywriter.h"
#include "models/compressor.h"
#include "models/cycle.h"
#include "pockets/borejoin.h"
#include "pockets/pocketplacement.h"

#include <functional>
#include <memory>
#include <vector>

namespace euler::chamber {

// What a chamber run is made of.
struct ChamberSetup
{
    Compressor compressor;
    ChamberMeshSpec mesh;
    // One copy per valve at its pocket angle, its valve on the seat; none
    // for a bare chamber (checks of the chamber mesh), whose valves must be
    // held shut.
    std::shared_ptr<const pockets::PocketProper> pocket;
    double courantNumber = 0.5;
    bool valvesHeldShut = false;
    // Two stages instead of three: on the sample case the cycle's figures
    // move by 0.06 % against SSP-RK3, well below what the mesh moves them
    // (docs/solver-model.md, "SSP-RK2 or SSP-RK3"), for 0.66 times the time.
    fv::SspScheme scheme = fv::sspRk2;
};

// Bytes a chamber simulation of that mesh will hold: the solver's arrays
// (fv::solverMemoryEstimate), the hexahedron mesh it is built from, the node
// motion and the ParaView writer. In floating point, so that absurd counts
// give an absurd figure instead of overflowing.
// The pockets' counts (pocketCounts) are added to the chamber's.
double chamberMemoryBytes(const ChamberMeshSpec &spec, const MeshCounts &pockets = {});
// Cells, nodes and faces of a setup's pockets, all copies.
MeshCounts pocketCounts(const ChamberSetup &setup);

// The three-dimensional chamber in time: the finite-volume solver on the
// chamber mesh and the valve pockets after it, the piston moving the
// chamber's nodes, the pockets' openings joined to the sliding side wall
// (pockets::BoreJoin, recomputed whenever the nodes move), the valves
// exchanging gas through the pockets' seats. It starts at top dead centre with gas at rest at
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
    // The chamber's hexahedra followed by the pockets'.
    const fv::HexMesh &hex() const { return all_.hex; }
    const pockets::PlacedPockets &pockets() const { return all_.placed; }
    // The join of the pockets to the side wall (null without pockets), and
    // the wall-clock seconds its updates have taken so far.
    const pockets::BoreJoin *join() const { return join_.get(); }
    const pockets::HeadJoin *headJoin() const { return headJoin_.get(); }
    double joinSeconds() const { return joinSeconds_; }
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
    bool stretchFactor(double t, double &lambda) override;
    void interfacePieces(double t, const fv::Geometry &geometry, fv::InterfacePieces &pieces) override;
    void beforeFluxes(const fv::StageInfo &stage, fv::Solver &solver) override;
    void scalarRates(const fv::StageInfo &stage, const fv::Solver &solver, const double *y, double *rates) override;

    ChamberSetup setup_;
    ChamberMesh mesh_;
    PocketedMesh all_;
    PistonMotion motion_;
    std::unique_ptr<fv::Solver> solver_;
    std::vector<Index> headFaces_, pistonFaces_, sideFaces_, boundaryFaces_;
    ChamberValves valves_;
    std::unique_ptr<pockets::BoreJoin> join_;
    std::unique_ptr<pockets::HeadJoin> headJoin_;
    double joinSeconds_ = 0;
    double startMass_ = 0, startEnergy_ = 0;
    double lastStep_ = 0;
};

} // namespace euler::chamber
