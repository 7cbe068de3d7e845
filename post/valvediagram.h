#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// Diagrams over crank angle: the script layout shared by the valve diagram and
// the heat-transfer coefficient diagram, and the valve curves read from the
// solver's valve history file "Output.txt".
namespace ValveDiagram {

// A complete script drawing `curves` (each "'file' ... w l") into imageName:
// the first curve carries "plot ", every curve but the last ends in ", \".
QStringList crankAngleScript(const QString &imageName, const QString &yLabel,
                             const QStringList &curves);

// The four choices of "Valve quantities to plot:".
enum class Quantity { DischargeMassFlow, SuctionMassFlow, Lift, Velocity };

constexpr int maxValvesPerKind = 8;

// A valve count as typed: a decimal integer from 1 to maxValvesPerKind,
// otherwise nothing.
std::optional<int> valveCount(const QString &text);

// Whether the quantity's curves depend on the number of discharge valves
// (the suction mass flow does not).
bool usesDischargeCount(Quantity quantity);

// Column of `quantity` for valve number j (suction valves 1..nS, then the
// discharge valves) in the valve history file.
int column(Quantity quantity, int valveNumber);

struct Curve
{
    int column;
    QString title;
};

// Curves in plot order; counts must lie in 1..maxValvesPerKind.
QVector<Curve> curves(Quantity quantity, int suctionValves, int dischargeValves);

QString yLabel(Quantity quantity);

// "gp.txt" for the case: one curve per valve from "../<case>/Output.txt".
QStringList plotScript(const QString &caseName, Quantity quantity, int suctionValves,
                       int dischargeValves);

inline QString scriptName() { return QStringLiteral("gp.txt"); }
inline QString imageName() { return QStringLiteral("Valves.png"); }

} // namespace ValveDiagram
