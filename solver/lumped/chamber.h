#pragma once

#include "models/compressor.h"
#include "models/valveexchange.h"

#include <cstddef>
#include <vector>

namespace euler {

// The lumped chamber: one gas zone in the volume between head and piston plus
// the valve pockets, exchanging mass and enthalpy with the suction and
// discharge plena through the valves.
struct ChamberModel : Compressor
{
    double pocketVolume = 0; // m^3, all pockets together
    bool valvesHeldShut = false;

    // V(phi) = A_p s(phi) + V_pockets
    double volume(double phi) const { return pistonArea * crank.gap(phi) + pocketVolume; }
    double clearanceVolume() const { return volume(0); }
};

// Integrated quantities as one flat vector so that a Runge-Kutta step treats
// the balances exactly like the state: [m, E, W, then per valve x, v, M, H].
//   m  gas mass (kg), E internal energy (J), W = integral of p dV (J)
//   x, v plate lift (m) and velocity (m/s)
//   M  mass passed in the valve's flow direction (kg): into the chamber for
//      suction valves, out of it for discharge valves
//   H  enthalpy carried into the chamber (J)
class ChamberState
{
public:
    static constexpr int perValve = 4;
    explicit ChamberState(std::size_t valveCount = 0) : y(3 + perValve * valveCount, 0.0) {}

    double &mass() { return y[0]; }
    double &energy() { return y[1]; }
    double &work() { return y[2]; }
    double &lift(std::size_t j) { return y[3 + perValve * j]; }
    double &velocity(std::size_t j) { return y[4 + perValve * j]; }
    double &valveMass(std::size_t j) { return y[5 + perValve * j]; }
    double &valveEnthalpy(std::size_t j) { return y[6 + perValve * j]; }
    double mass() const { return y[0]; }
    double energy() const { return y[1]; }
    double work() const { return y[2]; }
    double lift(std::size_t j) const { return y[3 + perValve * j]; }
    double velocity(std::size_t j) const { return y[4 + perValve * j]; }
    double valveMass(std::size_t j) const { return y[5 + perValve * j]; }
    double valveEnthalpy(std::size_t j) const { return y[6 + perValve * j]; }
    std::size_t valveCount() const { return (y.size() - 3) / perValve; }

    std::vector<double> y;
};

struct ChamberSnapshot
{
    double phi = 0;        // rad
    double gap = 0;        // m
    double pistonVelocity = 0;
    double volume = 0;     // m^3
    double volumeRate = 0; // m^3/s
    double pressure = 0, temperature = 0, density = 0;
    std::vector<ValveFlowState> valves;
};

// Evaluates the chamber at time t:
//   p = (gamma-1) E / V,  T = p / (rho R)
//   dm/dt = sum mdot_in,   dE/dt = sum mdot_in h_up - p dV/dt,   dW/dt = p dV/dt
// with h_up = cp T of the plenum for inflow and of the chamber for outflow.
ChamberSnapshot evaluate(const ChamberModel &model, const IsentropicOrifice &orifice, double t,
                         const ChamberState &state);
// The right-hand side of the state equations, from a snapshot.
void derivative(const ChamberModel &model, const ChamberSnapshot &snapshot, const ChamberState &state,
                std::vector<double> &dydt);

} // namespace euler
