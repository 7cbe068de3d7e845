#include "io/historywriter.h"

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

std::vector<std::string> HistoryWriter::columnNames(const Compressor &model)
{
    std::vector<std::string> names;
    for (const col::Column &column : col::chamberColumns)
        names.push_back(col::label(column));
    for (const Valve &v : model.valves)
        for (const col::Column &column : col::valve::columns)
            names.push_back(valvePrefix(v) + col::label(column));
    return names;
}

HistoryWriter::HistoryWriter(const std::filesystem::path &file, const Compressor &model)
    : compressor_(model), file_(file)
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
void fillChamberColumns(double (&values)[col::chamberCount + 1], long long line, const Compressor &m,
                        const HistoryInstant &s)
{
    const double phi = m.crank.omega() * s.time;
    const double phiDeg = phi * 180.0 / M_PI;
    const double gap = m.crank.gap(phi);

    double suctionIn = 0, dischargeOut = 0, suctionSum = 0, dischargeSum = 0, enthalpySum = 0;
    double suctionArea = 0, dischargeArea = 0, seatImpact = 0, guardImpact = 0;
    int openSuction = 0, openDischarge = 0;
    for (size_t j = 0; j < m.valves.size(); ++j) {
        const ValveInstant &v = s.valves[j];
        const bool suction = m.valves[j].kind == ValveKind::Suction;
        (suction ? suctionIn : dischargeOut) += v.massFlow;
        (suction ? suctionSum : dischargeSum) += v.massSum;
        (suction ? suctionArea : dischargeArea) += v.area;
        (suction ? openSuction : openDischarge) += v.lift > 0 ? 1 : 0;
        enthalpySum += v.enthalpySum;
        seatImpact = std::max(seatImpact, v.impacts.seat);
        guardImpact = std::max(guardImpact, v.impacts.guard);
    }
    values[col::line] = static_cast<double>(line);
    values[col::time] = s.time;
    values[col::revolution] = std::floor(phiDeg / 360.0 + 1e-9) + 1;
    values[col::crankAngle] = phiDeg;
    values[col::angleInRevolution] = std::fmod(phiDeg, 360.0);
    values[col::gap] = gap;
    values[col::pistonVelocity] = m.crank.pistonVelocity(phi);
    values[col::pistonAcceleration] = m.crank.pistonAcceleration(phi);
    values[col::volume] = s.volume;
    values[col::volumeRate] = s.volumeRate;
    values[col::pressure] = s.pressure;
    values[col::temperature] = s.temperature;
    values[col::density] = s.density;
    values[col::mass] = s.mass;
    values[col::internalEnergy] = s.internalEnergy;
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
    values[col::workOnGasSum] = -s.pdV;
    values[col::massBalanceResidual] = s.mass - s.startMass - (suctionSum - dischargeSum);
    values[col::energyBalanceResidual] = s.energy - s.startEnergy - enthalpySum + s.pdV;
    values[col::pistonGasForce] = s.pistonForce;
    values[col::indicatedPower] = s.pistonPower;
    values[col::openSuctionValves] = static_cast<double>(openSuction);
    values[col::openDischargeValves] = static_cast<double>(openDischarge);
    values[col::suctionFlowArea] = suctionArea;
    values[col::dischargeFlowArea] = dischargeArea;
    values[col::suctionPressure] = m.suction.pressure;
    values[col::dischargePressure] = m.discharge.pressure;
    values[col::suctionTemperature] = m.suction.temperature;
    values[col::dischargePlenumTemperature] = m.discharge.temperature;
    values[col::timeSteps] = static_cast<double>(s.timeSteps);
    values[col::lastTimeStep] = s.lastTimeStep;
    values[col::maxSeatImpact] = seatImpact;
    values[col::maxGuardImpact] = guardImpact;
    values[col::strokeFraction] = (gap - m.crank.minimalGap()) / m.crank.stroke();
}

// Valve j's columns: v[offset].
void fillValveColumns(double (&v)[col::valve::columnsPerValve], const ValveInstant &f)
{
    v[col::valve::lift] = f.lift;
    v[col::valve::velocity] = f.velocity;
    v[col::valve::acceleration] = f.acceleration;
    v[col::valve::flowArea] = f.area;
    v[col::valve::pressureDifference] = f.pressureDrop;
    v[col::valve::massFlow] = f.massFlow;
    v[col::valve::gasForce] = f.gasForce;
    v[col::valve::springForce] = f.springForce;
    v[col::valve::massSum] = f.massSum;
}

} // namespace

void HistoryWriter::append(long long line, const HistoryInstant &instant)
{
    double values[col::chamberCount + 1] = {};
    fillChamberColumns(values, line, compressor_, instant);
    requireFiniteLine(values, instant);
    for (int c = 1; c <= col::chamberCount; ++c) {
        if (c > 1)
            buffer_ += ' ';
        // The time needs more digits than the rest: steps are microseconds apart.
        appendNumber(buffer_, values[c], c == col::time ? 10 : 8);
    }
    for (const ValveInstant &valve : instant.valves) {
        double v[col::valve::columnsPerValve] = {};
        fillValveColumns(v, valve);
        for (double value : v) {
            buffer_ += ' ';
            appendNumber(buffer_, value, 8);
        }
    }
    buffer_ += '\n';
    if (buffer_.size() > (1u << 20))
        flush();
}

// No infinity or NaN reaches the file: the first one stops the run, named by
// its column.
void HistoryWriter::requireFiniteLine(const double (&values)[col::chamberCount + 1], const HistoryInstant &instant) const
{
    const double angle = values[col::crankAngle];
    for (int c = 1; c <= col::chamberCount; ++c) {
        if (!std::isfinite(values[c]))
            refuseNonFinite(values[c], columnNames(compressor_)[static_cast<size_t>(c - 1)].c_str(), angle);
    }
    for (size_t j = 0; j < instant.valves.size(); ++j) {
        double v[col::valve::columnsPerValve] = {};
        fillValveColumns(v, instant.valves[j]);
        for (int k = 0; k < col::valve::columnsPerValve; ++k) {
            if (!std::isfinite(v[k]))
                refuseNonFinite(v[k], columnNames(compressor_)[col::chamberCount + j * col::valve::columnsPerValve + k].c_str(),
                                angle);
        }
    }
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
