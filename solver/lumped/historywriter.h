#pragma once

#include "lumped/simulation.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace euler {

// "Output.txt": a '#' header naming every column ("n:name[unit]"), then one
// line per output instant. Columns 1-43 describe the chamber; from column
// 44 + 9 (j - 1) valve j (suction valves first) has nine columns:
//   +0 lift [m], +1 velocity [m/s], +2 acceleration [m/s2],
//   +3 effective flow area [m2], +4 pressure difference in opening direction
//   [Pa], +5 mass flow in flow direction [kg/s], +6 gas force [N],
//   +7 spring force [N], +8 mass passed so far in flow direction [kg].
class HistoryWriter
{
public:
    static constexpr int chamberColumns = 43;
    static constexpr int valveColumns = 9;

    HistoryWriter(const std::filesystem::path &file, const ChamberModel &model);
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter &) = delete;
    HistoryWriter &operator=(const HistoryWriter &) = delete;

    static std::vector<std::string> columnNames(const ChamberModel &model);

    void append(long long line, const Simulation &simulation, const ChamberState &start);
    void close();

private:
    void flush();

    std::filesystem::path file_;
    std::FILE *out_ = nullptr;
    std::string buffer_;
};

} // namespace euler
