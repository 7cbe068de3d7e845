#include "io/runbudget.h"

#include "io/historywriter.h"
#include "io/inputerror.h"
#include "io/numberformat.h"
#include "io/outputschedule.h"
#include "io/runlog.h"
#include "models/compressor.h"

#include <cmath>
#include <limits>
#include <system_error>
#include <vector>

namespace euler {

namespace {

std::string gigabytes(double bytes)
{
    return formatNumber(bytes / 1e9, 3) + " GB";
}

std::string limitText(double limit, const std::string &shown)
{
    return limit > 0 ? shown : "unknown";
}

} // namespace

double freeDiskBytes(const std::filesystem::path &directory)
{
    std::error_code ec;
    const std::filesystem::space_info space = std::filesystem::space(directory, ec);
    return ec || space.available == static_cast<std::uintmax_t>(-1) ? 0.0 : static_cast<double>(space.available);
}

void checkRunCost(const RunCost &cost, const RunLimits &limits, RunLog &log, const std::string &inputFile)
{
    log.line("Run cost (estimate before the first step):");
    log.line("  memory                        " + gigabytes(cost.memoryBytes) + " of "
             + limitText(limits.memoryBytes, gigabytes(limits.memoryBytes)) + " physical memory");
    log.line("  time steps                    " + formatNumber(cost.timeSteps, 3) + " of at most "
             + formatNumber(limits.timeSteps, 3));
    log.line("  result files                  " + gigabytes(cost.outputBytes) + " of "
             + limitText(limits.diskBytes, gigabytes(limits.diskBytes)) + " free disk space");
    std::vector<std::string> exceeded;
    if (limits.memoryBytes > 0 && !(cost.memoryBytes <= limits.memoryBytes))
        exceeded.push_back("about " + gigabytes(cost.memoryBytes) + " of memory"
                           + (cost.memoryFor.empty() ? "" : " for " + cost.memoryFor) + ", " + limits.memoryName + " "
                           + gigabytes(limits.memoryBytes));
    if (limits.timeSteps > 0 && !(cost.timeSteps <= limits.timeSteps))
        exceeded.push_back("about " + formatNumber(cost.timeSteps, 3) + " time steps, more than "
                           + formatNumber(limits.timeSteps, 3));
    if (limits.diskBytes > 0 && !(cost.outputBytes <= limits.diskBytes))
        exceeded.push_back("about " + gigabytes(cost.outputBytes) + " of result files, the case directory's disk has "
                           + gigabytes(limits.diskBytes) + " free");
    if (exceeded.empty())
        return;
    std::string reason = "the run would need ";
    for (size_t i = 0; i < exceeded.size(); ++i)
        reason += (i == 0 ? "" : i + 1 == exceeded.size() ? " and " : ", ") + exceeded[i];
    throw inputError(inputFile, reason + "; it is not started");
}

namespace runcost {

double duration(const Compressor &compressor, double phiMaxDeg)
{
    return phiMaxDeg * M_PI / 180.0 / compressor.crank.omega();
}

double plateTimeScale(const Compressor &compressor, bool valvesHeldShut)
{
    double tau = std::numeric_limits<double>::infinity();
    if (valvesHeldShut)
        return tau;
    const double dp = compressor.discharge.pressure - compressor.suction.pressure;
    for (const Valve &valve : compressor.valves) {
        const ValvePlate &plate = valve.plate;
        const double force = plate.gasForce(dp) + plate.springForce(plate.maxLift);
        tau = std::min(tau, plate.timeScale(0, 0, force));
    }
    return tau;
}

double historyBytes(const Compressor &compressor, const OutputSchedule &schedule)
{
    const double columns = HistoryWriter::chamberColumns
                           + static_cast<double>(compressor.valves.size()) * HistoryWriter::valveColumns;
    const double header = columns * 40;
    const double summary = 4096 + 256.0 * static_cast<double>(compressor.valves.size());
    return header + (static_cast<double>(schedule.lines) + 1) * columns * numberBytes(10) + summary;
}

double surfaceFileBytes(double points, int columns)
{
    return points * columns * numberBytes(8);
}

} // namespace runcost

} // namespace euler
