#pragma once

#include <QHash>
#include <QObject>
#include <QString>

namespace Parameters {
Q_NAMESPACE

// Every input of a calculation, named for what it means. The form's line
// edits hold them (the window maps each key to its field); the data files, the
// checks before a run, the pocket mesh mapping and the plots look them up by
// these keys. Cylinder data, then valve data, each in file order.
enum class Parameter {
    CaseName,
    PistonDiameter,
    RodDiameter,
    MinimalGap,
    CrankRadius,
    ConrodLength,
    CrankSpeed,
    HeatCapacityRatio,
    SuctionPressure,
    DischargePressure,
    SuctionDensity,
    CellsAlongPistonRadius,
    CellsAlongRodRadius,
    CellsInClearance,
    GradingPiston,
    GradingRod,
    CourantNumber,
    EndAngle, // phiMax
    MolarMass,
    Viscosity,

    ValveDiameter,
    // The suction valves' data; the discharge valves' follows in the same order.
    SuctionValveCount,
    SuctionPocketAngle1,
    SuctionPocketAngle2,
    SuctionPocketAngle3,
    SuctionPocketAngle4,
    SuctionPocketAngle5,
    SuctionMaxLift,
    SuctionFe1mm,
    SuctionAlpha,
    SuctionBeta,
    SuctionPlateMass,
    SuctionForceArea,
    SuctionSpringStiffness,
    SuctionSpringLength,
    DischargeValveCount,
    DischargePocketAngle1,
    DischargePocketAngle2,
    DischargePocketAngle3,
    DischargePocketAngle4,
    DischargePocketAngle5,
    DischargeMaxLift,
    DischargeFe1mm,
    DischargeAlpha,
    DischargeBeta,
    DischargePlateMass,
    DischargeForceArea,
    DischargeSpringStiffness,
    DischargeSpringLength,
    PocketRadius, // rv1, mm
    ConeHeight,   // hk1, mm
    PocketHeight, // hv1, mm

    // On the tab "Calculation", in no data file.
    MeshFileName,
};
Q_ENUM_NS(Parameter)

inline size_t qHash(Parameter key, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(key), seed);
}

} // namespace Parameters

using Parameters::Parameter;

// Texts of the parameters; a parameter missing from them counts as empty.
using FieldTexts = QHash<Parameter, QString>;

enum class ValveSide { Suction, Discharge };

// The key of a suction valve parameter for the given side.
constexpr Parameter onSide(ValveSide side, Parameter suctionKey)
{
    constexpr int sideOffset = int(Parameter::DischargeValveCount) - int(Parameter::SuctionValveCount);
    return side == ValveSide::Suction ? suctionKey : Parameter(int(suctionKey) + sideOffset);
}

// Pocket angle of valve k (1 to 5) of a side.
constexpr Parameter pocketAngle(ValveSide side, int k)
{
    return onSide(side, Parameter(int(Parameter::SuctionPocketAngle1) + k - 1));
}
