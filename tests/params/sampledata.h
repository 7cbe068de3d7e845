#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include "params/parameters.h"

// The sample sets behind the fixtures data/cylinder.txt and data/valves.txt:
// the texts typed into each field, and what reading the file shows again.
namespace SampleData {

struct Field {
    Parameter key;
    const char *typed;
    const char *shown;
};

using P = Parameter;

inline const QList<Field> &cylinder()
{
    static const QList<Field> fields = {
        {P::CaseName, "Case680mm", "Case680mm"},
        {P::PistonDiameter, "0.68", "0.680"},
        {P::RodDiameter, "0.1", "0.100"},
        {P::MinimalGap, "0.0025", "0.0025"},
        {P::CrankRadius, "0.15", "0.150"},
        {P::ConrodLength, "0.75", "0.750"},
        {P::CrankSpeed, "1500", "1500.0"},
        {P::HeatCapacityRatio, "1.4", "1.40"},
        {P::SuctionPressure, "100000", "100000.0"},
        {P::DischargePressure, "350000", "350000.0"},
        {P::SuctionDensity, "1.2", "1.200"},
        {P::CellsAlongPistonRadius, "20", "20"},
        {P::CellsAlongRodRadius, "5", "5"},
        {P::CellsInClearance, "4", "4"},
        {P::GradingPiston, "0.9", "0.900"},
        {P::GradingRod, "0.8", "0.800"},
        {P::CourantNumber, "0.5", "0.50"},
        {P::EndAngle, "2.1", "2.1"},
        {P::MolarMass, "28.9647", "28.965"},
        {P::Viscosity, "0.0000185", "1.85000e-05"},
    };
    return fields;
}

inline const QList<Field> &valves()
{
    static const QList<Field> fields = {
        {P::ValveDiameter, "0.05", "0.050"},
        {P::SuctionValveCount, "3", "3"},
        {P::SuctionPocketAngle1, "0", "0.0"},
        {P::SuctionPocketAngle2, "72", "72.0"},
        {P::SuctionPocketAngle3, "144", "144.0"},
        {P::SuctionPocketAngle4, "216", "216.0"},
        {P::SuctionPocketAngle5, "288", "288.0"},
        {P::SuctionMaxLift, "0.0025", "0.0025"},
        {P::SuctionFe1mm, "0.0003", "0.0003"},
        {P::SuctionAlpha, "1.2", "1.2000"},
        {P::SuctionBeta, "123456.78", "123456.8"},
        {P::SuctionPlateMass, "0.015", "0.0150"},
        {P::SuctionForceArea, "0.0012", "0.00120"},
        {P::SuctionSpringStiffness, "800", "800.0"},
        {P::SuctionSpringLength, "0.002", "0.002000"},
        {P::DischargeValveCount, "2", "2"},
        {P::DischargePocketAngle1, "36", "36.0"},
        {P::DischargePocketAngle2, "108", "108.0"},
        {P::DischargePocketAngle3, "180", "180.0"},
        {P::DischargePocketAngle4, "252", "252.0"},
        {P::DischargePocketAngle5, "324", "324.0"},
        {P::DischargeMaxLift, "0.002", "0.0020"},
        {P::DischargeFe1mm, "0.00025", "0.0003"},
        {P::DischargeAlpha, "1.1", "1.1000"},
        {P::DischargeBeta, "98765.4321", "98765.4321"},
        {P::DischargePlateMass, "0.012", "0.0120"},
        {P::DischargeForceArea, "0.0011", "0.00110"},
        {P::DischargeSpringStiffness, "900", "900.0"},
        {P::DischargeSpringLength, "0.0015", "0.001500"},
        {P::PocketRadius, "100", "100.0"},
        {P::ConeHeight, "40", "40.0"},
        {P::PocketHeight, "19", "19.0"},
    };
    return fields;
}

inline const QList<Field> &fields(bool valveSet)
{
    return valveSet ? valves() : cylinder();
}

inline FieldTexts typed(const QList<Field> &fields)
{
    FieldTexts texts;
    for (const Field &field : fields)
        texts.insert(field.key, QString::fromUtf8(field.typed));
    return texts;
}

// Fixture files hold '\n'; a text-mode writer uses the platform's line end.
inline QByteArray withPlatformLineEnds(QByteArray bytes)
{
#ifdef Q_OS_WIN
    bytes.replace("\n", "\r\n");
#endif
    return bytes;
}

} // namespace SampleData
