#pragma once

#include <array>
#include <cstddef>
#include <string>

// Where the files of a calculation lie. One root directory holds the program
// directory, the reference pocket mesh, the inputs of the latest run and one
// directory per case; the front end lays them down, the solver reads them
// from the root and writes its results into the case directory.
namespace formats::caselayout {

// The program directory in the root: the front end, the solver and the
// plotting program run there.
inline constexpr char executingDirectory[] = "ExecutingFiles";
inline constexpr char solverProgram[] = "euler.exe";

// The longest name of a case directory or a mesh file, in bytes of UTF-8:
// what common file systems take for one name.
inline constexpr std::size_t longestName = 255;

// The solver's inputs, in the root for the run and again in the case
// directory as the case's record, in the order they are written.
inline constexpr char cylinderInput[] = "InputCylinder.txt";
inline constexpr char valveInput[] = "InputValves.txt";
inline constexpr char pocketMeshInput[] = "InputPocketMesh.txt";
inline constexpr std::array<const char *, 3> inputFiles{cylinderInput, valveInput, pocketMeshInput};

// The shipped pocket mesh in the root, mapped onto every case's geometry.
inline constexpr char referenceMesh[] = "reference_valve_pocket.msh";

// The solver's results in the case directory besides the surface files.
inline constexpr char historyFile[] = "Output.txt";
inline constexpr char summaryFile[] = "Summary.txt";

// The surfaces with a result file per output step, each in its own
// subdirectory of the case directory, which also names its files.
enum class Surface { Head, Piston, Side };
inline constexpr std::array<Surface, 3> surfaces{Surface::Head, Surface::Piston, Surface::Side};

constexpr const char *surfaceName(Surface surface)
{
    switch (surface) {
    case Surface::Head:
        return "head";
    case Surface::Piston:
        return "piston";
    case Surface::Side:
        break;
    }
    return "side";
}

// Output step k (1 to N, N = phiMax truncated) in file names: at least three
// digits, zero-padded: "007", "042", "1000".
inline constexpr std::size_t stepNumberDigits = 3;

inline std::string stepNumber(int step)
{
    std::string digits = std::to_string(step);
    if (digits.size() < stepNumberDigits)
        digits.insert(0, stepNumberDigits - digits.size(), '0');
    return digits;
}

// "head007.txt" in the subdirectory "head".
inline std::string resultFileName(Surface surface, int step)
{
    return surfaceName(surface) + stepNumber(step) + ".txt";
}

} // namespace formats::caselayout
