#include "io/inputfiles.h"

#include "formats/caselayout.h"
#include "formats/gas.h"
#include "formats/inputrules.h"
#include "io/inputerror.h"
#include "io/numberformat.h"
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

    // The pocket angles of one kind of valve on one line; missing ones are 0.
    std::array<double, formats::inputrules::pocketAnglesPerKind> angles(size_t index, const char *what) const
    {
        const TextLine &l = line(index, what);
        std::array<double, formats::inputrules::pocketAnglesPerKind> values{};
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
    side.pocketAngleDeg = data.angles(first + 1, "pocket angle");
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

namespace rules = formats::inputrules;

std::string shown(double value)
{
    std::string text;
    appendNumber(text, value, 8);
    return text;
}

std::string requirement(const rules::Range &r)
{
    if (!r.hasHigh) {
        if (r.low == 0)
            return r.lowIncluded ? "must not be negative" : "must be positive";
        return (r.lowIncluded ? "must be at least " : "must be greater than ") + shown(r.low);
    }
    if (r.lowIncluded && r.highIncluded)
        return "must lie between " + shown(r.low) + " and " + shown(r.high);
    return std::string("must lie in ") + (r.lowIncluded ? "[" : "(") + shown(r.low) + ", " + shown(r.high)
           + (r.highIncluded ? "]" : ")");
}

void check(double value, const rules::Range &range, const std::string &what, const std::string &file)
{
    require(range.contains(value), file, what + " " + requirement(range) + ", not " + shown(value));
}

void validateSide(const ValveSideInput &s, const std::string &kind, const std::string &file)
{
    check(s.count, rules::valveCount, "number of " + kind + " valves", file);
    for (int k = 0; k < s.count; ++k)
        check(s.pocketAngleDeg[static_cast<size_t>(k)], rules::pocketAngle,
              kind + " valve " + std::to_string(k + 1) + ": pocket angle", file);
    const std::string valve = kind + " valve: ";
    check(s.maxLift, rules::maxLift, valve + "maximum lift", file);
    check(s.fe1mm, rules::fe1mm, valve + "fe1mm", file);
    check(s.alpha, rules::dischargeCoefficient, valve + "alpha", file);
    check(s.beta, rules::areaSaturation, valve + "beta", file);
    check(s.plateMass, rules::plateMass, valve + "plate mass", file);
    check(s.forceArea, rules::forceArea, valve + "force area", file);
    check(s.springStiffness, rules::springStiffness, valve + "spring stiffness", file);
    check(s.springInitialLength, rules::springInitialLength, valve + "spring initial length", file);
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
    require(name.size() <= formats::caselayout::longestName, file.string(),
            "case name is " + std::to_string(name.size()) + " bytes long, more than the "
                + std::to_string(formats::caselayout::longestName) + " a directory name can be");
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
    require(!tokens.empty() && parseReal(tokens.front(), p.scale), file.string(),
            "line 5: grid scaling factor is not a number: \"" + lines[4].text + "\"");
    check(p.scale, rules::meshScale, "line 5: grid scaling factor", file.string());
    return p;
}

void validate(const CylinderInput &c, const std::string &file)
{
    check(c.pistonDiameter, rules::pistonDiameter, "piston diameter", file);
    check(c.rodDiameter, rules::rodDiameter, "rod diameter", file);
    require(rules::rodFitsPiston(c.rodDiameter, c.pistonDiameter), file,
            "rod diameter must be smaller than the piston diameter");
    check(c.minimalGap, rules::minimalGap, "minimal gap z_min", file);
    check(c.crankRadius, rules::crankRadius, "crank radius", file);
    check(c.conrodLength, rules::conrodLength, "conrod length", file);
    require(rules::crankFitsConrod(c.crankRadius, c.conrodLength), file,
            "conrod length must exceed the crank radius");
    check(c.speedRpm, rules::crankSpeed, "crank shaft speed", file);
    check(c.gamma, rules::heatCapacityRatio, "gamma", file);
    check(c.suctionPressure, rules::suctionPressure, "suction pressure", file);
    check(c.dischargePressure, rules::dischargePressure, "discharge pressure", file);
    require(rules::dischargeAboveSuction(c.dischargePressure, c.suctionPressure), file,
            "discharge pressure " + shown(c.dischargePressure) + " must exceed the suction pressure "
                + shown(c.suctionPressure));
    check(c.suctionDensity, rules::suctionDensity, "suction density", file);
    check(c.n1, rules::cellsAlongPistonRadius, "n1", file);
    check(c.n2, rules::cellsAlongRodRadius, "n2", file);
    check(c.n3, rules::cellsInClearance, "n3", file);
    check(c.gradingPiston, rules::grading, "grading_P", file);
    check(c.gradingRod, rules::grading, "grading_R", file);
    check(c.courantNumber, rules::courantNumber, "Courant number", file);
    check(c.phiMax, rules::endAngle, "phiMax", file);
    check(c.molarMass, rules::molarMass, "molar mass", file);
    check(c.viscosity, rules::viscosity, "dynamic viscosity", file);
}

void validate(const ValveInput &v, const std::string &file)
{
    check(v.valveDiameter, rules::valveDiameter, "valve diameter", file);
    validateSide(v.suction, "suction", file);
    validateSide(v.discharge, "discharge", file);
    check(v.pocketRadiusMm, rules::pocketRadius, "valve pocket radius rv1", file);
    check(v.coneHeightMm, rules::coneHeight, "valve cone height hk1", file);
    check(v.pocketHeightMm, rules::pocketHeight, "valve pocket height hv1", file);
}

void validatePocket(const CylinderInput &c, const ValveInput &v, const std::string &file)
{
    const double pistonRadius = rules::pistonRadiusMm(c.pistonDiameter);
    switch (rules::pocketFit(pistonRadius, v.pocketRadiusMm, v.coneHeightMm, v.pocketHeightMm)) {
    case rules::PocketFit::Fits:
        return;
    case rules::PocketFit::WiderThanPiston:
        throw inputError(file, "valve pocket radius rv1 must be smaller than the piston radius "
                                   + shown(pistonRadius) + " mm");
    case rules::PocketFit::ConePastAxis:
        throw inputError(file, "valve cone height hk1 reaches past the cylinder axis");
    case rules::PocketFit::SeatInsideBore:
        throw inputError(file, "valve pocket height hv1 puts the valve seat inside the bore");
    }
}

double specificGasConstant(double molarMassGPerMol)
{
    return formats::gas::specificGasConstant(molarMassGPerMol);
}

} // namespace euler
