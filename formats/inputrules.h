#pragma once

#include "formats/gas.h"

#include <cmath>
#include <limits>

// What the inputs of a calculation must satisfy: the front end refuses to
// start a run on anything else and the solver refuses to run on it, so both
// check these rules and nothing of their own. Values are in the units of the
// data files' labels: metres, Pa, deg; the pocket's sizes in mm.
namespace formats::inputrules {

// An interval of accepted values; an end that is not given is unbounded.
// Subnormal numbers (below 2.2e-308 in magnitude, not 0) lie in no range: no
// input means them, and the model's arithmetic would overflow on them.
struct Range
{
    bool hasLow = false;
    double low = 0;
    bool lowIncluded = false;
    bool hasHigh = false;
    double high = 0;
    bool highIncluded = false;

    constexpr bool contains(double v) const
    {
        if (v != v || (v != 0 && (v < 0 ? -v : v) < std::numeric_limits<double>::min()))
            return false;
        if (hasLow && (lowIncluded ? v < low : v <= low))
            return false;
        return !hasHigh || (highIncluded ? v <= high : v < high);
    }
};

constexpr Range greaterThan(double low) { return {true, low, false, false, 0, false}; }
constexpr Range atLeast(double low) { return {true, low, true, false, 0, false}; }
constexpr Range between(double low, double high) { return {true, low, false, true, high, false}; }
constexpr Range aboveAndAtMost(double low, double high) { return {true, low, false, true, high, true}; }
constexpr Range fromTo(double low, double high) { return {true, low, true, true, high, true}; }

// The valve data file carries five pocket angles per kind, so a case has one
// to five valves of each kind.
inline constexpr int pocketAnglesPerKind = 5;

// Magnitudes no compressor has are refused, so that every value the model
// derives stays far from overflow: lengths from a micrometre to 100 m,
// pressures from 1 mPa to 10 GPa.
inline constexpr double shortestLength = 1e-6; // m
inline constexpr double longestLength = 100;   // m
inline constexpr Range length = fromTo(shortestLength, longestLength);
inline constexpr Range lengthOrNone = fromTo(0, longestLength);
inline constexpr Range pressure = fromTo(1e-3, 1e10);

// Cylinder data, in the order of the file.
inline constexpr Range pistonDiameter = length;
inline constexpr Range rodDiameter = lengthOrNone;        // 0: no rod; see rodFitsPiston
inline constexpr Range minimalGap = length;
inline constexpr Range crankRadius = length;              // see crankFitsConrod
inline constexpr Range conrodLength = length;
inline constexpr Range crankSpeed = fromTo(1e-3, 1e5);    // rpm
inline constexpr Range heatCapacityRatio = between(1, 2);
inline constexpr Range suctionPressure = pressure;
inline constexpr Range dischargePressure = pressure;      // see dischargeAboveSuction
inline constexpr Range suctionDensity = fromTo(1e-6, 1e5); // kg/m^3
// Whole numbers.
inline constexpr int mostCells = 10000;
inline constexpr Range cellsAlongPistonRadius = fromTo(1, mostCells);
inline constexpr Range cellsAlongRodRadius = fromTo(0, mostCells); // none without a rod
inline constexpr Range cellsInClearance = fromTo(1, mostCells);
// Last over first cell width: below 1 the cells narrow towards that radius.
inline constexpr Range grading = between(0, 1);
inline constexpr Range courantNumber = greaterThan(0);    // above 2 the solver takes 2
inline constexpr Range endAngle = aboveAndAtMost(0, 360000);
// Below the gas constant rule's bound the gas would silently be air.
inline constexpr Range molarMass = aboveAndAtMost(gas::minimumMolarMass, 1e4);
inline constexpr Range viscosity = aboveAndAtMost(0, 1e3); // Pa s

// Valve data: one valve diameter, then each kind of valve alike.
inline constexpr Range valveDiameter = length;
inline constexpr Range valveCount = fromTo(1, pocketAnglesPerKind); // whole
// The angle of each valve in use, deg: ten turns either way.
inline constexpr Range pocketAngle = fromTo(-3600, 3600);
inline constexpr Range maxLift = length;
inline constexpr Range fe1mm = aboveAndAtMost(0, 1e3);               // m
inline constexpr Range dischargeCoefficient = aboveAndAtMost(0, 1);  // alpha
inline constexpr Range areaSaturation = fromTo(0, 1e12);             // beta, 1/m^2
inline constexpr Range plateMass = fromTo(1e-6, 1e3);                // kg
inline constexpr Range forceArea = aboveAndAtMost(0, 1e2);           // m^2
inline constexpr Range springStiffness = fromTo(0, 1e12);  // N/m; a valve may have no spring
inline constexpr Range springInitialLength = lengthOrNone; // or no preload
// The pocket, in mm; see pocketFit.
inline constexpr Range pocketRadius = fromTo(shortestLength * 1e3, longestLength * 1e3);
inline constexpr Range coneHeight = pocketRadius;
inline constexpr Range pocketHeight = pocketRadius;

// The pocket mesh: its grid scaling factor (m per mesh unit, line 5 of the
// pocket mesh input) and how far from the origin its nodes may lie once
// scaled.
inline constexpr Range meshScale = fromTo(1e-9, 1e3);
inline constexpr double meshExtent = longestLength; // m

// Rules between values, each checked once both values passed their own.
constexpr bool rodFitsPiston(double rodDiameter, double pistonDiameter)
{
    return rodDiameter < pistonDiameter;
}
constexpr bool crankFitsConrod(double crankRadius, double conrodLength)
{
    return crankRadius < conrodLength;
}
// Otherwise no gas is delivered and the run's results mean nothing.
constexpr bool dischargeAboveSuction(double dischargePressure, double suctionPressure)
{
    return dischargePressure > suctionPressure;
}

// The pocket's geometry against the bore, all in mm: the pocket rim of radius
// r meets the bore of radius R at a = sqrt(R^2 - r^2) from the axis; the cone
// of height k reaches inward to b = a - k, the valve seat lies at c = a + h.
constexpr double pistonRadiusMm(double pistonDiameterM) { return pistonDiameterM * 500; }
// The power 0.5, as the pocket mesh mapping takes its roots.
inline double rimDistance(double pistonRadius, double pocketRadius)
{
    return std::pow(pistonRadius * pistonRadius - pocketRadius * pocketRadius, 0.5);
}

enum class PocketFit {
    Fits,
    WiderThanPiston, // r >= R
    ConePastAxis,    // b <= 0
    SeatInsideBore,  // c <= R
};

inline PocketFit pocketFit(double pistonRadius, double pocketRadius, double coneHeight, double pocketHeight)
{
    if (!(pocketRadius < pistonRadius))
        return PocketFit::WiderThanPiston;
    const double a = rimDistance(pistonRadius, pocketRadius);
    if (!(a - coneHeight > 0))
        return PocketFit::ConePastAxis;
    if (!(a + pocketHeight > pistonRadius))
        return PocketFit::SeatInsideBore;
    return PocketFit::Fits;
}

} // namespace formats::inputrules
