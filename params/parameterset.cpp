#include "parameterset.h"

#include "formats/inputrules.h"

#include <QCoreApplication>

namespace ParameterSet {

namespace {

// The translation context of the captions that are no table's.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(ParameterSet)
};

constexpr Kind Text = Kind::Text;
constexpr Kind Real = Kind::Real;
constexpr Kind Integer = Kind::Integer;

// An entry whose comment line is its caption after a '#', following
// `blankLines` empty lines.
Entry labelled(Parameter key, Kind kind, const char *caption, char display, int decimals,
               int blankLines = 0)
{
    const QString text = QString::fromUtf8(caption);
    return {key, kind, QString(blankLines, u'\n') + u'#' + text, text, display, decimals};
}

// An entry whose comment differs from its label.
Entry commented(Parameter key, Kind kind, const char *comment, const char *caption, char display,
                int decimals)
{
    return {key, kind, QString::fromUtf8(comment), QString::fromUtf8(caption), display, decimals};
}

// One side's valve entries; the two sides differ in their words and in the
// decimals the reader shows for beta.
void appendSide(Table &table, ValveSide side)
{
    const bool suction = side == ValveSide::Suction;
    const QString kind = suction ? QStringLiteral("suction") : QStringLiteral("discharge");
    auto entry = [&](Parameter suctionKey, Kind valueKind, const QString &caption, char display, int decimals) {
        table.push_back({onSide(side, suctionKey), valueKind, u'#' + caption.arg(kind), caption.arg(kind),
                         display, decimals});
        return &table.back();
    };
    entry(Parameter::SuctionValveCount, Integer, QStringLiteral("Number of %1 valves (1)"), 'd', 0)
        ->comment.prepend(QStringLiteral("\n\n"));
    // The angle comments carry the degree sign; the file holds it as UTF-8.
    entry(Parameter::SuctionPocketAngle1, Real, QStringLiteral("z-axis rotation angles for %1 valve pockets (\u00b0)"),
          'f', 1)
        ->tokens = formats::inputrules::pocketAnglesPerKind;
    entry(Parameter::SuctionMaxLift, Real,
          QStringLiteral("Maximum valve plate lift x_max_%2 of %1 valve (m)")
              .replace(QStringLiteral("%2"), suction ? QStringLiteral("in") : QStringLiteral("out")),
          'f', 4);
    entry(Parameter::SuctionFe1mm, Real, QStringLiteral("Valve parameter fe1mm of %1 valve (m)"), 'f', 4);
    entry(Parameter::SuctionAlpha, Real, QStringLiteral("Valve parameter alpha of %1 valve (1)"), 'f', 4);
    entry(Parameter::SuctionBeta, Real, QStringLiteral("Valve parameter beta of %1 valve (1/m^2)"), 'f',
          suction ? 1 : 4);
    entry(Parameter::SuctionPlateMass, Real, QStringLiteral("Valve plate mass of %1 valve (kg)"), 'f', 4);
    entry(Parameter::SuctionForceArea, Real, QStringLiteral("Valve plate force area of %1 valve (m^2)"), 'f', 5);
    entry(Parameter::SuctionSpringStiffness, Real, QStringLiteral("Valve spring stiffness of %1 valve (N/m)"),
          'f', 1);
    entry(Parameter::SuctionSpringLength, Real, QStringLiteral("Valve spring initial length of %1 valve (m)"),
          'f', 6);
}

} // namespace

QList<Parameter> Entry::keys() const
{
    QList<Parameter> list;
    for (int token = 0; token < tokens; ++token)
        list << Parameter(int(key) + token);
    return list;
}

QList<Parameter> keys(const Table &set)
{
    QList<Parameter> list;
    for (const Entry &entry : set)
        list << entry.keys();
    return list;
}

const Table &cylinder()
{
    using P = Parameter;
    static const Table table = [] {
        Table t = {
            commented(P::CaseName, Text, "#Computed data output will be written to the following directory:",
                      "Case name", 0, 0),
            labelled(P::PistonDiameter, Real, "Piston diameter d_P (m)", 'f', 3, 2),
            commented(P::RodDiameter, Real, "#Piston rod diameter d_R(m)", "Piston rod diameter d_R (m)", 'f', 3),
            labelled(P::MinimalGap, Real, "Minimal gap between piston and cylinder-head z_min (m)", 'f', 4),
            labelled(P::CrankRadius, Real, "Crank radius r (m)", 'f', 3),
            labelled(P::ConrodLength, Real, "Conrod length L (m)", 'f', 3),
            labelled(P::CrankSpeed, Real, "Crank shaft speed omega (rpm)", 'f', 1),
            labelled(P::HeatCapacityRatio, Real, "Ratio of specific heat capacities Gamma", 'f', 2, 2),
            labelled(P::SuctionPressure, Real, "Suction pressure p_s (Pa)", 'f', 1),
            labelled(P::DischargePressure, Real, "Discharge pressure p_d (Pa)", 'f', 1),
            labelled(P::SuctionDensity, Real, "Suction density rho_s (kg/m^3)", 'f', 3),
            labelled(P::CellsAlongPistonRadius, Integer, "Number of cells along piston radius n1", 'd', 0, 2),
            labelled(P::CellsAlongRodRadius, Integer, "Number of cells along piston rod radius n2", 'd', 0),
            labelled(P::CellsInClearance, Integer, "Number of cells in clearance n3", 'd', 0),
            labelled(P::GradingPiston, Real,
                     "Radial mesh size grading parameter near piston radius (0 < grading_P < 1)", 'f', 3),
            labelled(P::GradingRod, Real, "Radial mesh size grading parameter near rod radius (0 < grading_R < 1)",
                     'f', 3),
            labelled(P::CourantNumber, Real, "CourantNumber", 'f', 2),
            labelled(P::EndAngle, Real, "End computation at crank angle phiMax (deg)", 'f', 1),
            commented(P::MolarMass, Real, "#Molar mass (g/mol)", "Molar mass [g/mol]", 'f', 3),
            commented(P::Viscosity, Real, "#Dynamic viscosity (Pas)", "Dynamic viscosity [Pas]", 'e', 5),
        };
        t.back().notation = QTextStream::SmartNotation;
        return t;
    }();
    return table;
}

const Table &valves()
{
    using P = Parameter;
    static const Table table = [] {
        Table t{labelled(P::ValveDiameter, Text, "Valve diameter d_V (m)", 'f', 3)};
        appendSide(t, ValveSide::Suction);
        appendSide(t, ValveSide::Discharge);
        t.push_back(commented(P::PocketRadius, Real, "#Valve radius rv1 (mm)", "Valve pocket radius rv1 [mm]", 'f', 1));
        t.push_back(commented(P::ConeHeight, Real, "#Height of valve cone hk1 (mm)", "Height of valve cone hk1 [mm]",
                              'f', 1));
        t.push_back(commented(P::PocketHeight, Real, "#Height of valve pocket hv1 (mm)",
                              "Height of valve pocket hv1 [mm]", 'f', 1));
        return t;
    }();
    return table;
}

const Entry *entryOf(Parameter key)
{
    for (const Table *set : {&cylinder(), &valves()}) {
        for (const Entry &entry : *set) {
            if (entry.keys().contains(key))
                return &entry;
        }
    }
    return nullptr;
}

QString caption(Parameter key)
{
    if (const Entry *entry = entryOf(key))
        return entry->caption;
    return Texts::tr("Please enter the name of the mesh file for the valve pockets");
}

} // namespace ParameterSet
