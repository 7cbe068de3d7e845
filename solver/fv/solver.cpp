#include "fv/solver.h"

#include "fv/facefluxes.h"
#include "fv/lowmach.h"
#include "fv/parallel.h"
#include "fv/reconstruction.h"
#include "fv/stageupdate.h"
#include "fv/timestep.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace euler::fv {

bool StepHooks::nodePositions(double, NodePositions &) { return false; }
bool StepHooks::stretchFactor(double, double &) { return false; }
void StepHooks::interfacePieces(double, const Geometry &, InterfacePieces &) {}
void StepHooks::beforeFluxes(const StageInfo &, Solver &) {}
void StepHooks::scalarRates(const StageInfo &, const Solver &, const double *, double *) {}

namespace {

std::string nonPhysicalText(double t, Index cell, const ConservedFields &q, const std::vector<double> &volume)
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "the state became unphysical at t = %.9g s in cell %d (density %.6g kg/m3, energy %.6g J/m3)", t,
                  static_cast<int>(cell), q[Density][cell] / volume[cell], q[Energy][cell] / volume[cell]);
    return text;
}

} // namespace

Solver::Solver(const HexMesh &hex, const IdealGasEos &eos, const SspScheme &scheme)
    : mesh_(hex), eos_(eos), scheme_(scheme)
{
    const Index cells = mesh_.cellCount(), faces = mesh_.faceCount();
    nodes_.assign(hex);
    geometry_.resize(mesh_);
    geometry_.update(mesh_, nodes_);
    lsq_.resize(mesh_);
    lsq_.updateMatrices(mesh_, geometry_);
    bc_.resize(mesh_);

    // Stage time fractions: each distinct nonzero one gets a slot.
    for (int k = 0; k <= scheme_.stages; ++k) {
        const double c = scheme_.time(k);
        slotOf_[k] = -1;
        if (c == 0)
            continue;
        for (int j = 0; j < slots_; ++j)
            if (slotTime_[j] == c)
                slotOf_[k] = j;
        if (slotOf_[k] < 0) {
            slotTime_[slots_] = c;
            slotOf_[k] = slots_++;
        }
    }
    for (int j = 0; j < slots_; ++j) {
        slotNodes_[j].resize(mesh_.nodeCount());
        swept_[j].assign(faces, 0.0);
    }

    motion_.normalSpeed.assign(faces, 0.0);
    meshFlux_.assign(faces, 0.0);
    for (auto *f : {&q_, &qn_})
        f->resize(cells);
    faceFlux_.assign(FaceValues::record * static_cast<std::size_t>(faces), 0.0);
    volume_ = geometry_.volume;
    volumeN_ = volume_;
    w_.resize(cells);
    paired_.resize(cells);
    primitivesCurrent_ = true; // all zero, like the state, until it is set
    faceValues_.resize(mesh_);
    pieceStart_.assign(cells + 1, 0);
}

void Solver::setBoundaryKind(const std::vector<Index> &faces, BoundaryKind kind)
{
    for (Index f : faces) {
        if (f < mesh_.internalFaceCount() || f >= mesh_.faceCount())
            throw MeshError("face " + std::to_string(f) + " is not a boundary face");
        bc_.kind[f - mesh_.internalFaceCount()] = kind;
    }
}

void Solver::setBoundaryKind(const std::string &patch, BoundaryKind kind)
{
    setBoundaryKind(mesh_.patchFaces(patch), kind);
}

void Solver::shareExchange(const std::vector<Index> &faces, double massInflow, double totalEnthalpy,
                           double normalSpeed)
{
    double area = 0;
    for (Index f : faces)
        area += geometry_.area[f];
    for (Index f : faces)
        exchangeInput(f) = {massInflow * geometry_.area[f] / area, totalEnthalpy, normalSpeed};
}

void Solver::reserveInterfacePieces(Index pieces)
{
    grad_.resize(mesh_.cellCount());
    pieces_.reserve(pieces);
    pieceFlux_.resize(pieces);
    pieceEntries_.assign(2 * static_cast<std::size_t>(pieces), 0);
}

void Solver::setNodePositions(const NodePositions &nodes)
{
    stretch_ = AxialStretch();
    placeNodes(nodes);
}

void Solver::setAxialStretch(const std::vector<Index> &nodes, const std::vector<double> &zeta, double lambda)
{
    stretch_ = AxialStretch(mesh_, nodes_, nodes, zeta);
    NodePositions placed;
    stretch_.positions(1.0, placed);
    Geometry reference;
    reference.resize(mesh_);
    reference.update(mesh_, placed);
    stretch_.positions(lambda, placed);
    placeNodes(placed);
    scratch_ = placed; // sized for the faces that need node positions
    // The moving faces and cells as every stage will have them.
    stretch_.update(mesh_, lambda, geometry_, scratch_);
    lsq_.setStretching(mesh_, reference, stretch_);
    lsq_.setStretchFactor(lambda);
    lsq_.updateMatrices(mesh_, geometry_, stretch_.generalStencils());
    lambda_ = lambda;
    volume_ = geometry_.volume;
    toIntegrated(eos_, w_, volume_, q_);
}

// New node positions: geometry, coefficients and volumes, the cells keeping
// their primitive state.
void Solver::placeNodes(const NodePositions &nodes)
{
    nodes_ = nodes;
    geometry_.update(mesh_, nodes_);
    lsq_.updateMatrices(mesh_, geometry_);
    volume_ = geometry_.volume;
    // The cells keep their primitive state in their new volumes.
    toIntegrated(eos_, w_, volume_, q_);
}

void Solver::setUniformState(const PointState &s)
{
    for (Index c = 0; c < mesh_.cellCount(); ++c)
        setCellState(c, s);
}

void Solver::setCellState(Index c, const PointState &s)
{
    pairedCurrent_ = false;
    setIntegrated(eos_, s, volume_[c], q_, c);
    w_[Rho][c] = s.rho;
    w_[VelocityX][c] = s.u;
    w_[VelocityY][c] = s.v;
    w_[VelocityZ][c] = s.w;
    w_[Pressure][c] = s.p;
}

void Solver::ensurePrimitives(double t)
{
    if (primitivesCurrent_)
        return;
    const Index bad = toPrimitive(eos_, q_, volume_, w_);
    pairedCurrent_ = false;
    if (bad >= 0)
        throw NonPhysicalState(t, bad, nonPhysicalText(t, bad, q_, volume_));
    primitivesCurrent_ = true;
}

double Solver::stableTimeStep(double courant) const
{
    return fv::stableTimeStep(geometry_, w_, eos_.gamma, courant);
}

// The algorithm of one step (ssprk.h): for every stage, move the mesh to the
// stage time and update the geometry, then the limited face states, the
// fluxes, and in one pass over the cells the residuals, the stage update and
// the primitives of the new state.
void Solver::step(double dt, StepHooks &hooks)
{
    const double t0 = time_;
    ensurePrimitives(t0);
    if (!piecesSet_ && pieces_.capacity() > 0) {
        hooks.interfacePieces(t0, geometry_, pieces_);
        buildPieceGather();
        piecesSet_ = true;
    }
    if (!pairedCurrent_)
        paired_.assign(w_); // the stages keep it with the primitives
    pairedCurrent_ = true;
    yn_ = y_;
    rates_.resize(y_.size());

    // The stretch factors, or the node positions and swept volumes, at the
    // stage times.
    const bool stretching = stretch_.active();
    bool moving = false;
    for (int j = 0; j < slots_; ++j)
        moving = (stretching ? hooks.stretchFactor(t0 + slotTime_[j] * dt, slotLambda_[j])
                             : hooks.nodePositions(t0 + slotTime_[j] * dt, slotNodes_[j]))
                 || moving;
    if (moving && !stretching)
        for (int j = 0; j < slots_; ++j)
            sweptVolumes(mesh_, nodes_, slotNodes_[j], swept_[j]);
    if (!moving)
        std::fill(slotLambda_, slotLambda_ + slots_, lambda_);

    int at = -1; // the slot the geometry is at, -1 the step's start
    for (int k = 0; k < scheme_.stages; ++k) {
        const StageInfo stage{k, t0 + scheme_.stage[k].c * dt, dt};
        if (k > 0 && moving && slotOf_[k] != at) {
            at = slotOf_[k];
            if (stretching)
                moveToFactor(at < 0 ? lambda_ : slotLambda_[at], stage.time, hooks);
            else
                moveTo(at < 0 ? nodes_ : slotNodes_[at], stage.time, hooks);
        }
        stageMeshFlux(k, dt, moving, stretching);
        hooks.beforeFluxes(stage, *this);
        gradientsAndLimiters();
        computeFluxes();
        hooks.scalarRates(stage, *this, y_.data(), rates_.data());
        updateStage(k, dt, t0 + scheme_.time(k + 1) * dt);
    }
    // The end's geometry, unless the last stage was there already (SSP-RK2).
    time_ = t0 + dt;
    const int end = slotOf_[scheme_.stages];
    if (moving && stretching) {
        lambda_ = slotLambda_[end];
        if (at != end)
            moveToFactor(lambda_, time_, hooks);
        stretch_.positions(lambda_, nodes_);
    } else if (moving) {
        const NodePositions &end = slotNodes_[slotOf_[scheme_.stages]];
        if (at != slotOf_[scheme_.stages])
            moveTo(end, time_, hooks);
        std::copy(end.x.begin(), end.x.end(), nodes_.x.begin());
        std::copy(end.y.begin(), end.y.end(), nodes_.y.begin());
        std::copy(end.z.begin(), end.z.end(), nodes_.z.begin());
    }
    ++steps_;
}

void Solver::moveTo(const NodePositions &nodes, double t, StepHooks &hooks)
{
    geometry_.update(mesh_, nodes);
    lsq_.updateMatrices(mesh_, geometry_);
    afterMove(t, hooks);
}

void Solver::moveToFactor(double lambda, double t, StepHooks &hooks)
{
    stretch_.update(mesh_, lambda, geometry_, scratch_);
    lsq_.updateMatrices(mesh_, geometry_, stretch_.generalStencils());
    lsq_.setStretchFactor(lambda);
    afterMove(t, hooks);
}

void Solver::afterMove(double t, StepHooks &hooks)
{
    if (pieces_.capacity() > 0) {
        hooks.interfacePieces(t, geometry_, pieces_);
        buildPieceGather();
    }
}

// dt Omega_f(k) = S_f(c_(k+1)) / b_k - S_f(c_k), w_n = Omega_f / |A_f|.
void Solver::stageMeshFlux(int k, double dt, bool moving, bool stretching)
{
    if (!moving) {
        if (!meshAtRest_) {
            std::fill(meshFlux_.begin(), meshFlux_.end(), 0.0);
            std::fill(motion_.normalSpeed.begin(), motion_.normalSpeed.end(), 0.0);
            meshAtRest_ = true;
        }
        return;
    }
    meshAtRest_ = false;
    const int next = slotOf_[k + 1], now = slotOf_[k];
    const double inverseB = 1.0 / scheme_.stage[k].b;
    const Index faces = mesh_.faceCount();
#pragma omp parallel for schedule(static)
    for (Index f = 0; f < faces; ++f) {
        double to, from;
        if (stretching) {
            to = next < 0 ? 0.0 : stretch_.swept(f, lambda_, slotLambda_[next]);
            from = now < 0 ? 0.0 : stretch_.swept(f, lambda_, slotLambda_[now]);
        } else {
            to = next < 0 ? 0.0 : swept_[next][f];
            from = now < 0 ? 0.0 : swept_[now][f];
        }
        meshFlux_[f] = to * inverseB - from;
        motion_.normalSpeed[f] = meshFlux_[f] / (dt * geometry_.area[f]);
    }
}

// The interface pieces reconstruct at their own centroids and need the
// limited gradients; every face reads its limited face values.
void Solver::gradientsAndLimiters()
{
    limitedFaceValues(mesh_, geometry_, lsq_, bc_, motion_, paired_, &faceValues_,
                      pieces_.capacity() > 0 ? &grad_ : nullptr);
}

void Solver::refreshGradients()
{
    paired_.assign(w_);
    gradientsAndLimiters();
}

PointState Solver::faceState(Index face) const
{
    return faceValues_.ownerState(face);
}

// Face records (solver.h): the fluxes, then the volume leaving the owner.
void Solver::computeFluxes()
{
    const Index internal = mesh_.internalFaceCount(), faces = mesh_.faceCount();
    const double gamma = eos_.gamma;
    const Geometry &g = geometry_;
    constexpr int record = FaceValues::record;
    auto frameOf = [&](Index f) { return FaceFrame{g.normalX[f], g.normalY[f], g.normalZ[f], motion_.normalSpeed[f]}; };
    auto store = [&](Index f, const FaceFlux &flux, double area) {
        double *r = &faceFlux_[record * static_cast<std::size_t>(f)];
        for (int v = 0; v < ConservedCount; ++v)
            r[v] = flux.f[v] * area;
        r[VolumeOut] = -meshFlux_[f];
    };
    const InternalFaceInputs in{faceValues_.owner.data(), faceValues_.neighbour.data(), g.normalX.data(),
                                g.normalY.data(), g.normalZ.data(), motion_.normalSpeed.data(),
                                g.area.data(), meshFlux_.data(), gamma, faceFlux_.data()};
#pragma omp parallel
    {
        const IndexRange share = threadShare(internal);
        if (lowMach_)
            lowMachCorrection(faceValues_, share.begin, share.end, gamma);
        internalFaceFluxes(in, share.begin, share.end);
#pragma omp for schedule(static) nowait
        for (Index f = internal; f < faces; ++f) {
            const PointState L = faceValues_.ownerState(f);
            const Index b = f - internal;
            switch (bc_.kind[b]) {
            case BoundaryKind::Wall: store(f, wallFlux(L, frameOf(f), g.area[f], gamma), 1.0); break;
            case BoundaryKind::Exchange: store(f, exchangeFlux(L, frameOf(f), g.area[f], gamma, bc_.exchange[b]), 1.0); break;
            case BoundaryKind::Interface: store(f, FaceFlux{{0, 0, 0, 0, 0}}, 1.0); break;
            }
        }
    }

    const InterfacePieces &p = pieces_;
#pragma omp parallel for schedule(static) if (p.count >= parallelFrom)
    for (Index i = 0; i < p.count; ++i) {
        const double area = std::sqrt(p.areaX[i] * p.areaX[i] + p.areaY[i] * p.areaY[i] + p.areaZ[i] * p.areaZ[i]);
        const double inv = area > 0 ? 1.0 / area : 0.0;
        const FaceFrame frame{p.areaX[i] * inv, p.areaY[i] * inv, p.areaZ[i] * inv, 0.0};
        PointState L = reconstruct(w_, grad_, g, p.owner[i], p.centreX[i], p.centreY[i], p.centreZ[i]);
        FaceFlux flux;
        if (p.neighbour[i] >= 0) {
            PointState R = reconstruct(w_, grad_, g, p.neighbour[i], p.centreX[i], p.centreY[i], p.centreZ[i]);
            if (lowMach_)
                lowMachCorrection(L, R, gamma);
            flux = hllcFlux(L, R, frame, gamma);
            for (double &v : flux.f)
                v *= area;
        } else {
            flux = wallFlux(L, frame, area, gamma);
        }
        for (int v = 0; v < ConservedCount; ++v)
            pieceFlux_[v][i] = flux.f[v];
    }
}

// The stage update of every cell (stageupdate.h) and of the scalars; a
// cell whose state became unphysical stops the step at the next stage's
// time.
void Solver::updateStage(int k, double dt, double nextTime)
{
    const double a = scheme_.stage[k].a, b = scheme_.stage[k].b;
    const StageUpdate update{mesh_, eos_, a, b, dt, k == 0, faceFlux_.data(), pieceStart_, pieceEntries_, pieceFlux_,
                             q_, qn_, volume_, volumeN_, w_, paired_};
    constexpr Index none = std::numeric_limits<Index>::max();
    Index bad = none;
#pragma omp parallel reduction(min : bad)
    {
        const IndexRange share = threadShare(mesh_.cellCount());
        const Index found = updateCells(update, share.begin, share.end);
        if (found >= 0)
            bad = found;
    }
    for (std::size_t i = 0; i < y_.size(); ++i)
        y_[i] = a * yn_[i] + b * (y_[i] + dt * rates_[i]);
    primitivesCurrent_ = bad == none;
    if (bad != none)
        throw NonPhysicalState(nextTime, bad, nonPhysicalText(nextTime, bad, q_, volume_));
}

// Cell to piece gather by counting, in the reserved arrays.
void Solver::buildPieceGather()
{
    const Index cells = mesh_.cellCount();
    std::fill(pieceStart_.begin(), pieceStart_.end(), 0);
    for (Index i = 0; i < pieces_.count; ++i) {
        ++pieceStart_[pieces_.owner[i] + 1];
        if (pieces_.neighbour[i] >= 0)
            ++pieceStart_[pieces_.neighbour[i] + 1];
    }
    for (Index c = 0; c < cells; ++c)
        pieceStart_[c + 1] += pieceStart_[c];
    // Fill by moving each cell's start along, then shift the starts back.
    for (Index i = 0; i < pieces_.count; ++i) {
        pieceEntries_[pieceStart_[pieces_.owner[i]]++] = i;
        if (pieces_.neighbour[i] >= 0)
            pieceEntries_[pieceStart_[pieces_.neighbour[i]]++] = ~i;
    }
    for (Index c = cells; c > 0; --c)
        pieceStart_[c] = pieceStart_[c - 1];
    pieceStart_[0] = 0;
}

Totals Solver::totals() const
{
    Totals t;
    for (Index c = 0; c < mesh_.cellCount(); ++c) {
        t.mass += q_[Density][c];
        t.momentum[0] += q_[MomentumX][c];
        t.momentum[1] += q_[MomentumY][c];
        t.momentum[2] += q_[MomentumZ][c];
        t.energy += q_[Energy][c];
        t.volume += volume_[c];
    }
    return t;
}

FaceSetMean Solver::faceSetMean(const std::vector<Index> &faces) const
{
    FaceSetMean m;
    double sum[PrimitiveCount] = {0, 0, 0, 0, 0};
    for (Index f : faces) {
        const double a = geometry_.area[f];
        const Index c = mesh_.owner[f];
        for (int v = 0; v < PrimitiveCount; ++v)
            sum[v] += a * w_[v][c];
        m.area += a;
    }
    if (m.area > 0)
        m.state = {sum[Rho] / m.area, sum[VelocityX] / m.area, sum[VelocityY] / m.area, sum[VelocityZ] / m.area,
                   sum[Pressure] / m.area};
    return m;
}

double Solver::faceSetFlux(const std::vector<Index> &faces, Conserved component) const
{
    double sum = 0;
    for (Index f : faces)
        sum += faceFlux_[FaceValues::record * static_cast<std::size_t>(f) + component];
    return sum;
}

const ConservedFields &Solver::faceFluxes() const
{
    fluxCopy_.resize(mesh_.faceCount());
    for (Index f = 0; f < mesh_.faceCount(); ++f)
        for (int v = 0; v < ConservedCount; ++v)
            fluxCopy_[v][f] = faceFlux_[FaceValues::record * static_cast<std::size_t>(f) + v];
    return fluxCopy_;
}

namespace {

template <class T>
std::size_t bytes(const std::vector<T> &v)
{
    return v.capacity() * sizeof(T);
}

template <class Fields>
std::size_t fieldBytes(const Fields &f)
{
    std::size_t n = 0;
    for (const auto &a : f.v)
        n += bytes(a);
    return n;
}

std::size_t nodeBytes(const NodePositions &p) { return bytes(p.x) + bytes(p.y) + bytes(p.z); }

} // namespace

std::size_t Solver::memoryInUse() const
{
    std::size_t n = bytes(mesh_.faceNodes) + bytes(mesh_.owner) + bytes(mesh_.neighbour) + bytes(mesh_.cellFaceStart)
                    + bytes(mesh_.cellFaces);
    n += nodeBytes(nodes_) + nodeBytes(scratch_) + stretch_.bytes();
    for (int j = 0; j < slots_; ++j)
        n += nodeBytes(slotNodes_[j]) + bytes(swept_[j]);
    const Geometry &g = geometry_;
    for (const auto *v : {&g.areaX, &g.areaY, &g.areaZ, &g.area, &g.normalX, &g.normalY, &g.normalZ, &g.centreX,
                          &g.centreY, &g.centreZ, &g.meanX,
                          &g.meanY, &g.meanZ, &g.volume, &g.cellX, &g.cellY, &g.cellZ, &g.lengthScale})
        n += bytes(*v);
    n += lsq_.bytes();
    n += bytes(bc_.kind) + bytes(bc_.exchange);
    n += bytes(motion_.normalSpeed) + bytes(meshFlux_);
    n += fieldBytes(q_) + fieldBytes(qn_) + bytes(faceFlux_) + fieldBytes(w_);
    n += bytes(faceValues_.owner) + bytes(faceValues_.neighbour);
    n += bytes(volume_) + bytes(volumeN_);
    n += bytes(grad_.g) + bytes(paired_.v);
    n += bytes(pieceStart_) + bytes(pieceEntries_) + fieldBytes(pieceFlux_);
    return n;
}

// Per cell: state Q, Q^n and primitives (3 x 5), the primitives' pair copy
// (6), gradients (15, with interface pieces), least-squares coefficients
// and face offsets (6 per face, 36) and the cell across each face (6
// indices), volumes (2), cell geometry (5), the gather and the piece gather
// (8 indices); per face: geometry (13), flux records (6), the limited
// states of both sides (12), w_n and dt Omega (2), swept volumes at two
// stage times (2), nodes, owner, neighbour (6 indices), boundary data (at
// most 32 bytes); per node: positions now and at two stage times (9). An
// axial stretch adds per face its reference (4), unit swept volume and an
// index, per cell its reference (2), an index and two flags, per node the
// still positions and the scratch positions (6), its factor and index.
// Building the mesh needs, per cell, 6 keyed faces (24 bytes each), 6 face
// records (16 bytes) and the face map (6 indices) at once with the
// hexahedron mesh, before the solver's arrays exist; the larger of the two
// phases counts.
double solverMemoryEstimate(double cells, double nodes, double faces, bool axialStretch)
{
    constexpr double d = sizeof(double), i = sizeof(Index);
    double perCell = (2 * ConservedCount + 3 * PrimitiveCount + 6 + 15 + 36 + 2 + 5) * d + (8 + 6) * i;
    double perFace = (13 + 6 + 12 + 2 + 2) * d + 6 * i + 32;
    double perNode = 9 * d;
    if (axialStretch) {
        perCell += 2 * d + i + 2;
        perFace += 5 * d + i;
        perNode += 7 * d + i;
    }
    const double build = cells * (6 * 24 + 6 * 16 + 6 * i);
    const double run = cells * perCell + faces * perFace + nodes * perNode;
    return run > build ? run : build;
}

double solverMemoryEstimate(double cells, bool axialStretch)
{
    return solverMemoryEstimate(cells, 1.125 * cells + 64, 3.25 * cells + 64, axialStretch);
}

} // namespace euler::fv
