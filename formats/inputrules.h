#pragma once

#include "formats/gas.h"

#include <cmath>

// What the inputs of a calculation must satisfy: the front end refuses to
// start a run on anything else and the solver refuses to run on it, so both
// check these rules and nothing of their own. Values are in the units of the
// data files' labels: metres, Pa, deg; the pocket's sizes in mm.
namespace formats::inputrules {

// An interval of accepted values; an end that is not given is unbounded.
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
        if (v != v)
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

// Cylinder data, in the order of the file.
inline constexpr Range pistonDiameter = greaterThan(0);
inline constexpr Range rodDiameter = atLeast(0);          // 0: no rod; see rodFitsPiston
inline constexpr Range minimalGap = greaterThan(0);
inline constexpr Range crankRadius = greaterThan(0);      // see crankFitsConrod
inline constexpr Range conrodLength = greaterThan(0);
inline constexpr Range crankSpeed = greaterThan(0);
inline constexpr Range heatCapacityRatio = between(1, 2);
inline constexpr Range suctionPressure = greaterThan(0);
inline constexpr Range dischargePressure = greaterThan(0); // see dischargeAboveSuction
inline constexpr Range suctionDensity = greaterThan(0);
// Whole numbers.
inline constexpr Range cellsAlongPistonRadius = atLeast(1);
inline constexpr Range cellsAlongRodRadius = atLeast(0);   // none without a rod
inline constexpr Range cellsInClearance = atLeast(1);
// Last over first cell width: below 1 the cells narrow towards that radius.
inline constexpr Range grading = between(0, 1);
inline constexpr Range courantNumber = greaterThan(0);
inline constexpr Range endAngle = aboveAndAtMost(0, 360000);
// Below the gas constant rule's bound the gas would silently be air.
inline constexpr Range molarMass = greaterThan(gas::minimumMolarMass);
inline constexpr Range viscosity = greaterThan(0);

// Valve data: one valve diameter, then each kind of valve alike; a pocket
// angle may be any number.
inline constexpr Range valveDiameter = greaterThan(0);
inline constexpr Range valveCount = fromTo(1, pocketAnglesPerKind); // whole
inline constexpr Range maxLift = greaterThan(0);
inline constexpr Range fe1mm = greaterThan(0);
inline constexpr Range dischargeCoefficient = aboveAndAtMost(0, 1); // alpha
inline constexpr Range areaSaturation = atLeast(0);                  // beta
inline constexpr Range plateMass = greaterThan(0);
inline constexpr Range forceArea = greaterThan(0);
inline constexpr Range springStiffness = atLeast(0);    // a valve may have no spring
inline constexpr Range springInitialLength = atLeast(0); // or no preload
// The pocket, in mm; see pocketFit.
inline constexpr Range pocketRadius = greaterThan(0);
inline constexpr Range coneHeight = greaterThan(0);
inline constexpr Range pocketHeight = greaterThan(0);

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
