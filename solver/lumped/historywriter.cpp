#include "lumped/historywriter.h"

#include "io/inputerror.h"
#include "io/numberformat.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace euler {
namespace {

namespace col = formats::historycolumns;

std::string valvePrefix(const Valve &v)
{
    return (v.kind == ValveKind::Suction ? "S" : "D") + std::to_string(v.number) + "_";
}

} // namespace

std::vector<std::string> HistoryWriter::columnNames(const ChamberModel &model)
{
    std::vector<std::string> names;
    for (const col::Column &column : col::chamberColumns)
        names.push_back(col::label(column));
    for (const Valve &v : model.valves)
        for (const col::Column &column : col::valve::columns)
            names.push_back(valvePrefix(v) + col::label(column));
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

namespace {

// The chamber's columns of one line: values[c] is column c.
void fillChamberColumns(double (&values)[col::chamberCount + 1], long long line, const Simulation &sim,
                        const ChamberSnapshot &s, const ChamberState &start)
{
    const ChamberModel &m = sim.model();
    const ChamberState &st = sim.state();
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
    values[col::line] = static_cast<double>(line);
    values[col::time] = sim.time();
    values[col::revolution] = std::floor(phiDeg / 360.0 + 1e-9) + 1;
    values[col::crankAngle] = phiDeg;
    values[col::angleInRevolution] = std::fmod(phiDeg, 360.0);
    values[col::gap] = s.gap;
    values[col::pistonVelocity] = s.pistonVelocity;
    values[col::pistonAcceleration] = m.crank.pistonAcceleration(s.phi);
    values[col::volume] = s.volume;
    values[col::volumeRate] = s.volumeRate;
    values[col::pressure] = s.pressure;
    values[col::temperature] = s.temperature;
    values[col::density] = s.density;
    values[col::mass] = st.mass();
    values[col::internalEnergy] = st.energy();
    values[col::soundSpeed] = m.gas.soundSpeed(s.temperature);
    values[col::pressureBySuction] = s.pressure / m.suction.pressure;
    values[col::pressureByDischarge] = s.pressure / m.discharge.pressure;
    values[col::polytropicProduct] = s.pressure * std::pow(s.volume, m.gas.gamma);
    values[col::suctionMassFlowIn] = suctionIn;
    values[col::dischargeMassFlowOut] = dischargeOut;
    values[col::netMassFlowIn] = suctionIn - dischargeOut;
    values[col::suctionMassSum] = suctionSum;
    values[col::dischargeMassSum] = dischargeSum;
    values[col::enthalpyInSum] = enthalpySum;
    values[col::workOnGasSum] = -st.work();
    values[col::massBalanceResidual] = st.mass() - start.mass() - (suctionSum - dischargeSum);
    values[col::energyBalanceResidual] = st.energy() - start.energy() - enthalpySum + st.work();
    values[col::pistonGasForce] = s.pressure * m.pistonArea;
    values[col::indicatedPower] = -s.pressure * s.volumeRate;
    values[col::openSuctionValves] = static_cast<double>(openSuction);
    values[col::openDischargeValves] = static_cast<double>(openDischarge);
    values[col::suctionFlowArea] = suctionArea;
    values[col::dischargeFlowArea] = dischargeArea;
    values[col::suctionPressure] = m.suction.pressure;
    values[col::dischargePressure] = m.discharge.pressure;
    values[col::suctionTemperature] = m.suction.temperature;
    values[col::dischargePlenumTemperature] = m.discharge.temperature;
    values[col::timeSteps] = static_cast<double>(sim.stepCount());
    values[col::lastTimeStep] = sim.lastStepSize();
    values[col::maxSeatImpact] = seatImpact;
    values[col::maxGuardImpact] = guardImpact;
    values[col::strokeFraction] = (s.gap - m.crank.minimalGap()) / m.crank.stroke();
}

// Valve j's columns: v[offset].
void fillValveColumns(double (&v)[col::valve::columnsPerValve], const ChamberState &st,
                      const ChamberSnapshot &s, size_t j)
{
    const ValveFlowState &f = s.valves[j];
    v[col::valve::lift] = st.lift(j);
    v[col::valve::velocity] = st.velocity(j);
    v[col::valve::acceleration] = f.acceleration;
    v[col::valve::flowArea] = f.area;
    v[col::valve::pressureDifference] = f.pressureDrop;
    v[col::valve::massFlow] = f.massFlow;
    v[col::valve::gasForce] = f.gasForce;
    v[col::valve::springForce] = f.springForce;
    v[col::valve::massSum] = st.valveMass(j);
}

} // namespace

void HistoryWriter::append(long long line, const Simulation &sim, const ChamberState &start)
{
    const ChamberSnapshot snapshot = sim.snapshot();
    double values[col::chamberCount + 1] = {};
    fillChamberColumns(values, line, sim, snapshot, start);
    for (int c = 1; c <= col::chamberCount; ++c) {
        if (c > 1)
            buffer_ += ' ';
        // The time needs more digits than the rest: steps are microseconds apart.
        appendNumber(buffer_, values[c], c == col::time ? 10 : 8);
    }
    for (size_t j = 0; j < sim.model().valves.size(); ++j) {
        double v[col::valve::columnsPerValve] = {};
        fillValveColumns(v, sim.state(), snapshot, j);
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
