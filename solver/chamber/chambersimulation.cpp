#include "chamber/chambersimulation.h"

#include "io/inputerror.h"
#include "io/numberformat.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace euler::chamber {
namespace {

std::vector<double> pocketAngles(const Compressor &compressor)
{
    std::vector<double> angles;
    for (const Valve &v : compressor.valves)
        angles.push_back(v.pocketAngle);
    return angles;
}

} // namespace

MeshCounts pocketCounts(const ChamberSetup &setup)
{
    if (!setup.pocket)
        return {};
    const fv::HexMesh &p = setup.pocket->hex;
    const double copies = static_cast<double>(setup.compressor.valves.size());
    // Every cell has six faces, each shared by two cells or on the boundary.
    return {copies * p.cellCount(), copies * p.nodeCount(),
            copies * 0.5 * (6.0 * p.cellCount() + static_cast<double>(p.boundary.size()))};
}

double chamberMemoryBytes(const ChamberMeshSpec &spec, const MeshCounts &pockets)
{
    MeshCounts n = meshCounts(spec);
    n.cells += pockets.cells;
    n.nodes += pockets.nodes;
    n.faces += pockets.faces;
    // The solver's estimate grows in proportion to the counts: beyond a
    // billion cells it is scaled up from a billion.
    const double scale = n.cells > 1e9 ? n.cells / 1e9 : 1.0;
    const double solver = scale * fv::solverMemoryEstimate(n.cells / scale, n.nodes / scale, n.faces / scale,
                                                           /*axialStretch=*/true);
    const double hex = n.nodes * (3 + 1 + 3) * sizeof(double) + n.cells * 8 * sizeof(Index)
                       + 2 * n.cells / spec.n3 * 5 * sizeof(Index);
    const double paraView = n.cells * (9 * sizeof(std::int32_t) + 1 + 6 * sizeof(float)) + n.nodes * 3 * sizeof(float);
    return solver + hex + paraView;
}

ChamberSimulation::ChamberSimulation(const ChamberSetup &setup)
    : setup_(setup),
      mesh_(setup.mesh, setup.compressor.crank.gap(0)),
      all_(pocketedMesh(mesh_.hex(), setup.pocket.get(), pocketAngles(setup.compressor))),
      motion_(mesh_, setup.compressor.crank),
      solver_(std::make_unique<fv::Solver>(all_.hex, fv::IdealGasEos(setup.compressor.gas), setup.scheme)),
      headFaces_(quadFaces(solver_->mesh(), mesh_.hex(), mesh_.firstHeadQuad(), mesh_.cellsPerLayer())),
      pistonFaces_(quadFaces(solver_->mesh(), mesh_.hex(), mesh_.firstPistonQuad(), mesh_.cellsPerLayer())),
      sideFaces_(quadFaces(solver_->mesh(), mesh_.hex(), mesh_.firstSideQuad(),
                           mesh_.section().circumferential * mesh_.layers())),
      valves_(setup.compressor, seatFaces(solver_->mesh(), all_.placed), setup.valvesHeldShut)
{
    for (Index f = solver_->mesh().internalFaceCount(); f < solver_->mesh().faceCount(); ++f)
        boundaryFaces_.push_back(f);
    solver_->setBoundaryKind(valves_.exchangeFaces(), fv::BoundaryKind::Exchange);
    // The mesh is built at the gap of crank angle 0.
    solver_->setAxialStretch(motion_.nodes(), motion_.zeta(), motion_.gap(0));
    if (setup.pocket) {
        join_ = joinPockets(mesh_, sideFaces_, all_.placed, *setup.pocket, *solver_);
        headJoin_ = joinRecesses(all_.hex, headFaces_, join_->pieceCapacity(), *solver_);
    }
    // The flows in the chamber are slow against the speed of sound.
    solver_->setLowMachCorrection(true);
    const Plenum &d = setup.compressor.discharge;
    solver_->setUniformState({setup.compressor.gas.density(d.pressure, d.temperature), 0, 0, 0, d.pressure});
    solver_->scalars().assign(scalar::count(valves_.count()), 0.0);
    solver_->refreshGradients(); // primitives of the initial state
    const fv::Totals start = solver_->totals();
    startMass_ = start.mass;
    startEnergy_ = start.energy;
}

double ChamberSimulation::crankAngleDeg() const
{
    return setup_.compressor.crank.omega() * time() * 180.0 / M_PI;
}

void ChamberSimulation::setCellState(Index cell, const fv::PointState &state)
{
    solver_->setCellState(cell, state);
    const fv::Totals start = solver_->totals();
    startMass_ = start.mass;
    startEnergy_ = start.energy;
}

bool ChamberSimulation::stretchFactor(double t, double &lambda)
{
    lambda = motion_.gap(t);
    return true;
}

void ChamberSimulation::interfacePieces(double t, const fv::Geometry &geometry, fv::InterfacePieces &pieces)
{
    if (!join_)
        return;
    const auto start = std::chrono::steady_clock::now();
    join_->update(motion_.gap(t), geometry, pieces);
    if (headJoin_)
        headJoin_->append(geometry, pieces);
    joinSeconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ChamberSimulation::beforeFluxes(const fv::StageInfo &stage, fv::Solver &solver)
{
    valves_.evaluate(solver.scalars().data(), solver, stage.dt);
    valves_.apply(solver);
}

// The walls' work: every boundary face's energy flux out of the gas, less the
// enthalpy the valves carry in (which the exchange faces' fluxes include).
void ChamberSimulation::scalarRates(const fv::StageInfo &, const fv::Solver &solver, const double *y, double *rates)
{
    double enthalpy = 0;
    for (const ValveOpening &o : valves_.openings())
        enthalpy += o.enthalpyRate;
    rates[scalar::work] = solver.faceSetFlux(boundaryFaces_, fv::Energy) + enthalpy;
    valves_.rates(y, rates);
}

void ChamberSimulation::advanceTo(double tEnd)
{
    const double courant = setup_.courantNumber;
    while (time() < tEnd) {
        try {
            valves_.evaluate(solver_->scalars().data(), *solver_, 0);
            double dt = std::min(solver_->stableTimeStep(courant), valves_.stableTimeStep(*solver_, courant));
            const double remaining = tEnd - time();
            // Avoid a sliver of a step just before the target.
            if (!(dt < remaining * 0.999))
                dt = remaining;
            solver_->step(dt, *this);
            if (dt == remaining)
                solver_->setTime(tEnd);
            lastStep_ = dt;
        } catch (const fv::NonPhysicalState &e) {
            throw RunError(RunError::Diverged,
                           "the computation diverged at crank angle "
                               + formatNumber(setup_.compressor.crank.omega() * e.time() * 180 / M_PI) + " deg: "
                               + e.what() + "; reduce the Courant number");
        }
        valves_.resolveStops(solver_->scalars());
        if (afterStep)
            afterStep(*this);
    }
}

double ChamberSimulation::pistonForce() const
{
    const fv::Geometry &g = solver_->geometry();
    const double wn = setup_.compressor.crank.pistonVelocity(setup_.compressor.crank.omega() * time());
    double force = 0;
    for (Index f : pistonFaces_) {
        const size_t i = static_cast<size_t>(f);
        const fv::FaceFrame frame{g.areaX[i] / g.area[i], g.areaY[i] / g.area[i], g.areaZ[i] / g.area[i], wn};
        force += fv::wallPressure(solver_->cellPrimitive(solver_->mesh().owner[i]), frame, solver_->eos().gamma)
                 * g.areaZ[i];
    }
    return force;
}

HistoryInstant ChamberSimulation::historyInstant()
{
    const fv::Solver &s = *solver_;
    const fv::PrimitiveFields &w = s.primitives();
    const std::vector<double> &volume = s.volumes();
    const Compressor &m = setup_.compressor;
    const std::vector<double> &y = s.scalars();
    valves_.evaluate(y.data(), s, lastStep_);

    HistoryInstant h;
    h.time = time();
    double pV = 0, mass = 0, V = 0;
    for (Index c = 0; c < s.mesh().cellCount(); ++c) {
        const size_t i = static_cast<size_t>(c);
        pV += w[fv::Pressure][i] * volume[i];
        mass += w[fv::Rho][i] * volume[i];
        V += volume[i];
    }
    double headArea = 0;
    for (Index f : headFaces_)
        headArea += s.geometry().area[static_cast<size_t>(f)];
    const double phi = m.crank.omega() * h.time;
    h.volume = V;
    h.volumeRate = headArea * m.crank.pistonVelocity(phi);
    h.pressure = pV / V;
    h.density = mass / V;
    h.temperature = pV / (m.gas.R * mass);
    h.mass = s.totals().mass;
    h.internalEnergy = pV / (m.gas.gamma - 1);
    h.energy = s.totals().energy;
    h.startMass = startMass_;
    h.startEnergy = startEnergy_;
    h.pdV = y[scalar::work];
    h.pistonForce = pistonForce();
    h.pistonPower = -h.pistonForce * m.crank.pistonVelocity(phi);
    h.timeSteps = stepCount();
    h.lastTimeStep = lastStep_;
    for (size_t j = 0; j < valves_.count(); ++j) {
        const ValveFlowState &f = valves_.openings()[j].flow;
        h.valves.push_back({y[scalar::lift(j)], y[scalar::velocity(j)], f.acceleration, f.area, f.pressureDrop,
                            f.massFlow, f.gasForce, f.springForce, y[scalar::mass(j)], y[scalar::enthalpy(j)],
                            valves_.impacts()[j]});
    }
    return h;
}

Totals ChamberSimulation::totals() const
{
    const std::vector<double> &y = solver_->scalars();
    Totals t;
    t.time = time();
    t.crankAngleDeg = crankAngleDeg();
    t.pdV = y[scalar::work];
    for (size_t j = 0; j < valves_.count(); ++j) {
        if (setup_.compressor.valves[j].kind == ValveKind::Suction) {
            t.suctionMass += y[scalar::mass(j)];
        } else {
            t.dischargeMass += y[scalar::mass(j)];
            t.dischargeEnthalpy -= y[scalar::enthalpy(j)];
        }
    }
    return t;
}

} // namespace euler::chamber
