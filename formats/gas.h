#pragma once

// The gas constant rule shared by the solver's gas model and the front end's
// heat-transfer coefficients.
namespace formats::gas {

inline constexpr double universalGasConstant = 8.314; // J/(mol K)
// A molar mass at or below this (an empty field reads as 0) stands for air.
inline constexpr double minimumMolarMass = 1e-05;     // g/mol
inline constexpr double airGasConstant = 287.0;       // J/(kg K)

// Specific gas constant in J/(kg K) from the molar mass in g/mol.
constexpr double specificGasConstant(double molarMass)
{
    return molarMass > minimumMolarMass ? universalGasConstant / (molarMass * 0.001) : airGasConstant;
}

} // namespace formats::gas
