#include "models/cycle.h"

#include <cmath>

namespace euler {

CycleResult cycleBetween(const Compressor &compressor, double suctionDensity, const Totals &a, const Totals &b,
                         bool completeRevolution)
{
    CycleResult c;
    c.startDeg = a.crankAngleDeg;
    c.endDeg = b.crankAngleDeg;
    c.completeRevolution = completeRevolution;
    const double span = b.time - a.time;
    c.suctionMass = b.suctionMass - a.suctionMass;
    c.dischargeMass = b.dischargeMass - a.dischargeMass;
    c.workOnGas = -(b.pdV - a.pdV);
    if (span > 0) {
        c.massFlow = c.suctionMass / span;
        c.indicatedPower = c.workOnGas / span;
    }
    // A partial span is scaled to a full revolution's displacement.
    const double revolutions = span * compressor.crank.omega() / (2 * M_PI);
    if (revolutions > 0)
        c.volumetricEfficiency = c.suctionMass / (suctionDensity * compressor.sweptVolume() * revolutions);
    const double dischargeEnthalpy = b.dischargeEnthalpy - a.dischargeEnthalpy;
    if (c.dischargeMass > 0)
        c.dischargeTemperature = dischargeEnthalpy / (compressor.gas.cp() * c.dischargeMass);
    return c;
}

IdealCycle idealCycle(const Compressor &compressor, double clearanceVolume)
{
    IdealCycle ideal;
    const double g = compressor.gas.gamma;
    const double ratio = compressor.discharge.pressure / compressor.suction.pressure;
    ideal.clearanceRatio = clearanceVolume / compressor.sweptVolume();
    ideal.volumetricEfficiency = 1.0 - ideal.clearanceRatio * (std::pow(ratio, 1.0 / g) - 1.0);
    ideal.work = g / (g - 1.0) * compressor.suction.pressure * ideal.volumetricEfficiency * compressor.sweptVolume()
                 * (std::pow(ratio, (g - 1.0) / g) - 1.0);
    return ideal;
}

} // namespace euler
