#pragma once

#include "models/compressor.h"

namespace euler {

// Running totals of the balances at one instant.
struct Totals
{
    double time = 0;
    double crankAngleDeg = 0;
    double suctionMass = 0;      // kg into the chamber through suction valves
    double dischargeMass = 0;    // kg out through discharge valves
    double pdV = 0;              // J, integral of p dV (negative work on the gas)
    double dischargeEnthalpy = 0;// J carried out through discharge valves
};

// The scalar results engineers ask for, over one span of the run (normally
// the last complete revolution).
struct CycleResult
{
    double startDeg = 0, endDeg = 0;
    bool completeRevolution = false;
    double suctionMass = 0, dischargeMass = 0; // kg per span
    double massFlow = 0;                       // kg/s, suction mass / span time
    double volumetricEfficiency = 0;           // suction mass / (rho_s V_swept)
    double workOnGas = 0;                      // J per span, -integral p dV
    double indicatedPower = 0;                 // W, work / span time
    double dischargeTemperature = 0;           // K, mass-averaged, 0 without discharge
};
CycleResult cycleBetween(const Compressor &compressor, double suctionDensity, const Totals &from, const Totals &to,
                         bool completeRevolution);

// The ideal adiabatic cycle with clearance ratio c = V_clearance / V_swept:
//   lambda = 1 - c ((p_d/p_s)^(1/gamma) - 1)
//   W = gamma/(gamma-1) p_s lambda V_swept ((p_d/p_s)^((gamma-1)/gamma) - 1)
struct IdealCycle
{
    double clearanceRatio = 0;
    double volumetricEfficiency = 0;
    double work = 0; // J per revolution
};
IdealCycle idealCycle(const Compressor &compressor, double clearanceVolume);

} // namespace euler
