#include "lumped/historywriter.h"

#include "io/inputerror.h"
#include "io/numberformat.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace euler {
namespace {

const char *const chamberNames[HistoryWriter::chamberColumns] = {
    "line", "t[s]", "revolution", "crank_angle[deg]", "angle_in_revolution[deg]",
    "gap[m]", "piston_velocity[m/s]", "piston_acceleration[m/s2]", "volume[m3]", "dV/dt[m3/s]",
    "pressure[Pa]", "temperature[K]", "density[kg/m3]", "mass[kg]", "internal_energy[J]",
    "sound_speed[m/s]", "p/p_s", "p/p_d", "p*V^gamma", "suction_mass_flow_in[kg/s]",
    "discharge_mass_flow_out[kg/s]", "net_mass_flow_in[kg/s]", "suction_mass_sum[kg]", "discharge_mass_sum[kg]", "enthalpy_in_sum[J]",
    "work_on_gas_sum[J]", "mass_balance_residual[kg]", "energy_balance_residual[J]", "piston_gas_force[N]", "indicated_power[W]",
    "open_suction_valves", "open_discharge_valves", "suction_flow_area[m2]", "discharge_flow_area[m2]", "suction_pressure[Pa]",
    "discharge_pressure[Pa]", "suction_temperature[K]", "discharge_plenum_temperature[K]", "time_steps", "last_time_step[s]",
    "max_seat_impact[m/s]", "max_guard_impact[m/s]", "stroke_fraction"};

const char *const valveNames[HistoryWriter::valveColumns] = {
    "lift[m]", "velocity[m/s]", "acceleration[m/s2]", "flow_area[m2]", "pressure_difference[Pa]",
    "mass_flow[kg/s]", "gas_force[N]", "spring_force[N]", "mass_sum[kg]"};

std::string valvePrefix(const Valve &v)
{
    return (v.kind == ValveKind::Suction ? "S" : "D") + std::to_string(v.number) + "_";
}

} // namespace

std::vector<std::string> HistoryWriter::columnNames(const ChamberModel &model)
{
    std::vector<std::string> names(chamberNames, chamberNames + chamberColumns);
    for (const Valve &v : model.valves)
        for (const char *name : valveNames)
            names.push_back(valvePrefix(v) + name);
    return names;
}

HistoryWriter::HistoryWriter(const std::filesystem::path &file, const ChamberModel &model) : file_(file)
{
    out_ = std::fopen(file.string().c_str(), "wb");
    if (!out_)
        throw RunError(RunError::OutputFailed, file.string() + ": cannot be written: " + std::strerror(errno));
    buffer_ = "#";
    const std::vector<std::string> names = columnNames(model);
    for (size_t i = 0; i < names.size(); ++i) {
        buffer_ += ' ';
        appendInteger(buffer_, static_cast<long long>(i + 1));
        buffer_ += ':';
        buffer_ += names[i];
    }
    buffer_ += '\n';
}

HistoryWriter::~HistoryWriter()
{
    if (out_)
        std::fclose(out_);
}

void HistoryWriter::append(long long line, const Simulation &sim, const ChamberState &start)
{
    const ChamberModel &m = sim.model();
    const ChamberState &st = sim.state();
    const ChamberSnapshot s = sim.snapshot();
    const double phiDeg = s.phi * 180.0 / M_PI;

    double suctionIn = 0, dischargeOut = 0, suctionSum = 0, dischargeSum = 0, enthalpySum = 0;
    double suctionArea = 0, dischargeArea = 0, seatImpact = 0, guardImpact = 0;
    int openSuction = 0, openDischarge = 0;
    for (size_t j = 0; j < m.valves.size(); ++j) {
        const bool suction = m.valves[j].kind == ValveKind::Suction;
        (suction ? suctionIn : dischargeOut) += s.valves[j].massFlow;
        (suction ? suctionSum : dischargeSum) += st.valveMass(j);
        (suction ? suctionArea : dischargeArea) += s.valves[j].area;
        (suction ? openSuction : openDischarge) += st.lift(j) > 0 ? 1 : 0;
        enthalpySum += st.valveEnthalpy(j);
        seatImpact = std::max(seatImpact, sim.impacts()[j].seat);
        guardImpact = std::max(guardImpact, sim.impacts()[j].guard);
    }
    const double values[chamberColumns] = {
        static_cast<double>(line), sim.time(), std::floor(phiDeg / 360.0 + 1e-9) + 1, phiDeg,
        std::fmod(phiDeg, 360.0),
        s.gap, s.pistonVelocity, m.crank.pistonAcceleration(s.phi), s.volume, s.volumeRate,
        s.pressure, s.temperature, s.density, st.mass(), st.energy(),
        m.gas.soundSpeed(s.temperature), s.pressure / m.suction.pressure, s.pressure / m.discharge.pressure,
        s.pressure * std::pow(s.volume, m.gas.gamma), suctionIn,
        dischargeOut, suctionIn - dischargeOut, suctionSum, dischargeSum, enthalpySum,
        -st.work(), st.mass() - start.mass() - (suctionSum - dischargeSum),
        st.energy() - start.energy() - enthalpySum + st.work(), s.pressure * m.pistonArea, -s.pressure * s.volumeRate,
        static_cast<double>(openSuction), static_cast<double>(openDischarge), suctionArea, dischargeArea,
        m.suction.pressure,
        m.discharge.pressure, m.suction.temperature, m.discharge.temperature,
        static_cast<double>(sim.stepCount()), sim.lastStepSize(),
        seatImpact, guardImpact, (s.gap - m.crank.minimalGap()) / m.crank.stroke()};
    for (int c = 0; c < chamberColumns; ++c) {
        if (c)
            buffer_ += ' ';
        appendNumber(buffer_, values[c], c == 1 ? 10 : 8);
    }
    for (size_t j = 0; j < m.valves.size(); ++j) {
        const ValveFlowState &f = s.valves[j];
        const double v[valveColumns] = {st.lift(j), st.velocity(j), f.acceleration, f.area, f.pressureDrop,
                                        f.massFlow, f.gasForce, f.springForce, st.valveMass(j)};
        for (double value : v) {
            buffer_ += ' ';
            appendNumber(buffer_, value, 8);
        }
    }
    buffer_ += '\n';
    if (buffer_.size() > (1u << 20))
        flush();
}

void HistoryWriter::flush()
{
    if (!out_)
        return;
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size())
        throw RunError(RunError::OutputFailed, file_.string() + ": write failed: " + std::strerror(errno));
    buffer_.clear();
}

void HistoryWriter::close()
{
    flush();
    if (out_ && std::fclose(out_) != 0) {
        out_ = nullptr;
        throw RunError(RunError::OutputFailed, file_.string() + ": write failed: " + std::strerror(errno));
    }
    out_ = nullptr;
}

} // namespace euler
