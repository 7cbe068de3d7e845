#include "chamber/chambervalves.h"

#include "io/inputerror.h"
#include "io/numberformat.h"

#include "formats/caselayout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace euler::chamber {
namespace {

// The step follows each seat face's feedback with the slope of its flow
// taken no closer to the plenum's pressure than this fraction of it: a cell
// about to settle at the plenum's pressure (slope unbounded but for the
// orifice's linear band) would otherwise set steps far below the flow's own
// time scales. Its flow is limited to the step instead (shareFlow).
constexpr double settledBand = 0.01;

} // namespace

// SSP-RK3: R(-z) = 1 - z + z^2/2 - z^3/6, -1/3 at z = 2 (stable up to
// 2.51). SSP-RK2: R(-z) = 1 - z + z^2/2, at its least, 1/2, at z = 1; at
// z = 2 it no longer damps at all.
double exchangeDampingLimit(const fv::SspScheme &scheme)
{
    return scheme.stages >= 3 ? 2.0 : 1.0;
}

ValveSide approachState(const IdealGas &gas, const fv::PointState &cell, double towards)
{
    const double T = gas.temperature(cell.p, cell.rho);
    const double away = std::min(0.0, towards);
    const double speed2 = std::max(0.0, cell.u * cell.u + cell.v * cell.v + cell.w * cell.w - away * away);
    const double g = gas.gamma;
    const double mach2 = speed2 * cell.rho / (g * cell.p);
    const double p0 = cell.p * std::pow(1 + 0.5 * (g - 1) * mach2, g / (g - 1));
    return {p0, p0, T + 0.5 * speed2 / gas.cp()};
}

ChamberValves::ChamberValves(const Compressor &compressor, std::vector<std::vector<Index>> seatFaces, bool heldShut)
    : compressor_(compressor), orifice_(compressor.gas.gamma, compressor.gas.R), heldShut_(heldShut),
      impacts_(compressor.valves.size())
{
    seatFaces.resize(compressor.valves.size());
    for (size_t j = 0; j < seatFaces.size(); ++j) {
        if (seatFaces[j].empty() && !heldShut)
            throw std::invalid_argument(compressor.valves[j].name() + " has no seat faces");
        ValveOpening o;
        o.faces = std::move(seatFaces[j]);
        o.openArea.assign(o.faces.size(), 0.0);
        o.exchange.assign(o.faces.size(), {});
        o.faceSide.assign(o.faces.size(), {});
        openings_.push_back(std::move(o));
    }
}

std::vector<Index> ChamberValves::exchangeFaces() const
{
    std::vector<Index> faces;
    for (const ValveOpening &o : openings_)
        faces.insert(faces.end(), o.faces.begin(), o.faces.end());
    return faces;
}

void ChamberValves::evaluate(const double *y, const fv::Solver &solver, double dt)
{
    const fv::Geometry &g = solver.geometry();
    const fv::PrimitiveFields &w = solver.primitives();
    const std::vector<Index> &owner = solver.mesh().owner;
    const IdealGas &gas = compressor_.gas;
    for (size_t j = 0; j < openings_.size(); ++j) {
        ValveOpening &o = openings_[j];
        const Valve &valve = compressor_.valves[j];
        double open = 0, p = 0, rho = 0, p0 = 0, T0 = 0;
        for (size_t k = 0; k < o.faces.size(); ++k) {
            const size_t f = static_cast<size_t>(o.faces[k]);
            const double a = g.area[f];
            const size_t c = static_cast<size_t>(owner[f]);
            o.openArea[k] = a;
            open += a;
            const fv::PointState cell{w[fv::Rho][c], w[fv::VelocityX][c], w[fv::VelocityY][c], w[fv::VelocityZ][c],
                                      w[fv::Pressure][c]};
            const double towards = (cell.u * g.areaX[f] + cell.v * g.areaY[f] + cell.w * g.areaZ[f]) / g.area[f];
            o.faceSide[k] = approachState(gas, cell, towards);
            p += a * cell.p;
            rho += a * cell.rho;
            p0 += a * o.faceSide[k].flowPressure;
            T0 += a * o.faceSide[k].flowTemperature;
        }
        if (o.faces.empty()) { // held shut in a bare chamber: its volume mean
            const std::vector<double> &volume = solver.volumes();
            for (size_t c = 0; c < volume.size(); ++c) {
                open += volume[c];
                p += volume[c] * w[fv::Pressure][c];
                rho += volume[c] * w[fv::Rho][c];
            }
            p0 = p;
            T0 = open * gas.temperature(p / open, rho / open);
        }
        o.totalOpenArea = o.faces.empty() ? 0.0 : open;
        o.pressure = p / open;
        o.density = rho / open;
        o.temperature = gas.temperature(o.pressure, o.density);
        o.side = {p0 / open, p0 / open, T0 / open};
        o.flow = valveFlow(compressor_, valve, orifice_, o.side, y[scalar::lift(j)], y[scalar::velocity(j)], heldShut_);
        shareFlow(valve, o, solver, dt);
    }
}

// Every seat face passes its share of the effective area, a_f / A_open,
// driven by its own cell's approach state: where the pocket's gas cannot
// reach a part of the seat, that part passes what its own pressure drives,
// never gas against it.
void ChamberValves::shareFlow(const Valve &valve, ValveOpening &o, const fv::Solver &solver, double dt) const
{
    const fv::Geometry &g = solver.geometry();
    const fv::PrimitiveFields &w = solver.primitives();
    const std::vector<Index> &owner = solver.mesh().owner;
    const IdealGas &gas = compressor_.gas;
    const Plenum &plenum = compressor_.plenumOf(valve);
    const double plenumDensity = gas.density(plenum.pressure, plenum.temperature);
    o.massRate = o.enthalpyRate = 0;
    const double damped = exchangeDampingLimit(solver.scheme());
    for (size_t k = 0; k < o.faces.size(); ++k) {
        const size_t f = static_cast<size_t>(o.faces[k]);
        const size_t c = static_cast<size_t>(owner[f]);
        const ValveSide &side = o.faceSide[k];
        double m = valveMassFlowIn(compressor_, valve, orifice_, o.flow.area * o.openArea[k] / o.totalOpenArea, side);
        // A cell settling at the plenum's pressure faster than the step
        // resolves: its flow limited to what the step damps.
        if (dt > 0) {
            const double lambdaDt = feedbackRate(valve, o, k, solver, 0) * dt;
            if (lambdaDt > damped)
                m *= damped / lambdaDt;
        }
        const double u = w[fv::VelocityX][c], v = w[fv::VelocityY][c], wz = w[fv::VelocityZ][c];
        const double towards = (u * g.areaX[f] + v * g.areaY[f] + wz * g.areaZ[f]) / g.area[f];
        const double h0 = m > 0 ? gas.cp() * plenum.temperature
                                : gas.cp() * gas.temperature(w[fv::Pressure][c], w[fv::Rho][c])
                                      + 0.5 * (u * u + v * v + wz * wz);
        fv::ExchangeInput &in = o.exchange[k];
        if (m > 0) { // plenum gas expanded to the face's pressure, normal to the wall
            const double jetDensity = plenumDensity * std::pow(side.flowPressure / plenum.pressure, 1.0 / gas.gamma);
            in = {m, h0, m / (jetDensity * o.openArea[k])};
        } else { // the leaving gas takes its motion along the wall along
            in = {m, h0, std::max(0.0, towards)};
            const double n[3] = {g.areaX[f] / g.area[f], g.areaY[f] / g.area[f], g.areaZ[f] / g.area[f]};
            const double cell[3] = {u, v, wz};
            for (int d = 0; d < 3; ++d)
                in.tangential[d] = m < 0 ? cell[d] - towards * n[d] : 0.0;
        }
        o.massRate += m;
        o.enthalpyRate += m * h0;
    }
    // What the valve passes is what its faces pass.
    if (!o.faces.empty()) {
        o.flow.massFlowIn = o.massRate;
        o.flow.massFlow = valve.kind == ValveKind::Suction ? o.massRate : -o.massRate;
        o.flow.enthalpyFlowIn = o.enthalpyRate;
    }
}

double ChamberValves::feedbackRate(const Valve &valve, const ValveOpening &o, size_t k, const fv::Solver &solver,
                                   double band) const
{
    const size_t c = static_cast<size_t>(solver.mesh().owner[static_cast<size_t>(o.faces[k])]);
    const fv::PrimitiveFields &w = solver.primitives();
    const ValveSide &side = o.faceSide[k];
    const double area = o.flow.area * o.openArea[k] / o.totalOpenArea;
    const double plenum = compressor_.plenumOf(valve).pressure;
    double p = side.flowPressure;
    if (std::fabs(p - plenum) < band * plenum)
        p = plenum * (p < plenum ? 1 - band : 1 + band);
    // The slope by a central difference well inside the orifice's linear band.
    const double dp = 1e-7 * p;
    const auto flowAt = [&](double q) {
        return valveMassFlowIn(compressor_, valve, orifice_, area, {side.pressure, q, side.flowTemperature});
    };
    const double slope = std::fabs(flowAt(p + dp) - flowAt(p - dp)) / (2 * dp);
    return slope * compressor_.gas.gamma * w[fv::Pressure][c] / (w[fv::Rho][c] * solver.geometry().volume[c]);
}

void ChamberValves::apply(fv::Solver &solver) const
{
    for (const ValveOpening &o : openings_)
        for (size_t k = 0; k < o.faces.size(); ++k)
            solver.exchangeInput(o.faces[k]) = o.exchange[k];
}

void ChamberValves::rates(const double *y, double *rates) const
{
    for (size_t j = 0; j < openings_.size(); ++j) {
        const ValveOpening &o = openings_[j];
        rates[scalar::lift(j)] = heldShut_ ? 0.0 : y[scalar::velocity(j)];
        rates[scalar::velocity(j)] = o.flow.acceleration;
        const bool suction = compressor_.valves[j].kind == ValveKind::Suction;
        rates[scalar::mass(j)] = suction ? o.massRate : -o.massRate;
        rates[scalar::enthalpy(j)] = o.enthalpyRate;
    }
}

double ChamberValves::stableTimeStep(const fv::Solver &solver, double courant) const
{
    double tau = std::numeric_limits<double>::infinity();
    const double damped = exchangeDampingLimit(solver.scheme());
    for (size_t j = 0; j < openings_.size(); ++j) {
        const ValveOpening &o = openings_[j];
        const Valve &valve = compressor_.valves[j];
        if (!heldShut_)
            tau = std::min(tau, courant * valve.plate.timeScale(solver.scalars()[scalar::lift(j)],
                                                                solver.scalars()[scalar::velocity(j)],
                                                                o.flow.gasForce - o.flow.springForce));
        if (o.flow.area <= 0)
            continue;
        for (size_t k = 0; k < o.faces.size(); ++k) {
            const double lambda = feedbackRate(valve, o, k, solver, settledBand);
            if (lambda > 0)
                tau = std::min(tau, damped / lambda);
        }
    }
    return tau;
}

void ChamberValves::resolveStops(std::vector<double> &y)
{
    for (size_t j = 0; j < openings_.size(); ++j) {
        PlateState plate{y[scalar::lift(j)], y[scalar::velocity(j)]};
        impacts_[j].add(euler::resolveStops(compressor_.valves[j].plate, plate));
        y[scalar::lift(j)] = plate.lift;
        y[scalar::velocity(j)] = plate.velocity;
    }
}

} // namespace euler::chamber
