#include "io/summarywriter.h"

#include "io/numberformat.h"

namespace euler {
namespace {

// The summary belongs to the end of the span it evaluates: an infinity or
// NaN stops the run there instead of reaching the file.
void entry(std::string &out, const std::string &name, double value, double endDeg)
{
    requireFinite(value, name.c_str(), endDeg);
    out += name;
    out += " = ";
    appendNumber(out, value, 8);
    out += '\n';
}

} // namespace

std::string summaryText(const std::string &caseName, const Compressor &model, const CycleResult &c,
                        const IdealCycle &ideal, const std::vector<ImpactRecord> &impacts)
{
    std::string out = "# Summary of case " + caseName + "\n# Evaluated from crank angle ";
    appendNumber(out, c.startDeg, 8);
    out += " to ";
    appendNumber(out, c.endDeg, 8);
    out += c.completeRevolution ? " deg (last complete revolution)\n"
                                : " deg (no complete revolution; values over this span)\n";
    entry(out, "Mass flow (kg/s)", c.massFlow, c.endDeg);
    entry(out, "Suction mass per revolution (kg)", c.suctionMass, c.endDeg);
    entry(out, "Discharge mass per revolution (kg)", c.dischargeMass, c.endDeg);
    entry(out, "Volumetric efficiency (1)", c.volumetricEfficiency, c.endDeg);
    entry(out, "Indicated work per revolution (J)", c.workOnGas, c.endDeg);
    entry(out, "Indicated power (W)", c.indicatedPower, c.endDeg);
    entry(out, "Discharge temperature (K)", c.dischargeTemperature, c.endDeg);
    entry(out, "Suction temperature (K)", model.suction.temperature, c.endDeg);
    entry(out, "Clearance ratio incl. pockets (1)", ideal.clearanceRatio, c.endDeg);
    entry(out, "Ideal volumetric efficiency (1)", ideal.volumetricEfficiency, c.endDeg);
    entry(out, "Ideal indicated work per revolution (J)", ideal.work, c.endDeg);
    for (size_t j = 0; j < model.valves.size(); ++j) {
        const Valve &v = model.valves[j];
        const std::string name = (v.kind == ValveKind::Suction ? "Suction valve " : "Discharge valve ")
                                 + std::to_string(v.number);
        entry(out, name + " largest impact velocity on seat (m/s)", impacts[j].seat, c.endDeg);
        entry(out, name + " largest impact velocity on guard (m/s)", impacts[j].guard, c.endDeg);
    }
    return out;
}

} // namespace euler
