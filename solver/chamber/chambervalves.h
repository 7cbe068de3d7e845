#pragma once

#include "chamber/chambermesh.h"
#include "fv/solver.h"
#include "models/compressor.h"
#include "models/valveexchange.h"

#include <cstddef>
#include <vector>

namespace euler::chamber {

// The scalar unknowns of a chamber run, advanced in the same Runge-Kutta
// stages as the gas: the integral of p dV over the walls (J), then per valve
// its lift (m), plate velocity (m/s), the mass passed in its flow direction
// (kg) and the enthalpy it carried into the chamber (J).
namespace scalar {
inline constexpr std::size_t work = 0;
inline constexpr std::size_t perValve = 4;
constexpr std::size_t lift(std::size_t j) { return 1 + perValve * j; }
constexpr std::size_t velocity(std::size_t j) { return 2 + perValve * j; }
constexpr std::size_t mass(std::size_t j) { return 3 + perValve * j; }
constexpr std::size_t enthalpy(std::size_t j) { return 4 + perValve * j; }
constexpr std::size_t count(std::size_t valves) { return 1 + perValve * valves; }
} // namespace scalar

// Where one valve meets the gas and what it does there: the valve_seat faces
// of its pocket, each open by its area.
struct ValveOpening
{
    std::vector<Index> faces;            // mesh faces
    std::vector<double> openArea;        // m^2, per face
    double totalOpenArea = 0;            // m^2
    // Open-area means of the cells at the open faces: their static state,
    // and what the valve flow sees (approachState).
    double pressure = 0, density = 0, temperature = 0;
    ValveSide side;
    std::vector<ValveSide> faceSide;     // per face: its own cell's approach state
    ValveFlowState flow;                 // the plate's; its mass flow the faces' sum
    std::vector<fv::ExchangeInput> exchange; // per face
    double massRate = 0;                 // kg/s into the chamber over its faces
    double enthalpyRate = 0;             // W into the chamber over its faces
};

// A cell's gas at a valve face, `towards` its velocity along the face's
// outward normal: its static pressure, and its approach state, the
// stagnation state of its motion without the part directed away from the
// wall,
//     u_a^2 = |u|^2 - min(0, towards)^2,
//     p0 = p (1 + (gamma-1)/2 u_a^2 / a^2)^(gamma/(gamma-1)),  T0 = T + u_a^2 / (2 cp).
// The orifice law and the plate take the gas at rest before the valve: gas
// the chamber drives towards or along the wall brings its dynamic pressure
// along, as into the pocket where it comes to rest; gas blown in from the
// valve counts with its static pressure. Returned as plate pressure p0, flow
// state (p0, T0).
ValveSide approachState(const IdealGas &gas, const fv::PointState &cell, double towards);

// The valve flow's feedback on the cells it feeds is a decaying mode
// e^(-lambda t); a step of the scheme multiplies it by R(-lambda dt). The
// largest lambda dt up to which R damps it well, by half or more per step:
// 2 for SSP-RK3, 1 for SSP-RK2.
double exchangeDampingLimit(const fv::SspScheme &scheme);

// The valves of a chamber run: each sits on the valve_seat patch of its
// pocket. Its plate follows the mass-spring model and its mass flow is the
// isentropic valve flow. The plate is driven by the area mean of the approach
// states of the cells at the seat (approachState); each seat face passes the
// effective area's share a_f / A_open, driven by its own cell's approach
// state, so that a part of the seat the pocket's gas reaches badly passes
// less, and never gas against its own pressure difference:
//  - inflow carries the plenum's total enthalpy cp T_plenum at the density
//    of plenum gas expanded isentropically to the pocket-side pressure;
//  - outflow carries each cell's own total enthalpy and velocity (its
//    component into the seat, when it moves away from it, taken as 0).
// A valve without seat faces (a bare chamber, in checks of the chamber mesh)
// must be held shut; it sees the volume mean of the whole chamber.
class ChamberValves
{
public:
    // seatFaces: per valve of the compressor, the mesh faces of its seat.
    // Throws std::invalid_argument for a valve without faces that is not
    // held shut.
    ChamberValves(const Compressor &compressor, std::vector<std::vector<Index>> seatFaces, bool heldShut);

    std::size_t count() const { return openings_.size(); }
    const std::vector<ValveOpening> &openings() const { return openings_; }
    const std::vector<ImpactRecord> &impacts() const { return impacts_; }
    // Every face some valve may open, once.
    std::vector<Index> exchangeFaces() const;

    // The seat-side state from the solver's current primitives and geometry,
    // and the valves' flows with the scalars y, for a step dt (0: none yet).
    void evaluate(const double *y, const fv::Solver &solver, double dt);
    // The exchange of the last evaluation, into the solver's exchange faces.
    void apply(fv::Solver &solver) const;
    // The valves' scalar rates (see scalar) from the last evaluation: the
    // mass and enthalpy the faces let in, summed face by face, so that the
    // cells' balance closes to rounding.
    void rates(const double *y, double *rates) const;
    // The longest step the valves allow at the last evaluation: the Courant
    // number times every free plate's time scale (ValvePlate::timeScale),
    // and z / lambda_f for the gas exchange of every seat face, with
    //     lambda_f = |d mdot_f / d p0_f| a^2 / V_f
    // the rate at which the face's flow drives its cell's pressure back onto
    // itself, its slope taken at least 1 % of the plenum's pressure away
    // from it, and z where the solver's scheme damps such a mode well (2
    // for SSP-RK3, 1 for SSP-RK2).
    double stableTimeStep(const fv::Solver &solver, double courant) const;
    // Puts plates that passed a stop back onto it and records the impact.
    void resolveStops(std::vector<double> &y);

private:
    // Each seat face's flow and exchange from its own approach state; with a
    // step dt > 0 a face whose cell settles faster than dt resolves passes
    // only what the step damps (z / (lambda_f dt) of its flow).
    void shareFlow(const Valve &valve, ValveOpening &o, const fv::Solver &solver, double dt) const;
    // lambda_f of seat face k of o, the slope of its flow taken no closer to
    // the plenum's pressure than the fraction band of it.
    double feedbackRate(const Valve &valve, const ValveOpening &o, std::size_t k, const fv::Solver &solver,
                        double band) const;

    Compressor compressor_;
    IsentropicOrifice orifice_;
    bool heldShut_;
    std::vector<ValveOpening> openings_;
    std::vector<ImpactRecord> impacts_;
};

} // namespace euler::chamber
