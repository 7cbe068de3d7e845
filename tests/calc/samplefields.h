#pragma once

#include "parameternames.h"

#include <QString>

// A valid parameter set for a 680 mm piston with two suction and two
// discharge valves.
inline FieldTexts sampleFieldTexts()
{
    using P = Parameter;
    return {
        {P::CaseName, "Case680mm"},
        {P::MeshFileName, "dP=680mm.msh"},
        {P::PistonDiameter, "0.68"},
        {P::RodDiameter, "0.1"},
        {P::MinimalGap, "0.002"},
        {P::CrankRadius, "0.2"},
        {P::ConrodLength, "1.2"},
        {P::CrankSpeed, "300"},
        {P::HeatCapacityRatio, "1.4"},
        {P::SuctionPressure, "100000"},
        {P::DischargePressure, "300000"},
        {P::SuctionDensity, "1.2"},
        {P::CellsAlongPistonRadius, "20"},
        {P::CellsAlongRodRadius, "5"},
        {P::CellsInClearance, "4"},
        {P::GradingPiston, "0.9"},
        {P::GradingRod, "0.8"},
        {P::CourantNumber, "0.5"},
        {P::EndAngle, "2.1"},
        {P::MolarMass, "28.965"},
        {P::Viscosity, "1.85e-05"},
        {P::ValveDiameter, "0.2"},
        {P::SuctionValveCount, "2"},
        {P::SuctionPocketAngle1, "0"},
        {P::SuctionPocketAngle2, "180"},
        {P::SuctionPocketAngle3, ""},
        {P::SuctionPocketAngle4, ""},
        {P::SuctionPocketAngle5, ""},
        {P::SuctionMaxLift, "0.003"},
        {P::SuctionFe1mm, "0.0015"},
        {P::SuctionAlpha, "0.6"},
        {P::SuctionBeta, "1000"},
        {P::SuctionPlateMass, "0.05"},
        {P::SuctionForceArea, "0.01"},
        {P::SuctionSpringStiffness, "2000"},
        {P::SuctionSpringLength, "0.002"},
        {P::DischargeValveCount, "2"},
        {P::DischargePocketAngle1, "90"},
        {P::DischargePocketAngle2, "270"},
        {P::DischargePocketAngle3, ""},
        {P::DischargePocketAngle4, ""},
        {P::DischargePocketAngle5, ""},
        {P::DischargeMaxLift, "0.003"},
        {P::DischargeFe1mm, "0.0015"},
        {P::DischargeAlpha, "0.6"},
        {P::DischargeBeta, "1000"},
        {P::DischargePlateMass, "0.05"},
        {P::DischargeForceArea, "0.01"},
        {P::DischargeSpringStiffness, "2000"},
        {P::DischargeSpringLength, "0.002"},
        {P::PocketRadius, "100"},
        {P::ConeHeight, "40"},
        {P::PocketHeight, "19"},
    };
}

// The sample set with changes, as withChanges() takes them.
inline FieldTexts changedSampleFieldTexts(const QString &changes, QString *unknown)
{
    return withChanges(sampleFieldTexts(), changes, unknown);
}
