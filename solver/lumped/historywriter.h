#pragma once

#include "lumped/simulation.h"

#include "formats/historycolumns.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace euler {

// "Output.txt" in the columns of formats/historycolumns.h: a '#' header
// naming every column, then one line per output instant.
class HistoryWriter
{
public:
    static constexpr int chamberColumns = formats::historycolumns::chamberCount;
    static constexpr int valveColumns = formats::historycolumns::valve::columnsPerValve;

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
