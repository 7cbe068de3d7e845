#pragma once

#include <array>
#include <string>

// The columns of the valve history file "Output.txt" in the case directory:
// a '#' header naming every column as "n:name[unit]", then one line per
// output instant, fields separated by one blank. Columns count from 1, as
// gnuplot's "using" counts them. Columns 1 to 43 describe the chamber; from
// column 44 every valve has nine, suction valves first.
namespace formats::historycolumns {

struct Column
{
    const char *name;
    const char *unit; // empty for a pure number
};

// "crank_angle[deg]", "revolution": the column's name in the header.
inline std::string label(const Column &column)
{
    std::string text = column.name;
    if (*column.unit)
        text = text + '[' + column.unit + ']';
    return text;
}

// The chamber's columns.
inline constexpr int line = 1;
inline constexpr int time = 2;
inline constexpr int revolution = 3;             // 1 = the first
inline constexpr int crankAngle = 4;
inline constexpr int angleInRevolution = 5;
inline constexpr int gap = 6;                    // piston to head
inline constexpr int pistonVelocity = 7;
inline constexpr int pistonAcceleration = 8;
inline constexpr int volume = 9;
inline constexpr int volumeRate = 10;
inline constexpr int pressure = 11;
inline constexpr int temperature = 12;
inline constexpr int density = 13;
inline constexpr int mass = 14;
inline constexpr int internalEnergy = 15;
inline constexpr int soundSpeed = 16;
inline constexpr int pressureBySuction = 17;     // p / p_s
inline constexpr int pressureByDischarge = 18;   // p / p_d
inline constexpr int polytropicProduct = 19;     // p V^gamma
inline constexpr int suctionMassFlowIn = 20;
inline constexpr int dischargeMassFlowOut = 21;
inline constexpr int netMassFlowIn = 22;
inline constexpr int suctionMassSum = 23;
inline constexpr int dischargeMassSum = 24;
inline constexpr int enthalpyInSum = 25;
inline constexpr int workOnGasSum = 26;
inline constexpr int massBalanceResidual = 27;
inline constexpr int energyBalanceResidual = 28;
inline constexpr int pistonGasForce = 29;
inline constexpr int indicatedPower = 30;
inline constexpr int openSuctionValves = 31;
inline constexpr int openDischargeValves = 32;
inline constexpr int suctionFlowArea = 33;
inline constexpr int dischargeFlowArea = 34;
inline constexpr int suctionPressure = 35;
inline constexpr int dischargePressure = 36;
inline constexpr int suctionTemperature = 37;
inline constexpr int dischargePlenumTemperature = 38;
inline constexpr int timeSteps = 39;
inline constexpr int lastTimeStep = 40;
inline constexpr int maxSeatImpact = 41;
inline constexpr int maxGuardImpact = 42;
inline constexpr int strokeFraction = 43;        // piston travel / stroke
inline constexpr int chamberCount = 43;

// Names and units of columns 1 to chamberCount, in column order.
inline constexpr std::array<Column, chamberCount> chamberColumns{{
    {"line", ""}, {"t", "s"}, {"revolution", ""}, {"crank_angle", "deg"},
    {"angle_in_revolution", "deg"}, {"gap", "m"}, {"piston_velocity", "m/s"},
    {"piston_acceleration", "m/s2"}, {"volume", "m3"}, {"dV/dt", "m3/s"},
    {"pressure", "Pa"}, {"temperature", "K"}, {"density", "kg/m3"}, {"mass", "kg"},
    {"internal_energy", "J"}, {"sound_speed", "m/s"}, {"p/p_s", ""}, {"p/p_d", ""},
    {"p*V^gamma", ""}, {"suction_mass_flow_in", "kg/s"}, {"discharge_mass_flow_out", "kg/s"},
    {"net_mass_flow_in", "kg/s"}, {"suction_mass_sum", "kg"}, {"discharge_mass_sum", "kg"},
    {"enthalpy_in_sum", "J"}, {"work_on_gas_sum", "J"}, {"mass_balance_residual", "kg"},
    {"energy_balance_residual", "J"}, {"piston_gas_force", "N"}, {"indicated_power", "W"},
    {"open_suction_valves", ""}, {"open_discharge_valves", ""}, {"suction_flow_area", "m2"},
    {"discharge_flow_area", "m2"}, {"suction_pressure", "Pa"}, {"discharge_pressure", "Pa"},
    {"suction_temperature", "K"}, {"discharge_plenum_temperature", "K"}, {"time_steps", ""},
    {"last_time_step", "s"}, {"max_seat_impact", "m/s"}, {"max_guard_impact", "m/s"},
    {"stroke_fraction", ""},
}};

// Every valve's columns: offsets within its block of columnsPerValve.
inline constexpr int firstValveColumn = chamberCount + 1;
namespace valve {
inline constexpr int lift = 0;
inline constexpr int velocity = 1;
inline constexpr int acceleration = 2;
inline constexpr int flowArea = 3;            // effective flow area
inline constexpr int pressureDifference = 4;  // in the opening direction
inline constexpr int massFlow = 5;            // in the flow direction
inline constexpr int gasForce = 6;
inline constexpr int springForce = 7;
inline constexpr int massSum = 8;             // passed so far in the flow direction
inline constexpr int columnsPerValve = 9;

inline constexpr std::array<Column, columnsPerValve> columns{{
    {"lift", "m"}, {"velocity", "m/s"}, {"acceleration", "m/s2"}, {"flow_area", "m2"},
    {"pressure_difference", "Pa"}, {"mass_flow", "kg/s"}, {"gas_force", "N"},
    {"spring_force", "N"}, {"mass_sum", "kg"},
}};
} // namespace valve

// Column of `offset` for valve number j: suction valves are 1 to nS, the
// discharge valves follow as nS + 1 to nS + nD.
constexpr int valveColumn(int valveNumber, int offset)
{
    return firstValveColumn + valve::columnsPerValve * (valveNumber - 1) + offset;
}

} // namespace formats::historycolumns
