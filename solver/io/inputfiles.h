#pragma once

#include "formats/inputrules.h"

#include <array>
#include <filesystem>
#include <string>

namespace euler {

// Cylinder data file ("InputCylinder.txt"): SI units as labelled in the form.
struct CylinderInput
{
    std::string caseName;
    double pistonDiameter = 0;    // m
    double rodDiameter = 0;       // m, radius of the surface grid's inner block
    double minimalGap = 0;        // m, piston to head at top dead centre
    double crankRadius = 0;       // m
    double conrodLength = 0;      // m
    double speedRpm = 0;          // 1/min
    double gamma = 0;             // cp/cv
    double suctionPressure = 0;   // Pa
    double dischargePressure = 0; // Pa
    double suctionDensity = 0;    // kg/m^3
    int n1 = 0, n2 = 0, n3 = 0;   // cells along piston radius, rod radius, clearance
    double gradingPiston = 0;     // last/first radial cell width near the piston radius
    double gradingRod = 0;        // last/first radial cell width near the rod radius
    double courantNumber = 0;     // fraction of the fastest time scale per step
    double phiMax = 0;            // deg, end of the run
    double molarMass = 0;         // g/mol
    double viscosity = 0;         // Pa s
};

struct ValveSideInput
{
    int count = 0;
    std::array<double, formats::inputrules::pocketAnglesPerKind> pocketAngleDeg{};
    double maxLift = 0;        // m
    double fe1mm = 0;          // m (flow area per metre of lift)
    double alpha = 0;          // 1 (discharge coefficient)
    double beta = 0;           // 1/m^2 (saturation of the area with lift)
    double plateMass = 0;      // kg
    double forceArea = 0;      // m^2
    double springStiffness = 0;// N/m
    double springInitialLength = 0; // m (spring compression at zero lift)
};

// Valve data file ("InputValves.txt").
struct ValveInput
{
    double valveDiameter = 0; // m
    ValveSideInput suction;
    ValveSideInput discharge;
    double pocketRadiusMm = 0; // rv1
    double coneHeightMm = 0;   // hk1
    double pocketHeightMm = 0; // hv1
};

// "InputPocketMesh.txt": the mapped pocket mesh and its unit factor.
struct PocketMeshInput
{
    std::string meshFile; // relative to the root directory
    double scale = 0;     // m per mesh unit
};

// Readers throw RunError (BadInput) naming the file, line and reason.
std::string readCaseName(const std::filesystem::path &cylinderFile);
CylinderInput readCylinderInput(const std::filesystem::path &file);
ValveInput readValveInput(const std::filesystem::path &file);
PocketMeshInput readPocketMeshInput(const std::filesystem::path &file);

// The rules of formats/inputrules.h, the front end's as well: each throws
// RunError (BadInput) naming the file and the first rule broken. The pocket's
// fit in the bore needs both files; it is reported against the valve file.
void validate(const CylinderInput &cylinder, const std::string &fileName);
void validate(const ValveInput &valves, const std::string &fileName);
void validatePocket(const CylinderInput &cylinder, const ValveInput &valves, const std::string &valveFileName);

// Specific gas constant, J/(kg K), by the rule of formats/gas.h.
double specificGasConstant(double molarMassGPerMol);

} // namespace euler
