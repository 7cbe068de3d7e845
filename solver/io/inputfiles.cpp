#include "io/inputfiles.h"

#include "io/inputerror.h"
#include "io/textinput.h"

#include <cmath>
#include <vector>

namespace euler {
namespace {

// The data lines of a file, in order.
class DataLines
{
public:
    explicit DataLines(const std::filesystem::path &file, int skipLines = 0) : file_(file.string())
    {
        for (const TextLine &line : readLines(file))
            if (line.number > skipLines && isDataLine(line.text))
                lines_.push_back(line);
    }

    const TextLine &line(size_t index, const char *what) const
    {
        if (index >= lines_.size())
            throw inputError(file_, std::string("missing value for ") + what);
        return lines_[index];
    }

    double real(size_t index, const char *what) const
    {
        double v = 0;
        firstToken(index, what, "a number", [&](const std::string &t) { return parseReal(t, v); });
        return v;
    }

    int integer(size_t index, const char *what) const
    {
        int v = 0;
        firstToken(index, what, "an integer", [&](const std::string &t) { return parseInteger(t, v); });
        return v;
    }

    // Up to five values on one line; missing ones are 0.
    std::array<double, 5> reals5(size_t index, const char *what) const
    {
        const TextLine &l = line(index, what);
        std::array<double, 5> values{};
        const std::vector<std::string> tokens = splitTokens(l.text);
        for (size_t i = 0; i < tokens.size() && i < values.size(); ++i)
            if (!parseReal(tokens[i], values[i]))
                throw inputError(file_, "line " + std::to_string(l.number) + ": " + what + " is not a number: \"" + tokens[i] + "\"");
        return values;
    }

private:
    template<typename Parse>
    void firstToken(size_t index, const char *what, const char *kind, Parse parse) const
    {
        const TextLine &l = line(index, what);
        if (!parse(splitTokens(l.text).front()))
            throw inputError(file_, "line " + std::to_string(l.number) + ": " + what + " is not " + kind + ": \"" + l.text + "\"");
    }

    std::string file_;
    std::vector<TextLine> lines_;
};

void require(bool condition, const std::string &file, const std::string &reason)
{
    if (!condition)
        throw inputError(file, reason);
}

ValveSideInput readSide(const DataLines &data, size_t first)
{
    ValveSideInput side;
    side.count = data.integer(first, "valve count");
    side.pocketAngleDeg = data.reals5(first + 1, "pocket angle");
    side.maxLift = data.real(first + 2, "maximum valve lift");
    side.fe1mm = data.real(first + 3, "fe1mm");
    side.alpha = data.real(first + 4, "alpha");
    side.beta = data.real(first + 5, "beta");
    side.plateMass = data.real(first + 6, "valve plate mass");
    side.forceArea = data.real(first + 7, "valve plate force area");
    side.springStiffness = data.real(first + 8, "spring stiffness");
    side.springInitialLength = data.real(first + 9, "spring initial length");
    return side;
}

void validateSide(const ValveSideInput &s, const std::string &kind, const std::string &file)
{
    require(s.count >= 1 && s.count <= 5, file, "number of " + kind + " valves must lie between 1 and 5, not " + std::to_string(s.count));
    require(s.maxLift > 0, file, kind + " valve: maximum lift must be positive");
    require(s.fe1mm > 0, file, kind + " valve: fe1mm must be positive");
    require(s.alpha > 0 && s.alpha <= 1, file, kind + " valve: alpha must lie in (0, 1]");
    require(s.beta >= 0, file, kind + " valve: beta must not be negative");
    require(s.plateMass > 0, file, kind + " valve: plate mass must be positive");
    require(s.forceArea > 0, file, kind + " valve: force area must be positive");
    require(s.springStiffness >= 0, file, kind + " valve: spring stiffness must not be negative");
    require(s.springInitialLength >= 0, file, kind + " valve: spring initial length must not be negative");
}

} // namespace

std::string readCaseName(const std::filesystem::path &file)
{
    const std::vector<TextLine> lines = readLines(file);
    // The case name is line 2 as written, blanks included: it names the
    // directory the front end created.
    require(lines.size() >= 2, file.string(), "line 2 (case name) is missing");
    std::string name = lines[1].text;
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.pop_back();
    require(!name.empty() && name.front() != '#', file.string(), "line 2 holds no case name");
    require(name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos,
            file.string(), "case name \"" + name + "\" is not a single directory name");
    return name;
}

CylinderInput readCylinderInput(const std::filesystem::path &file)
{
    CylinderInput c;
    c.caseName = readCaseName(file);
    const DataLines data(file, 2);
    size_t i = 0;
    c.pistonDiameter = data.real(i++, "piston diameter");
    c.rodDiameter = data.real(i++, "piston rod diameter");
    c.minimalGap = data.real(i++, "minimal gap");
    c.crankRadius = data.real(i++, "crank radius");
    c.conrodLength = data.real(i++, "conrod length");
    c.speedRpm = data.real(i++, "crank shaft speed");
    c.gamma = data.real(i++, "gamma");
    c.suctionPressure = data.real(i++, "suction pressure");
    c.dischargePressure = data.real(i++, "discharge pressure");
    c.suctionDensity = data.real(i++, "suction density");
    c.n1 = data.integer(i++, "n1");
    c.n2 = data.integer(i++, "n2");
    c.n3 = data.integer(i++, "n3");
    c.gradingPiston = data.real(i++, "grading_P");
    c.gradingRod = data.real(i++, "grading_R");
    c.courantNumber = data.real(i++, "Courant number");
    c.phiMax = data.real(i++, "phiMax");
    c.molarMass = data.real(i++, "molar mass");
    c.viscosity = data.real(i++, "dynamic viscosity");
    return c;
}

ValveInput readValveInput(const std::filesystem::path &file)
{
    const DataLines data(file);
    ValveInput v;
    v.valveDiameter = data.real(0, "valve diameter");
    v.suction = readSide(data, 1);
    v.discharge = readSide(data, 11);
    v.pocketRadiusMm = data.real(21, "valve pocket radius rv1");
    v.coneHeightMm = data.real(22, "valve cone height hk1");
    v.pocketHeightMm = data.real(23, "valve pocket height hv1");
    return v;
}

PocketMeshInput readPocketMeshInput(const std::filesystem::path &file)
{
    const std::vector<TextLine> lines = readLines(file);
    require(lines.size() >= 5, file.string(), "expected 5 lines, found " + std::to_string(lines.size()));
    PocketMeshInput p;
    p.meshFile = lines[1].text;
    while (!p.meshFile.empty() && (p.meshFile.back() == ' ' || p.meshFile.back() == '\t'))
        p.meshFile.pop_back();
    require(!p.meshFile.empty(), file.string(), "line 2 names no pocket mesh file");
    const std::vector<std::string> tokens = splitTokens(lines[4].text);
    require(!tokens.empty() && parseReal(tokens.front(), p.scale) && p.scale > 0, file.string(),
            "line 5: grid scaling factor must be a positive number: \"" + lines[4].text + "\"");
    return p;
}

void validate(const CylinderInput &c, const std::string &file)
{
    require(c.pistonDiameter > 0, file, "piston diameter must be positive");
    require(c.rodDiameter >= 0 && c.rodDiameter < c.pistonDiameter, file, "rod diameter must lie in [0, piston diameter)");
    require(c.minimalGap > 0, file, "minimal gap z_min must be positive");
    require(c.crankRadius > 0, file, "crank radius must be positive");
    require(c.conrodLength > c.crankRadius, file, "conrod length must exceed the crank radius");
    require(c.speedRpm > 0, file, "crank shaft speed must be positive");
    require(c.gamma > 1 && c.gamma < 2, file, "gamma must lie in (1, 2)");
    require(c.suctionPressure > 0, file, "suction pressure must be positive");
    require(c.dischargePressure > 0, file, "discharge pressure must be positive");
    require(c.suctionDensity > 0, file, "suction density must be positive");
    require(c.n1 >= 1, file, "n1 must be at least 1");
    require(c.n2 >= 0, file, "n2 must not be negative");
    require(c.n3 >= 1, file, "n3 must be at least 1");
    require(c.gradingPiston > 0 && c.gradingPiston <= 1, file, "grading_P must lie in (0, 1]");
    require(c.gradingRod > 0 && c.gradingRod <= 1, file, "grading_R must lie in (0, 1]");
    require(c.courantNumber > 0, file, "Courant number must be positive");
    require(c.phiMax > 0 && c.phiMax <= 360.0 * 1000, file, "phiMax must lie in (0, 360000] deg");
    require(c.molarMass >= 0, file, "molar mass must not be negative");
    require(c.viscosity >= 0, file, "dynamic viscosity must not be negative");
}

void validate(const ValveInput &v, const std::string &file)
{
    require(v.valveDiameter > 0, file, "valve diameter must be positive");
    validateSide(v.suction, "suction", file);
    validateSide(v.discharge, "discharge", file);
    require(v.pocketRadiusMm > 0, file, "valve pocket radius rv1 must be positive");
    require(v.coneHeightMm >= 0 && v.pocketHeightMm >= 0, file, "pocket heights hk1 and hv1 must not be negative");
}

double specificGasConstant(double molarMassGPerMol)
{
    return molarMassGPerMol > 1e-5 ? 8.314 / (molarMassGPerMol * 0.001) : 287.0;
}

} // namespace euler
