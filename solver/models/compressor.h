#pragma once

#include "models/gas.h"
#include "models/kinematics.h"
#include "models/valvedynamics.h"
#include "models/valveflow.h"

#include <string>
#include <vector>

namespace euler {

enum class ValveKind { Suction, Discharge };

struct Valve
{
    ValveKind kind = ValveKind::Suction;
    int number = 0; // 1-based among valves of its kind
    ValvePlate plate;
    FlowAreaLaw area;
    double pocketAngle = 0; // rad, from the x axis about the cylinder axis

    // "suction valve 1", as messages name it.
    std::string name() const
    {
        return (kind == ValveKind::Suction ? "suction valve " : "discharge valve ") + std::to_string(number);
    }
};

// Gas reservoirs on both sides of the cylinder.
struct Plenum
{
    double pressure = 0;
    double temperature = 0;
};

// What both chamber models share: the gas, the crank drive and piston, the
// plena and the valves, suction valves first.
struct Compressor
{
    IdealGas gas;
    SliderCrank crank{1, 2, 1, 1};
    double pistonArea = 0; // m^2
    Plenum suction, discharge;
    std::vector<Valve> valves;

    double sweptVolume() const { return pistonArea * crank.stroke(); }
    // The plenum a valve connects the chamber to.
    const Plenum &plenumOf(const Valve &valve) const
    {
        return valve.kind == ValveKind::Suction ? suction : discharge;
    }
};

} // namespace euler
