// Prints the wall time of one crank revolution (phiMax 360) of the sample
// case Case680mm: the full run with every result file, and the same run
// without the per-degree surface files, for comparison. Target: < 0.5 s.
#include "lumped/runcase.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeAll(const fs::path &file, const std::string &text)
{
    std::ofstream(file, std::ios::binary) << text;
}

// The sample cylinder file with phiMax (line 42) set to one revolution.
std::string oneRevolution(const std::string &cylinder)
{
    std::istringstream in(cylinder);
    std::string line, out;
    for (int number = 1; std::getline(in, line); ++number)
        out += (number == 42 ? std::string("360.00000") : line) + "\n";
    return out;
}

struct Timing
{
    double wall = 1e9; // s
    double cpu = 1e9;  // s of this process, less sensitive to a busy machine
};

void measure(const fs::path &root, euler::RunOptions options, Timing &best)
{
    options.echo = false;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    const euler::RunResult result = euler::runLumpedCase(root, options);
    const std::clock_t cpuEnd = std::clock();
    const auto end = std::chrono::steady_clock::now();
    if (result.exitCode != 0) {
        std::fprintf(stderr, "run failed: %s\n", result.message.c_str());
        std::exit(1);
    }
    best.wall = std::min(best.wall, std::chrono::duration<double>(end - start).count());
    best.cpu = std::min(best.cpu, double(cpuEnd - cpuStart) / CLOCKS_PER_SEC);
}

} // namespace

int main()
{
    const fs::path root = fs::temp_directory_path() / ("bench_solver_" + std::to_string(::getpid()));
    fs::create_directories(root / "ExecutingFiles");
    writeAll(root / "InputCylinder.txt", oneRevolution(readAll(fs::path(KALVEX_SAMPLES_DIR) / "Case680mm_cylinder.txt")));
    fs::copy_file(fs::path(KALVEX_SAMPLES_DIR) / "Case680mm_valves.txt", root / "InputValves.txt");
    fs::copy_file(KALVEX_POCKET_MESH, root / "dP=680mm.msh");
    writeAll(root / "InputPocketMesh.txt", "Mesh file used for valve pockets:\ndP=680mm.msh\n\nGrid scaling factor (m/m)\n0.001\n");

    euler::RunOptions withoutSurfaces;
    withoutSurfaces.writeSurfaces = false;
    Timing full, lumped;
    for (int repeat = 0; repeat < 3; ++repeat) {
        measure(root, {}, full);
        measure(root, withoutSurfaces, lumped);
    }
    std::printf("One crank revolution of Case680mm (best of 3), wall / CPU time:\n");
    std::printf("  with all result files        %.3f s / %.3f s (target < 0.5 s)\n", full.wall, full.cpu);
    std::printf("  without head/piston/side     %.3f s / %.3f s\n", lumped.wall, lumped.cpu);
    fs::remove_all(root);
    return 0;
}
