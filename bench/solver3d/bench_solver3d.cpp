// Cell updates per second of the finite-volume solver (all stages of one
// step count as one update of a cell) on a box of about N hexahedra, walls
// all round, with a pressure pulse off the centre.
//
//   bench_solver3d --box N [--threads T] [--steps S] [--moving | --stretch] [--scheme rk3|rk2]
//       one line: box_cells=<n> threads=<t> steps=<s> seconds=<wall> cell_updates_per_second=<x>
//       cpu_seconds=<process CPU time> scheme=<rk3|rk2> motion=<static|nodes|stretch>
//       (S defaults to a few seconds' worth; --moving stretches the box
//       like a piston every step through node positions, --stretch the
//       same as an axial stretch, the chamber's cheap path)
//   bench_solver3d --sample [--threads T] [--steps S] [--scheme rk3|rk2]
//       one line: sample_cells=<n> threads=<t> steps=<s> seconds=<wall> cell_updates_per_second=<x> ...
//       join_share=<f> for the chamber and valve pockets of the sample case
//       Case680mm (2 + 2 valves, n1 10, n2 2, n3 6) from top dead centre,
//       its piston and valves at work; join_share is the part of the wall
//       time the pockets' join to the side wall took (its updates as the
//       mesh moves)
//   bench_solver3d --revolution [--threads T] [--scheme rk3|rk2]
//       one line: revolution_seconds=<wall> threads=<t> steps=<s> cpu_seconds=<c> scheme=<s>:
//       the whole run of euler.exe for one revolution of the sample case,
//       every result file written, in a temporary workspace
//   (--scheme: the box defaults to the core's SSP-RK3, the sample and the
//   revolution to the chamber runs' SSP-RK2)
//   bench_solver3d
//       the box of about 100,000 cells on one thread and on all threads,
//       and the speed-up; one thread moving by both paths, and SSP-RK2
//       still and stretching; the sample chamber on one thread and on all,
//       and the revolution on all threads.
#include "chamber/chamberrun.h"
#include "chamber/chambersimulation.h"
#include "fv/boxmesh.h"
#include "fv/parallel.h"
#include "fv/solver.h"
#include "io/caseinputs.h"

#include "formats/caselayout.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

using namespace euler::fv;

namespace {

enum class Motion { Static, Nodes, Stretch };
const char *const motionNames[] = {"static", "nodes", "stretch"};

struct Options
{
    long cells = 100000;
    int threads = 0; // 0: all
    long steps = 0;  // 0: a few seconds' worth
    Motion motion = Motion::Static;
    const SspScheme *scheme = nullptr; // null: the path's default
};

const char *schemeName(const SspScheme &scheme)
{
    return scheme.stages == 2 ? "rk2" : "rk3";
}

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double cpuSecondsSince(std::clock_t start)
{
    return double(std::clock() - start) / CLOCKS_PER_SEC;
}

// The top wall moves out and back like a piston, by a fifth of the height:
// every node's z scaled by the factor, given as node positions or as the
// factor of an axial stretch.
class Piston : public StepHooks
{
public:
    explicit Piston(const HexMesh &hex) : hex_(hex) {}
    static double factor(double t) { return 1 + 0.1 * (1 - std::cos(2 * M_PI * 50 * t)); }
    bool nodePositions(double t, NodePositions &nodes) override
    {
        const double scale = factor(t);
        for (Index n = 0; n < hex_.nodeCount(); ++n)
            nodes.z[n] = hex_.z[n] * scale;
        nodes.x = hex_.x;
        nodes.y = hex_.y;
        return true;
    }
    bool stretchFactor(double t, double &lambda) override
    {
        lambda = factor(t);
        return true;
    }

private:
    const HexMesh &hex_;
};

BoxSpec boxOf(long cells)
{
    // Twice as long as wide: nx = 2 n, ny = nz = n, 2 n^3 cells.
    const int n = std::max(1, static_cast<int>(std::lround(std::cbrt(cells / 2.0))));
    return {2 * n, n, n, 0.2, 0.1, 0.1};
}

struct Figures
{
    Options options;
    const char *scheme; // the one the solver ran
    long cells, steps;
    int threads;
    double seconds, cpuSeconds;
    double joinShare = -1; // of the seconds, where there is a join
};

Figures run(const Options &o)
{
    setThreadCount(o.threads > 0 ? o.threads : threadCount());
    const BoxSpec box = boxOf(o.cells);
    const HexMesh hex = boxMesh(box);
    Solver solver(hex, IdealGasEos(1.4, 287), o.scheme ? *o.scheme : sspRk3);
    const Geometry &g = solver.geometry();
    for (Index c = 0; c < solver.mesh().cellCount(); ++c) {
        const double r2 = std::pow(g.cellX[c] - 0.06, 2) + std::pow(g.cellY[c] - 0.04, 2) + std::pow(g.cellZ[c] - 0.05, 2);
        solver.setCellState(c, {1.16, 0, 0, 0, 1e5 * (1 + 3 * std::exp(-r2 / 4e-4))});
    }
    Piston piston(hex);
    StepHooks still;
    StepHooks &hooks = o.motion == Motion::Static ? still : static_cast<StepHooks &>(piston);
    if (o.motion == Motion::Stretch) {
        std::vector<Index> nodes(hex.nodeCount());
        for (Index n = 0; n < hex.nodeCount(); ++n)
            nodes[n] = n;
        solver.setAxialStretch(nodes, hex.z, 1.0);
    }
    double cpu = 0;
    auto advance = [&](long steps) {
        const auto start = Clock::now();
        const std::clock_t cpuStart = std::clock();
        for (long i = 0; i < steps; ++i)
            solver.step(solver.stableTimeStep(0.8), hooks);
        cpu = cpuSecondsSince(cpuStart);
        return secondsSince(start);
    };
    long steps = o.steps;
    if (steps <= 0) {
        const double one = advance(2) / 2;
        steps = std::max(5L, static_cast<long>(3.0 / one));
    }
    const double seconds = advance(steps);
    return {o, schemeName(solver.scheme()), solver.mesh().cellCount(), steps, threadCount(), seconds, cpu};
}

double print(const Figures &f, const char *mesh = "box")
{
    const double rate = double(f.cells) * f.steps / f.seconds;
    std::printf("%s_cells=%ld threads=%d steps=%ld seconds=%.3f cell_updates_per_second=%.0f cpu_seconds=%.3f "
                "scheme=%s motion=%s",
                mesh, f.cells, f.threads, f.steps, f.seconds, rate, f.cpuSeconds, f.scheme, motionNames[static_cast<int>(f.options.motion)]);
    if (f.joinShare >= 0)
        std::printf(" join_share=%.3f", f.joinShare);
    std::printf("\n");
    std::fflush(stdout);
    return rate;
}

// A workspace root with the sample case's inputs as the front end lays them
// down; the sample geometry maps the reference pocket mesh onto itself.
struct SampleWorkspace
{
    fs::path root;

    explicit SampleWorkspace(const std::string &phiMax)
    {
        namespace layout = formats::caselayout;
        root = fs::temp_directory_path() / ("bench_solver3d_" + std::to_string(std::time(nullptr)));
        fs::create_directories(root / layout::executingDirectory);
        const fs::path source = KALVEX_SOURCE_DIR;
        std::ifstream in(source / "data/samples/Case680mm_cylinder.txt", std::ios::binary);
        std::ofstream cylinder(root / layout::cylinderInput, std::ios::binary);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) // phiMax is line 42
            cylinder << (number == 42 ? phiMax : line) << "\n";
        fs::copy_file(source / "data/samples/Case680mm_valves.txt", root / layout::valveInput);
        fs::copy_file(source / "data" / layout::referenceMesh, root / "dP=680mm.msh");
        std::ofstream(root / layout::pocketMeshInput, std::ios::binary)
            << "Mesh file used for valve pockets:\ndP=680mm.msh\n\nGrid scaling factor (m/m)\n0.001\n";
    }
    ~SampleWorkspace()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Figures runSample(const Options &o)
{
    setThreadCount(o.threads > 0 ? o.threads : threadCount());
    const SampleWorkspace w("360.00000");
    const euler::CaseInputs in = euler::readCaseInputs(w.root);
    euler::chamber::ChamberSetup setup = euler::chamber::chamberSetup(in.cylinder, in.valves, &in.pocket, false);
    if (o.scheme)
        setup.scheme = *o.scheme;
    euler::chamber::ChamberSimulation sim(setup);
    const double degree = M_PI / 180 / sim.compressor().crank.omega();
    auto advance = [&](long steps) {
        const long until = sim.stepCount() + steps;
        const auto start = Clock::now();
        while (sim.stepCount() < until)
            sim.advanceTo(sim.time() + 0.01 * degree);
        return std::make_pair(secondsSince(start), sim.stepCount() - (until - steps));
    };
    long steps = o.steps;
    if (steps <= 0) {
        const auto [seconds, done] = advance(20);
        steps = std::max(20L, static_cast<long>(3.0 * done / seconds));
    }
    const std::clock_t cpuStart = std::clock();
    const double joinBefore = sim.joinSeconds();
    const auto [seconds, done] = advance(steps);
    Options shown = o;
    shown.motion = Motion::Stretch; // the chamber's piston
    return {shown, schemeName(sim.solver().scheme()), sim.solver().mesh().cellCount(), done, threadCount(), seconds, cpuSecondsSince(cpuStart),
            (sim.joinSeconds() - joinBefore) / seconds};
}

void runRevolution(const Options &o)
{
    const SampleWorkspace w("360.00000");
    euler::chamber::ChamberRunOptions options;
    options.echo = false;
    options.threads = o.threads > 0 ? o.threads : threadCount();
    options.scheme = o.scheme;
    const SspScheme used = o.scheme ? *o.scheme : euler::chamber::ChamberSetup{}.scheme;
    const auto start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    const euler::chamber::ChamberRunResult result = euler::chamber::runChamberCase(w.root, options);
    const double seconds = secondsSince(start);
    const double cpu = cpuSecondsSince(cpuStart);
    if (result.exitCode != 0) {
        std::fprintf(stderr, "the sample revolution failed: %s\n", result.message.c_str());
        std::exit(1);
    }
    // CPU time, of all threads, says how much a busy machine stretched the wall time.
    std::printf("revolution_seconds=%.1f threads=%d steps=%lld cpu_seconds=%.1f scheme=%s\n", seconds,
                options.threads, result.timeSteps, cpu, schemeName(used));
    std::fflush(stdout);
}

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: bench_solver3d [--box N [--threads T] [--steps S] [--moving | --stretch] "
                         "[--scheme rk3|rk2]]\n"
                         "       bench_solver3d --sample [--threads T] [--steps S] [--scheme rk3|rk2]\n"
                         "       bench_solver3d --revolution [--threads T] [--scheme rk3|rk2]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char **argv)
{
    preferPassiveWaiting(argv); // as euler.exe does
    if (argc == 1) {
        Options o;
        const int all = threadCount();
        o.threads = 1;
        const double one = print(run(o));
        o.threads = all;
        const double many = print(run(o));
        std::printf("speed_up=%.2f threads=%d\n", many / one, all);
        o.threads = 1;
        for (Motion m : {Motion::Nodes, Motion::Stretch}) {
            o.motion = m;
            print(run(o));
        }
        o.scheme = &sspRk2;
        for (Motion m : {Motion::Static, Motion::Stretch}) {
            o.motion = m;
            print(run(o));
        }
        o = Options{};
        o.threads = 1;
        const double sampleOne = print(runSample(o), "sample");
        o.threads = all;
        const double sampleMany = print(runSample(o), "sample");
        std::printf("sample_speed_up=%.2f threads=%d\n", sampleMany / sampleOne, all);
        o.threads = all;
        runRevolution(o);
        return 0;
    }
    Options o;
    bool box = false, sample = false, revolution = false;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (!std::strcmp(argv[i], "--box") && more)
            o.cells = std::atol(argv[++i]), box = true;
        else if (!std::strcmp(argv[i], "--sample"))
            sample = true;
        else if (!std::strcmp(argv[i], "--revolution"))
            revolution = true;
        else if (!std::strcmp(argv[i], "--threads") && more)
            o.threads = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--steps") && more)
            o.steps = std::atol(argv[++i]);
        else if (!std::strcmp(argv[i], "--moving"))
            o.motion = Motion::Nodes;
        else if (!std::strcmp(argv[i], "--stretch"))
            o.motion = Motion::Stretch;
        else if (!std::strcmp(argv[i], "--scheme") && more && !std::strcmp(argv[i + 1], "rk2"))
            o.scheme = &sspRk2, ++i;
        else if (!std::strcmp(argv[i], "--scheme") && more && !std::strcmp(argv[i + 1], "rk3"))
            o.scheme = &sspRk3, ++i;
        else
            usage();
    }
    if (box + sample + revolution != 1 || o.cells <= 0 || o.threads < 0 || o.steps < 0)
        usage();
    if (revolution)
        runRevolution(o);
    else if (sample)
        print(runSample(o), "sample");
    else
        print(run(o));
    return 0;
}
