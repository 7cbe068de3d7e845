#pragma once

#include "models/compressor.h"

#include "formats/historycolumns.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace euler {

// One valve at an output instant, as a chamber model knows it.
struct ValveInstant
{
    double lift = 0, velocity = 0, acceleration = 0; // m, m/s, m/s^2
    double area = 0;          // effective flow area, m^2
    double pressureDrop = 0;  // Pa, in the opening direction
    double massFlow = 0;      // kg/s in the flow direction
    double gasForce = 0, springForce = 0; // N
    double massSum = 0;       // kg passed so far in the flow direction
    double enthalpySum = 0;   // J carried into the chamber so far
    ImpactRecord impacts;     // largest so far
};

// The chamber at an output instant; everything else in a line of Output.txt
// follows from it and the compressor.
struct HistoryInstant
{
    double time = 0;                     // s
    double volume = 0, volumeRate = 0;   // m^3, m^3/s
    double pressure = 0, temperature = 0, density = 0; // chamber means
    double mass = 0, internalEnergy = 0; // kg, J
    double energy = 0, startMass = 0, startEnergy = 0; // J, kg, J: what the balances count
    double pdV = 0;                      // J, integral of p dV so far
    double pistonForce = 0;              // N, gas force on the piston
    double pistonPower = 0;              // W, power the piston gives the gas
    long long timeSteps = 0;
    double lastTimeStep = 0;             // s
    std::vector<ValveInstant> valves;
};

// "Output.txt" in the columns of formats/historycolumns.h: a '#' header
// naming every column, then one line per output instant. Both chamber models
// write it.
class HistoryWriter
{
public:
    static constexpr int chamberColumns = formats::historycolumns::chamberCount;
    static constexpr int valveColumns = formats::historycolumns::valve::columnsPerValve;

    HistoryWriter(const std::filesystem::path &file, const Compressor &compressor);
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter &) = delete;
    HistoryWriter &operator=(const HistoryWriter &) = delete;

    static std::vector<std::string> columnNames(const Compressor &compressor);

    void append(long long line, const HistoryInstant &instant);
    void close();

private:
    void requireFiniteLine(const double (&values)[chamberColumns + 1], const HistoryInstant &instant) const;
    void flush();

    const Compressor &compressor_;
    std::filesystem::path file_;
    std::FILE *out_ = nullptr;
    std::string buffer_;
};

} // namespace euler
