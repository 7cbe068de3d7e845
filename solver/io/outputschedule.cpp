#include "io/outputschedule.h"

#include "io/numberformat.h"

#include "formats/caselayout.h"
#include "formats/solverlog.h"

#include <algorithm>
#include <cmath>

namespace euler {

OutputSchedule::OutputSchedule(double phiMaxDeg, double intervalDeg)
    : phiMax(phiMaxDeg),
      interval(intervalDeg),
      lines(static_cast<long long>(std::ceil(phiMaxDeg / intervalDeg - 1e-9))),
      steps(static_cast<int>(std::trunc(phiMaxDeg)))
{
}

double OutputSchedule::angle(long long line) const
{
    return std::min(static_cast<double>(line) * interval, phiMax);
}

bool OutputSchedule::wholeDegree(double angleDeg, long long &degree)
{
    degree = std::llround(angleDeg);
    return std::fabs(angleDeg - static_cast<double>(degree)) < 1e-9;
}

std::string OutputSchedule::targetLine() const
{
    return formats::solverlog::targetPrefix + formatNumber(phiMax) + " deg: " + std::to_string(steps)
           + " result steps, " + formats::caselayout::historyFile + " every " + formatNumber(interval) + " deg.";
}

void logResults(RunLog &log, const std::vector<CycleResult> &revolutions, const CycleResult &cycle, long long timeSteps)
{
    for (size_t r = 0; r < revolutions.size(); ++r)
        log.line("Revolution " + std::to_string(r + 1) + ": suction " + formatNumber(revolutions[r].suctionMass)
                 + " kg, discharge " + formatNumber(revolutions[r].dischargeMass) + " kg, work "
                 + formatNumber(revolutions[r].workOnGas) + " J");
    log.line("Mass flow " + formatNumber(cycle.massFlow) + " kg/s, volumetric efficiency "
             + formatNumber(cycle.volumetricEfficiency) + ", indicated power " + formatNumber(cycle.indicatedPower)
             + " W, discharge temperature " + formatNumber(cycle.dischargeTemperature) + " K");
    log.line(formats::solverlog::finishedPrefix + std::to_string(timeSteps) + " time steps.");
}

} // namespace euler
