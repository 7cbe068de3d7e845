#pragma once

#include "fv/boundary.h"
#include "fv/eos.h"
#include "fv/geometry.h"
#include "fv/gradient.h"
#include "fv/interface.h"
#include "fv/mesh.h"
#include "fv/reconstruction.h"
#include "fv/ssprk.h"
#include "fv/state.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace euler::fv {

class Solver;

// A step ended with a cell whose density or pressure is not positive or
// whose values are not finite. The driver turns it into its own failure
// (with the crank angle of time()).
class NonPhysicalState : public std::runtime_error
{
public:
    NonPhysicalState(double time, Index cell, const std::string &what)
        : std::runtime_error(what), time_(time), cell_(cell) {}
    double time() const { return time_; }
    Index cell() const { return cell_; }

private:
    double time_;
    Index cell_;
};

struct StageInfo
{
    int stage;      // 0 .. stages-1
    double time;    // s, the stage's time
    double dt;      // s, the step
};

// What a driver adds to every step, called a few times per step (never per
// face). Every method has a default that does nothing.
class StepHooks
{
public:
    virtual ~StepHooks() = default;
    // Node positions at time t into `nodes` (sized to the mesh). Return false
    // when the mesh does not move; the solver then keeps its geometry.
    virtual bool nodePositions(double t, NodePositions &nodes);
    // With an axial stretch set (Solver::setAxialStretch), asked instead of
    // nodePositions: the stretch factor at time t. Return false when the
    // mesh does not move.
    virtual bool stretchFactor(double t, double &lambda);
    // The interface pieces for the geometry at time t (after every move, and
    // once before the first step).
    virtual void interfacePieces(double t, const Geometry &geometry, InterfacePieces &pieces);
    // Before the fluxes of a stage: the stage's primitives, face-set means
    // and scalars are current. Set exchange inputs here.
    virtual void beforeFluxes(const StageInfo &stage, Solver &solver);
    // After the fluxes of a stage: the right-hand sides of the coupled
    // scalar ODEs at the stage values `y` (face fluxes of the stage are
    // available through faceSetFlux).
    virtual void scalarRates(const StageInfo &stage, const Solver &solver, const double *y, double *rates);
};

struct Totals
{
    double mass = 0;                  // kg
    double momentum[3] = {0, 0, 0};   // kg m/s
    double energy = 0;                // J, total
    double volume = 0;                // m^3
};

// Area-weighted mean of the owner cells' states over a face set.
struct FaceSetMean
{
    double area = 0; // m^2
    PointState state;
};

// The finite-volume Euler solver on a moving hexahedral mesh: the mesh and
// its geometry, the cell state, and the step loop.
class Solver
{
public:
    Solver(const HexMesh &hex, const IdealGasEos &eos, const SspScheme &scheme = sspRk3);

    const Mesh &mesh() const { return mesh_; }
    const Geometry &geometry() const { return geometry_; }
    const NodePositions &nodes() const { return nodes_; }
    const IdealGasEos &eos() const { return eos_; }
    const SspScheme &scheme() const { return scheme_; }
    double time() const { return time_; }
    long long stepCount() const { return steps_; }

    // Boundary kinds (all walls at first).
    void setBoundaryKind(const std::vector<Index> &faces, BoundaryKind kind);
    void setBoundaryKind(const std::string &patch, BoundaryKind kind);
    BoundaryKind boundaryKind(Index face) const { return bc_.kind[face - mesh_.internalFaceCount()]; }
    // The prescribed exchange of an exchange face, set before each stage.
    ExchangeInput &exchangeInput(Index face) { return bc_.exchange[face - mesh_.internalFaceCount()]; }
    // Shares a mass flow (kg/s into the cells) over exchange faces by their
    // current areas, each carrying h0 at the normal speed v.
    void shareExchange(const std::vector<Index> &faces, double massInflow, double totalEnthalpy, double normalSpeed);

    // Whether the face states of internal faces and interface pieces get the
    // low-Mach correction of lowmach.h before the flux (off at first).
    void setLowMachCorrection(bool on) { lowMach_ = on; }

    // Room for interface pieces (see interface.h), reserved before the run.
    void reserveInterfacePieces(Index pieces);
    const InterfacePieces &interfacePieces() const { return pieces_; }

    // Initial state. Between steps the primitives are always those of the
    // state; moving the nodes keeps each cell's primitive state.
    void setTime(double t) { time_ = t; }
    // Ends an axial stretch.
    void setNodePositions(const NodePositions &nodes);
    // Nodes `nodes` move along z as z = lambda zeta (x, y fixed) and all
    // others stay; the hooks then give lambda(t) (stretchFactor) instead of
    // node positions, and geometry, swept volumes and least-squares
    // coefficients follow from a reference at lambda = 1 at little cost
    // (stretch.h), to rounding as from the node positions. The listed nodes
    // are placed at factor `lambda` now; the cells keep their primitive
    // state. Throws MeshError for a node out of range or lists of different
    // lengths.
    void setAxialStretch(const std::vector<Index> &nodes, const std::vector<double> &zeta, double lambda);
    bool stretching() const { return stretch_.active(); }
    double stretchFactor() const { return lambda_; }
    void setUniformState(const PointState &s);
    void setCellState(Index cell, const PointState &s);
    // Coupled scalar ODE unknowns, advanced with the cells (see ssprk.h).
    std::vector<double> &scalars() { return y_; }
    const std::vector<double> &scalars() const { return y_; }

    // dt from the Courant number (timestep.h) for the current state.
    double stableTimeStep(double courant) const;
    // One step of size dt. Throws NonPhysicalState.
    void step(double dt, StepHooks &hooks);

    // Observables of the current state, each summed in a fixed order.
    Totals totals() const;
    FaceSetMean faceSetMean(const std::vector<Index> &faces) const;
    // Sum of one component of the face fluxes (rates, out of the owner) of
    // the last evaluated stage over a face set; for piston work and valve
    // balances inside scalarRates.
    double faceSetFlux(const std::vector<Index> &faces, Conserved component) const;
    // All face fluxes of the last evaluated stage (a copy made when asked).
    const ConservedFields &faceFluxes() const;
    const PrimitiveFields &primitives() const { return w_; }
    PointState cellPrimitive(Index c) const { return cellState(w_, c); }
    double temperature(Index c) const { return eos_.temperature(cellPrimitive(c)); }
    // Integrated conservative variables V U and the discrete volumes the
    // scheme carries (equal to the geometric ones to rounding).
    const ConservedFields &integrated() const { return q_; }
    const std::vector<double> &volumes() const { return volume_; }
    // faceState is the limited state of a face's owner at the face centroid
    // as the fluxes saw it: after a step that of its last stage, after
    // refreshGradients that of the current state.
    void refreshGradients();
    PointState faceState(Index face) const;

    // Bytes held by the arrays (for checking solverMemoryEstimate).
    std::size_t memoryInUse() const;

private:
    void ensurePrimitives(double t);
    void moveTo(const NodePositions &nodes, double t, StepHooks &hooks);
    void moveToFactor(double lambda, double t, StepHooks &hooks);
    void afterMove(double t, StepHooks &hooks);
    void placeNodes(const NodePositions &nodes);
    void stageMeshFlux(int k, double dt, bool moving, bool stretching);
    void gradientsAndLimiters();
    void computeFluxes();
    void updateStage(int k, double dt, double nextTime);
    void buildPieceGather();

    Mesh mesh_;
    IdealGasEos eos_;
    SspScheme scheme_;
    double time_ = 0;
    long long steps_ = 0;

    NodePositions nodes_;
    Geometry geometry_;
    LeastSquaresGradient lsq_;
    BoundaryConditions bc_;
    InterfacePieces pieces_;
    bool piecesSet_ = false;
    bool lowMach_ = false;

    // Distinct stage time fractions in (0, 1] and the nodes and swept
    // volumes there; slotOf_[k] for stage time k (k = stages is the end),
    // -1 at t.
    int slots_ = 0;
    double slotTime_[3] = {};
    int slotOf_[4] = {};
    NodePositions slotNodes_[3];
    std::vector<double> swept_[3];

    // The axial stretch, its factor now and at the stage times (slots).
    AxialStretch stretch_;
    double lambda_ = 1;
    double slotLambda_[3] = {};
    NodePositions scratch_;

    FaceMotion motion_;             // w_n per face
    std::vector<double> meshFlux_;  // dt Omega_f of the stage, per face
    bool meshAtRest_ = true;        // w_n and dt Omega_f are all zero
    ConservedFields q_, qn_;
    std::vector<double> volume_, volumeN_;
    PrimitiveFields w_;
    PairedPrimitives paired_;       // w_ as the gradient pass reads it
    bool pairedCurrent_ = false;
    bool primitivesCurrent_ = false;
    FaceValues faceValues_;
    Gradients grad_;                // for the interface pieces only
    // Per face a record of what leaves the owner through it in the stage:
    // the flux rates (area included) in the order of Conserved, then the
    // volume -dt Omega_f, so that the gather reads one record per face.
    static constexpr int VolumeOut = ConservedCount;
    std::vector<double> faceFlux_;
    mutable ConservedFields fluxCopy_;
    ConservedFields pieceFlux_;     // per interface piece
    std::vector<Index> pieceStart_, pieceEntries_; // cell -> pieces, p or ~p
    std::vector<double> yn_, y_, rates_;
};

// Bytes the solver will hold for a hexahedron mesh of that many cells,
// nodes and faces (mesh, its construction, geometry, state, work arrays;
// with an axial stretch of every node when asked), so that a caller can
// refuse a mesh too large for memory before building it. In floating point,
// so that absurd counts cannot overflow.
double solverMemoryEstimate(double cells, double nodes, double faces, bool axialStretch = false);
// The same for a block-structured mesh of N hexahedra (about N nodes and 3 N faces).
double solverMemoryEstimate(double cells, bool axialStretch = false);

} // namespace euler::fv
