#include "io/summarywriter.h"

#include "io/numberformat.h"

namespace euler {
namespace {

void entry(std::string &out, const std::string &name, double value)
{
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
    entry(out, "Mass flow (kg/s)", c.massFlow);
    entry(out, "Suction mass per revolution (kg)", c.suctionMass);
    entry(out, "Discharge mass per revolution (kg)", c.dischargeMass);
    entry(out, "Volumetric efficiency (1)", c.volumetricEfficiency);
    entry(out, "Indicated work per revolution (J)", c.workOnGas);
    entry(out, "Indicated power (W)", c.indicatedPower);
    entry(out, "Discharge temperature (K)", c.dischargeTemperature);
    entry(out, "Suction temperature (K)", model.suction.temperature);
    entry(out, "Clearance ratio incl. pockets (1)", ideal.clearanceRatio);
    entry(out, "Ideal volumetric efficiency (1)", ideal.volumetricEfficiency);
    entry(out, "Ideal indicated work per revolution (J)", ideal.work);
    for (size_t j = 0; j < model.valves.size(); ++j) {
        const Valve &v = model.valves[j];
        const std::string name = (v.kind == ValveKind::Suction ? "Suction valve " : "Discharge valve ")
                                 + std::to_string(v.number);
        entry(out, name + " largest impact velocity on seat (m/s)", impacts[j].seat);
        entry(out, name + " largest impact velocity on guard (m/s)", impacts[j].guard);
    }
    return out;
}

} // namespace euler
