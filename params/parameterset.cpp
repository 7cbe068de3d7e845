#include "parameterset.h"

namespace ParameterSet {

namespace {
constexpr Kind Text = Kind::Text;
constexpr Kind Real = Kind::Real;
constexpr Kind Integer = Kind::Integer;
} // namespace

QStringList Entry::fieldNames() const
{
    if (tokens == 1)
        return {QString::fromLatin1(field)};
    QStringList names;
    for (int token = 0; token < tokens; ++token)
        names << QString::fromLatin1(field) + QChar(u'a' + token);
    return names;
}

QStringList fieldNames(const Table &set)
{
    QStringList names;
    for (const Entry &entry : set)
        names << entry.fieldNames();
    return names;
}

const Table &cylinder()
{
    static const Table table = {
        {"lineEdit_CA", Text, "#Computed data output will be written to the following directory:",
         "Case name", 0, 0},
        {"lineEdit_PA_1", Real, "\n\n#Piston diameter d_P (m)", "Piston diameter d_P (m)", 'f', 3},
        {"lineEdit_PA_1b", Real, "#Piston rod diameter d_R(m)", "Piston rod diameter d_R (m)", 'f', 3},
        {"lineEdit_PA_2", Real, "#Minimal gap between piston and cylinder-head z_min (m)",
         "Minimal gap between piston and cylinder-head z_min (m)", 'f', 4},
        {"lineEdit_PA_3", Real, "#Crank radius r (m)", "Crank radius r (m)", 'f', 3},
        {"lineEdit_PA_4", Real, "#Conrod length L (m)", "Conrod length L (m)", 'f', 3},
        {"lineEdit_PA_5", Real, "#Crank shaft speed omega (rpm)", "Crank shaft speed omega (rpm)", 'f', 1},
        {"lineEdit_PA_6", Real, "\n\n#Ratio of specific heat capacities Gamma",
         "Ratio of specific heat capacities Gamma", 'f', 2},
        {"lineEdit_PA_7", Real, "#Suction pressure p_s (Pa)", "Suction pressure p_s (Pa)", 'f', 1},
        {"lineEdit_PA_8", Real, "#Discharge pressure p_d (Pa)", "Discharge pressure p_d (Pa)", 'f', 1},
        {"lineEdit_PA_9", Real, "#Suction density rho_s (kg/m^3)", "Suction density rho_s (kg/m^3)", 'f', 3},
        {"lineEdit_PA_10", Integer, "\n\n#Number of cells along piston radius n1",
         "Number of cells along piston radius n1", 'd', 0},
        {"lineEdit_PA_11", Integer, "#Number of cells along piston rod radius n2",
         "Number of cells along piston rod radius n2", 'd', 0},
        {"lineEdit_PA_12", Integer, "#Number of cells in clearance n3", "Number of cells in clearance n3", 'd', 0},
        {"lineEdit_PA_13", Real, "#Radial mesh size grading parameter near piston radius (0 < grading_P < 1)",
         "Radial mesh size grading parameter near piston radius (0 < grading_P < 1)", 'f', 3},
        {"lineEdit_PA_14", Real, "#Radial mesh size grading parameter near rod radius (0 < grading_R < 1)",
         "Radial mesh size grading parameter near rod radius (0 < grading_R < 1)", 'f', 3},
        {"lineEdit_PA_15", Real, "#CourantNumber", "CourantNumber", 'f', 2},
        {"lineEdit_PA_16", Real, "#End computation at crank angle phiMax (deg)",
         "End computation at crank angle phiMax (deg)", 'f', 1},
        {"lineEdit_PA_19", Real, "#Molar mass (g/mol)", "Molar mass [g/mol]", 'f', 3},
        {"lineEdit_PA_29", Real, "#Dynamic viscosity (Pas)", "Dynamic viscosity [Pas]", 'e', 5, 1,
         QTextStream::SmartNotation},
    };
    return table;
}

// The angle comments carry the degree sign; the file holds it as UTF-8.
const Table &valves()
{
    static const Table table = {
        {"lineEdit_PA_17", Text, "#Valve diameter d_V (m)", "Valve diameter d_V (m)", 'f', 3},
        {"lineEdit_PA_18", Integer, "\n\n#Number of suction valves (1)", "Number of suction valves (1)", 'd', 0},
        {"lineEdit_PA_19", Real, "#z-axis rotation angles for suction valve pockets (\u00b0)",
         "z-axis rotation angles for suction valve pockets (\u00b0)", 'f', 1, 5},
        {"lineEdit_PA_20", Real, "#Maximum valve plate lift x_max_in of suction valve (m)",
         "Maximum valve plate lift x_max_in of suction valve (m)", 'f', 4},
        {"lineEdit_PA_21", Real, "#Valve parameter fe1mm of suction valve (m)",
         "Valve parameter fe1mm of suction valve (m)", 'f', 4},
        {"lineEdit_PA_22", Real, "#Valve parameter alpha of suction valve (1)",
         "Valve parameter alpha of suction valve (1)", 'f', 4},
        {"lineEdit_PA_23", Real, "#Valve parameter beta of suction valve (1/m^2)",
         "Valve parameter beta of suction valve (1/m^2)", 'f', 1},
        {"lineEdit_PA_24", Real, "#Valve plate mass of suction valve (kg)",
         "Valve plate mass of suction valve (kg)", 'f', 4},
        {"lineEdit_PA_25", Real, "#Valve plate force area of suction valve (m^2)",
         "Valve plate force area of suction valve (m^2)", 'f', 5},
        {"lineEdit_PA_26", Real, "#Valve spring stiffness of suction valve (N/m)",
         "Valve spring stiffness of suction valve (N/m)", 'f', 1},
        {"lineEdit_PA_27", Real, "#Valve spring initial length of suction valve (m)",
         "Valve spring initial length of suction valve (m)", 'f', 6},
        {"lineEdit_PA_28", Integer, "\n\n#Number of discharge valves (1)", "Number of discharge valves (1)", 'd', 0},
        {"lineEdit_PA_29", Real, "#z-axis rotation angles for discharge valve pockets (\u00b0)",
         "z-axis rotation angles for discharge valve pockets (\u00b0)", 'f', 1, 5},
        {"lineEdit_PA_30", Real, "#Maximum valve plate lift x_max_out of discharge valve (m)",
         "Maximum valve plate lift x_max_out of discharge valve (m)", 'f', 4},
        {"lineEdit_PA_31", Real, "#Valve parameter fe1mm of discharge valve (m)",
         "Valve parameter fe1mm of discharge valve (m)", 'f', 4},
        {"lineEdit_PA_32", Real, "#Valve parameter alpha of discharge valve (1)",
         "Valve parameter alpha of discharge valve (1)", 'f', 4},
        {"lineEdit_PA_33", Real, "#Valve parameter beta of discharge valve (1/m^2)",
         "Valve parameter beta of discharge valve (1/m^2)", 'f', 4},
        {"lineEdit_PA_34", Real, "#Valve plate mass of discharge valve (kg)",
         "Valve plate mass of discharge valve (kg)", 'f', 4},
        {"lineEdit_PA_35", Real, "#Valve plate force area of discharge valve (m^2)",
         "Valve plate force area of discharge valve (m^2)", 'f', 5},
        {"lineEdit_PA_36", Real, "#Valve spring stiffness of discharge valve (N/m)",
         "Valve spring stiffness of discharge valve (N/m)", 'f', 1},
        {"lineEdit_PA_37", Real, "#Valve spring initial length of discharge valve (m)",
         "Valve spring initial length of discharge valve (m)", 'f', 6},
        {"lineEdit_PA_38", Real, "#Valve radius rv1 (mm)", "Valve pocket radius rv1 [mm]", 'f', 1},
        {"lineEdit_PA_39", Real, "#Height of valve cone hk1 (mm)", "Height of valve cone hk1 [mm]", 'f', 1},
        {"lineEdit_PA_40", Real, "#Height of valve pocket hv1 (mm)", "Height of valve pocket hv1 [mm]", 'f', 1},
    };
    return table;
}

} // namespace ParameterSet
