#pragma once

#include "models/compressor.h"

namespace euler {

// One valve at one instant: its plate, flow and forces.
struct ValveFlowState
{
    double area = 0;          // effective flow area, m^2
    double pressureDrop = 0;  // Pa, in the opening direction
    double massFlow = 0;      // kg/s in the valve's flow direction
    double massFlowIn = 0;    // kg/s into the chamber
    double enthalpyFlowIn = 0;// W into the chamber, h = cp T of the upstream side
    double upstreamTemperature = 0; // K, of the gas crossing the valve
    double gasForce = 0;      // N
    double springForce = 0;   // N
    double acceleration = 0;  // m/s^2
};

// The chamber's gas at a valve: the pressure on the plate, and the state the
// valve flow sees, which for gas moving towards the valve is its stagnation
// state (in the lumped chamber both are the chamber's p and T).
struct ValveSide
{
    double pressure = 0;         // Pa, static, on the plate
    double flowPressure = 0;     // Pa
    double flowTemperature = 0;  // K
};

// A valve between the chamber and its plenum, with the plate at lift x and
// speed v. The pressure difference in the opening direction is p_s - p for
// suction valves and p - p_d for discharge valves; the mass flow is the
// isentropic orifice flow through A_eff(x) between the plenum and the
// chamber side's flow state, from the higher pressure to the lower; the
// plate feels A_f dp against the spring. A valve held shut neither opens nor
// flows.
// The valve's mass flow into the chamber (kg/s) through the effective area
// `area`, the isentropic orifice flow between its plenum and the chamber
// side's flow state.
double valveMassFlowIn(const Compressor &compressor, const Valve &valve, const IsentropicOrifice &orifice,
                       double area, const ValveSide &chamber);

ValveFlowState valveFlow(const Compressor &compressor, const Valve &valve, const IsentropicOrifice &orifice,
                         const ValveSide &chamber, double lift, double velocity, bool heldShut);

} // namespace euler
