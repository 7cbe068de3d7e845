#include "fv/solver.h"

#include "fv/lowmach.h"
#include "fv/reconstruction.h"
#include "fv/timestep.h"

#include <cmath>
#include <cstdio>

namespace euler::fv {

bool StepHooks::nodePositions(double, NodePositions &) { return false; }
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
    for (auto *f : {&q_, &qn_, &residual_, &flux_})
        f->resize(f == &flux_ ? faces : cells);
    volume_ = geometry_.volume;
    volumeN_ = volume_;
    volumeRate_.assign(cells, 0.0);
    w_.resize(cells);
    primitivesCurrent_ = true; // all zero, like the state, until it is set
    grad_.resize(cells);
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
    pieces_.reserve(pieces);
    pieceFlux_.resize(pieces);
    pieceEntries_.assign(2 * static_cast<std::size_t>(pieces), 0);
}

void Solver::setNodePositions(const NodePositions &nodes)
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
    if (bad >= 0)
        throw NonPhysicalState(t, bad, nonPhysicalText(t, bad, q_, volume_));
    primitivesCurrent_ = true;
}

double Solver::stableTimeStep(double courant) const
{
    return fv::stableTimeStep(geometry_, w_, eos_.gamma, courant);
}

// The algorithm of one step (ssprk.h): for every stage, move the mesh to the
// stage time, update the geometry, the primitives, the gradients and limited
// face states, the fluxes, gather the residuals and take the stage update.
void Solver::step(double dt, StepHooks &hooks)
{
    const double t0 = time_;
    ensurePrimitives(t0);
    if (!piecesSet_ && pieces_.capacity() > 0) {
        hooks.interfacePieces(t0, geometry_, pieces_);
        buildPieceGather();
        piecesSet_ = true;
    }
    yn_ = y_;
    rates_.resize(y_.size());

    bool moving = false;
    for (int j = 0; j < slots_; ++j)
        moving = hooks.nodePositions(t0 + slotTime_[j] * dt, slotNodes_[j]) || moving;
    if (moving)
        for (int j = 0; j < slots_; ++j)
            sweptVolumes(mesh_, nodes_, slotNodes_[j], swept_[j]);

    for (int k = 0; k < scheme_.stages; ++k) {
        const StageInfo stage{k, t0 + scheme_.stage[k].c * dt, dt};
        if (k > 0 && moving)
            moveTo(slotOf_[k] < 0 ? nodes_ : slotNodes_[slotOf_[k]], stage.time, hooks);
        ensurePrimitives(stage.time);
        stageMeshFlux(k, dt, moving);
        hooks.beforeFluxes(stage, *this);
        gradientsAndLimiters();
        computeFluxes();
        gather();
        hooks.scalarRates(stage, *this, y_.data(), rates_.data());
        stageUpdate(k, dt);
    }
    time_ = t0 + dt;
    if (moving) {
        const NodePositions &end = slotNodes_[slotOf_[scheme_.stages]];
        moveTo(end, time_, hooks);
        std::copy(end.x.begin(), end.x.end(), nodes_.x.begin());
        std::copy(end.y.begin(), end.y.end(), nodes_.y.begin());
        std::copy(end.z.begin(), end.z.end(), nodes_.z.begin());
    }
    ++steps_;
    ensurePrimitives(time_);
}

void Solver::moveTo(const NodePositions &nodes, double t, StepHooks &hooks)
{
    geometry_.update(mesh_, nodes);
    lsq_.updateMatrices(mesh_, geometry_);
    if (pieces_.capacity() > 0) {
        hooks.interfacePieces(t, geometry_, pieces_);
        buildPieceGather();
    }
}

// dt Omega_f(k) = S_f(c_(k+1)) / b_k - S_f(c_k), w_n = Omega_f / |A_f|.
void Solver::stageMeshFlux(int k, double dt, bool moving)
{
    if (!moving) {
        std::fill(meshFlux_.begin(), meshFlux_.end(), 0.0);
        std::fill(motion_.normalSpeed.begin(), motion_.normalSpeed.end(), 0.0);
        return;
    }
    const int next = slotOf_[k + 1], now = slotOf_[k];
    const double inverseB = 1.0 / scheme_.stage[k].b;
    const Index faces = mesh_.faceCount();
#pragma omp parallel for schedule(static)
    for (Index f = 0; f < faces; ++f) {
        const double to = next < 0 ? 0.0 : swept_[next][f];
        const double from = now < 0 ? 0.0 : swept_[now][f];
        meshFlux_[f] = to * inverseB - from;
        motion_.normalSpeed[f] = meshFlux_[f] / (dt * geometry_.area[f]);
    }
}

void Solver::gradientsAndLimiters()
{
    limitedGradients(mesh_, geometry_, lsq_, bc_, motion_, w_, grad_);
}

void Solver::refreshGradients()
{
    gradientsAndLimiters();
}

PointState Solver::faceState(Index face) const
{
    return fv::faceState(w_, grad_, geometry_, mesh_.owner[face], face);
}

void Solver::computeFluxes()
{
    const Index internal = mesh_.internalFaceCount(), faces = mesh_.faceCount();
    const double gamma = eos_.gamma;
    const Geometry &g = geometry_;
    auto frameOf = [&](Index f) {
        const double inv = 1.0 / g.area[f];
        return FaceFrame{g.areaX[f] * inv, g.areaY[f] * inv, g.areaZ[f] * inv, motion_.normalSpeed[f]};
    };
    auto store = [&](Index f, const FaceFlux &flux) {
        for (int v = 0; v < ConservedCount; ++v)
            flux_[v][f] = flux.f[v];
    };
#pragma omp parallel for schedule(static)
    for (Index f = 0; f < internal; ++f) {
        PointState L = fv::faceState(w_, grad_, g, mesh_.owner[f], f);
        PointState R = fv::faceState(w_, grad_, g, mesh_.neighbour[f], f);
        if (lowMach_)
            lowMachCorrection(L, R, gamma);
        FaceFlux flux = hllcFlux(L, R, frameOf(f), gamma);
        for (double &v : flux.f)
            v *= g.area[f];
        store(f, flux);
    }
#pragma omp parallel for schedule(static)
    for (Index f = internal; f < faces; ++f) {
        const PointState L = fv::faceState(w_, grad_, g, mesh_.owner[f], f);
        const Index b = f - internal;
        switch (bc_.kind[b]) {
        case BoundaryKind::Wall: store(f, wallFlux(L, frameOf(f), g.area[f], gamma)); break;
        case BoundaryKind::Exchange: store(f, exchangeFlux(L, frameOf(f), g.area[f], gamma, bc_.exchange[b])); break;
        case BoundaryKind::Interface: store(f, FaceFlux{{0, 0, 0, 0, 0}}); break;
        }
    }

    const InterfacePieces &p = pieces_;
#pragma omp parallel for schedule(static)
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

// R_c = -sum_f s_f F_f over the cell's faces in their fixed order, then its
// interface pieces in theirs; likewise the volume rate sum_f s_f dt Omega_f.
void Solver::gather()
{
    const Index cells = mesh_.cellCount();
    const bool withPieces = pieces_.count > 0;
#pragma omp parallel for schedule(static)
    for (Index c = 0; c < cells; ++c) {
        double r[ConservedCount] = {0, 0, 0, 0, 0};
        double dv = 0;
        for (Index i = mesh_.cellFaceStart[c]; i < mesh_.cellFaceStart[c + 1]; ++i) {
            const Index e = mesh_.cellFaces[i];
            const Index f = e >= 0 ? e : ~e;
            const double s = e >= 0 ? -1.0 : 1.0;
            for (int v = 0; v < ConservedCount; ++v)
                r[v] += s * flux_[v][f];
            dv -= s * meshFlux_[f];
        }
        if (withPieces)
            for (Index i = pieceStart_[c]; i < pieceStart_[c + 1]; ++i) {
                const Index e = pieceEntries_[i];
                const Index p = e >= 0 ? e : ~e;
                const double s = e >= 0 ? -1.0 : 1.0;
                for (int v = 0; v < ConservedCount; ++v)
                    r[v] += s * pieceFlux_[v][p];
            }
        for (int v = 0; v < ConservedCount; ++v)
            residual_[v][c] = r[v];
        volumeRate_[c] = dv;
    }
}

// Q(k+1) = a_k Q^n + b_k (Q(k) + dt R(k)), the same for V (with the swept
// volumes, already multiplied by dt) and the scalars. The first stage keeps
// Q^n and V^n on its way.
void Solver::stageUpdate(int k, double dt)
{
    const double a = scheme_.stage[k].a, b = scheme_.stage[k].b;
    const Index cells = mesh_.cellCount();
    const bool first = k == 0;
#pragma omp parallel for schedule(static)
    for (Index c = 0; c < cells; ++c) {
        if (first) {
            for (int v = 0; v < ConservedCount; ++v)
                qn_[v][c] = q_[v][c];
            volumeN_[c] = volume_[c];
        }
        for (int v = 0; v < ConservedCount; ++v)
            q_[v][c] = a * qn_[v][c] + b * (q_[v][c] + dt * residual_[v][c]);
        volume_[c] = a * volumeN_[c] + b * (volume_[c] + volumeRate_[c]);
    }
    for (std::size_t i = 0; i < y_.size(); ++i)
        y_[i] = a * yn_[i] + b * (y_[i] + dt * rates_[i]);
    primitivesCurrent_ = false;
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
        sum += flux_[component][f];
    return sum;
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
    n += nodeBytes(nodes_);
    for (int j = 0; j < slots_; ++j)
        n += nodeBytes(slotNodes_[j]) + bytes(swept_[j]);
    const Geometry &g = geometry_;
    for (const auto *v : {&g.areaX, &g.areaY, &g.areaZ, &g.area, &g.centreX, &g.centreY, &g.centreZ, &g.meanX,
                          &g.meanY, &g.meanZ, &g.volume, &g.cellX, &g.cellY, &g.cellZ, &g.lengthScale})
        n += bytes(*v);
    n += 6 * mesh_.cellFaces.size() * sizeof(double); // least-squares coefficients and offsets
    n += bytes(bc_.kind) + bytes(bc_.exchange);
    n += bytes(motion_.normalSpeed) + bytes(meshFlux_);
    n += fieldBytes(q_) + fieldBytes(qn_) + fieldBytes(residual_) + fieldBytes(flux_) + fieldBytes(w_);
    n += bytes(volume_) + bytes(volumeN_) + bytes(volumeRate_);
    n += bytes(grad_.g);
    n += bytes(pieceStart_) + bytes(pieceEntries_) + fieldBytes(pieceFlux_);
    return n;
}

// Per cell: state Q, Q^n, residual, primitives (4 x 5), gradients (15),
// least-squares coefficients and face offsets (6 per face, 36), volumes and
// rate (3), cell geometry (5), the gather (7 indices); per face: geometry (10), fluxes (5), w_n and dt Omega
// (2), swept volumes at two stage times (2), nodes, owner, neighbour (6
// indices), boundary data (at most 32 bytes); per node: positions now and
// at two stage times (9). Building the mesh needs, per cell, 6 keyed faces
// (24 bytes each), 6 face records (16 bytes) and the face map (6 indices)
// at once with the hexahedron mesh, before the solver's arrays exist; the
// larger of the two phases counts.
double solverMemoryEstimate(double cells, double nodes, double faces)
{
    constexpr double d = sizeof(double), i = sizeof(Index);
    const double perCell = (4 * ConservedCount + 3 * PrimitiveCount + 36 + 3 + 5) * d + 7 * i;
    const double perFace = (10 + 5 + 2 + 2) * d + 6 * i + 32;
    const double perNode = 9 * d;
    const double build = cells * (6 * 24 + 6 * 16 + 6 * i);
    const double run = cells * perCell + faces * perFace + nodes * perNode;
    return run > build ? run : build;
}

double solverMemoryEstimate(double cells)
{
    return solverMemoryEstimate(cells, 1.125 * cells + 64, 3.25 * cells + 64);
}

} // namespace euler::fv
