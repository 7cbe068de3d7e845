// Verification of the finite-volume solver on channels and boxes: the shock
// tube against the exact Riemann solution, the convergence order on a smooth
// acoustic wave, free-stream preservation and the geometric conservation law
// on moving meshes, exact balances with a moving piston and with prescribed
// exchange flows, thread-count independence, and the stop on an unphysical
// state.
#include "exactriemann.h"
#include "fvtestmeshes.h"

#include "fv/parallel.h"

#include <QRandomGenerator>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

// Counts the allocations through operator new while `counting` is set.
namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
} // namespace

void *operator new(std::size_t size)
{
    if (counting)
        ++allocations;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

using namespace euler::fv;

class TstFvVerification : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { fvtest::trapFloatingPoint(); }
    void sodShockTube_data();
    void sodShockTube();
    void acousticWaveConvergesAtSecondOrder_data();
    void acousticWaveConvergesAtSecondOrder();
    void uniformGasStaysUniformOnStretchingMesh();
    void pistonBoxConservesMassAndBalancesEnergy_data();
    void pistonBoxConservesMassAndBalancesEnergy();
    void exchangeFacesAddTheirMassAndEnthalpy();
    void resultsDoNotDependOnThreadsOrVectorWidth_data();
    void resultsDoNotDependOnThreadsOrVectorWidth();
    void threadsFollowTheMeshSize_data();
    void threadsFollowTheMeshSize();
    void stepsAllocateNothing_data();
    void stepsAllocateNothing();
    void unphysicalStateStopsWithTimeAndCell();
};

namespace {

// Runs to tEnd with the Courant number, the last step cut to land on it.
void runTo(Solver &solver, double tEnd, double courant, StepHooks &hooks)
{
    while (solver.time() < tEnd) {
        double dt = solver.stableTimeStep(courant);
        if (solver.time() + dt > tEnd * (1 - 1e-12))
            dt = tEnd - solver.time();
        solver.step(dt, hooks);
    }
}

struct SodResult
{
    double l1 = 0, dx = 0, shock = 0, contact = 0;
};

SodResult sod(int cells, const SspScheme &scheme)
{
    const double gamma = 1.4, tEnd = 0.2;
    Solver solver(boxMesh({cells, 1, 1, 1.0, 0.05, 0.05}), IdealGasEos(gamma, 287), scheme);
    const Geometry &g = solver.geometry();
    for (Index c = 0; c < cells; ++c)
        solver.setCellState(c, g.cellX[c] < 0.5 ? PointState{1, 0, 0, 0, 1} : PointState{0.125, 0, 0, 0, 0.1});
    StepHooks still;
    runTo(solver, tEnd, 0.8, still);

    const ExactRiemann exact({1, 0, 1}, {0.125, 0, 0.1}, gamma);
    SodResult r;
    r.dx = 1.0 / cells;
    const auto &rho = solver.primitives()[Rho];
    for (Index c = 0; c < cells; ++c) {
        // The exact cell average from sub-cell samples.
        double mean = 0;
        for (int k = 0; k < 16; ++k)
            mean += exact.sample((g.cellX[c] - 0.5 * r.dx + (k + 0.5) * r.dx / 16 - 0.5) / tEnd).rho / 16;
        r.l1 += std::fabs(rho[c] - mean) * r.dx;
    }
    // Where the density crosses the mid-values of the shock and the contact,
    // searched from the right.
    const double shockMid = 0.5 * (exact.starDensityRight() + 0.125);
    const double contactMid = 0.5 * (exact.starDensityLeft() + exact.starDensityRight());
    auto crossing = [&](double level) {
        for (Index c = cells - 1; c > 0; --c)
            if (rho[c - 1] >= level && rho[c] < level)
                return g.cellX[c - 1] + (rho[c - 1] - level) / (rho[c - 1] - rho[c]) * r.dx;
        return -1.0;
    };
    r.shock = crossing(shockMid) - (0.5 + exact.rightShockSpeed() * tEnd);
    r.contact = crossing(contactMid) - (0.5 + exact.starVelocity() * tEnd);
    return r;
}

// Both schemes the solver offers, by name.
void addSchemeRows()
{
    QTest::addColumn<bool>("rk3");
    QTest::newRow("SSP-RK3") << true;
    QTest::newRow("SSP-RK2") << false;
}

} // namespace

void TstFvVerification::sodShockTube_data() { addSchemeRows(); }

void TstFvVerification::sodShockTube()
{
    QFETCH(bool, rk3);
    const SspScheme &scheme = rk3 ? sspRk3 : sspRk2;
    const SodResult runs[3] = {sod(200, scheme), sod(400, scheme), sod(800, scheme)};
    for (const SodResult &r : runs) {
        QVERIFY2(std::fabs(r.shock) < 2 * r.dx, qPrintable(QString("shock off by %1").arg(r.shock)));
        QVERIFY2(std::fabs(r.contact) < 2 * r.dx, qPrintable(QString("contact off by %1").arg(r.contact)));
    }
    for (int i = 0; i < 2; ++i) {
        const double order = std::log2(runs[i].l1 / runs[i + 1].l1);
        qInfo("Sod L1 density error %.3e -> %.3e: order %.2f", runs[i].l1, runs[i + 1].l1, order);
        QVERIFY(order >= 0.8);
    }
}

namespace {

// A standing acoustic wave in a closed channel of length 1,
//     p' = eps p0 cos(k x) cos(a k t),  u' = eps p0 / (rho a) sin(k x) sin(a k t),
// k = 2 pi, at 0.6 periods (where neither part vanishes); the L1 error of
// p' and rho a u' relative to eps p0.
double acousticError(int cells, const SspScheme &scheme)
{
    const IdealGasEos eos = fvtest::air();
    const PointState rest = fvtest::restingAir();
    const double eps = 1e-5, k = 2 * M_PI, a = std::sqrt(eos.gamma * rest.p / rest.rho);
    Solver solver(boxMesh({cells, 1, 1, 1.0, 1.0, 1.0}), eos, scheme);
    const Geometry &g = solver.geometry();
    const double dx = 1.0 / cells;
    // Exact cell average of cos(k x).
    auto meanCos = [&](Index c) {
        const double x0 = g.cellX[c] - 0.5 * dx, x1 = x0 + dx;
        return (std::sin(k * x1) - std::sin(k * x0)) / (k * dx);
    };
    for (Index c = 0; c < cells; ++c) {
        const double dp = eps * rest.p * meanCos(c);
        // Isentropic: rho' = p' / a^2.
        solver.setCellState(c, {rest.rho + dp / (a * a), 0, 0, 0, rest.p + dp});
    }
    StepHooks still;
    const double tEnd = 0.6 * 2 * M_PI / (a * k), phase = a * k * tEnd;
    runTo(solver, tEnd, 0.8, still);
    // Exact cell average of sin(k x).
    auto meanSin = [&](Index c) {
        const double x0 = g.cellX[c] - 0.5 * dx, x1 = x0 + dx;
        return (std::cos(k * x0) - std::cos(k * x1)) / (k * dx);
    };
    const PrimitiveFields &w = solver.primitives();
    double l1 = 0;
    for (Index c = 0; c < cells; ++c) {
        const double dp = w[Pressure][c] - rest.p * (1 + eps * meanCos(c) * std::cos(phase));
        const double du = rest.rho * a * w[VelocityX][c] - eps * rest.p * meanSin(c) * std::sin(phase);
        l1 += (std::fabs(dp) + std::fabs(du)) * dx;
    }
    return l1 / (eps * rest.p);
}

} // namespace

void TstFvVerification::acousticWaveConvergesAtSecondOrder_data() { addSchemeRows(); }

void TstFvVerification::acousticWaveConvergesAtSecondOrder()
{
    QFETCH(bool, rk3);
    const SspScheme &scheme = rk3 ? sspRk3 : sspRk2;
    const double e[3] = {acousticError(16, scheme), acousticError(32, scheme), acousticError(64, scheme)};
    for (int i = 0; i < 2; ++i) {
        const double order = std::log2(e[i] / e[i + 1]);
        qInfo("acoustic L1 error %.3e -> %.3e: order %.2f", e[i], e[i + 1], order);
        QVERIFY(order >= 1.8);
    }
}

namespace {

// Checks after every stage and step that the discrete volumes are the
// geometric ones; integrates piston work when asked.
class VolumeWatch : public fvtest::MovingMesh
{
public:
    using MovingMesh::MovingMesh;
    std::vector<Index> piston;
    double worstVolume = 0;

    void beforeFluxes(const StageInfo &, Solver &solver) override { watch(solver); }
    void scalarRates(const StageInfo &, const Solver &solver, const double *, double *rates) override
    {
        if (!piston.empty())
            rates[0] = solver.faceSetFlux(piston, Energy);
    }
    void watch(const Solver &solver)
    {
        const std::vector<double> &v = solver.volumes(), &geometric = solver.geometry().volume;
        for (std::size_t c = 0; c < v.size(); ++c)
            worstVolume = std::max(worstVolume, std::fabs(v[c] / geometric[c] - 1));
    }
};

} // namespace

void TstFvVerification::uniformGasStaysUniformOnStretchingMesh()
{
    const BoxSpec box{5, 4, 8, 0.03, 0.02, 0.04};
    HexMesh hex = fvtest::distortedBox(box, 0.2);
    Solver solver(hex, fvtest::air());
    solver.setUniformState(fvtest::restingAir());
    const double dt = solver.stableTimeStep(0.8);
    // The interior nodes move through a whole stretch and back in 1000 steps.
    VolumeWatch hooks(hex, fvtest::interiorStretch(box, 0.2, 2 * M_PI / (1000 * dt)));
    for (int i = 0; i < 1000; ++i) {
        solver.step(dt, hooks);
        hooks.watch(solver);
    }
    const double deviation = fvtest::maxRelativeDeviation(solver, fvtest::restingAir());
    QVERIFY2(deviation < 1e-12, qPrintable(QString::number(deviation)));
    QVERIFY2(hooks.worstVolume < 1e-13, qPrintable(QString::number(hooks.worstVolume)));
}

void TstFvVerification::pistonBoxConservesMassAndBalancesEnergy_data()
{
    QTest::addColumn<bool>("rk3");
    QTest::newRow("SSP-RK3") << true;
    QTest::newRow("SSP-RK2") << false;
}

void TstFvVerification::pistonBoxConservesMassAndBalancesEnergy()
{
    QFETCH(bool, rk3);
    const BoxSpec box{4, 4, 6, 0.02, 0.02, 0.03};
    HexMesh hex = fvtest::distortedBox(box, 0.25);
    Solver solver(hex, fvtest::air(), rk3 ? sspRk3 : sspRk2);
    // A random smooth state.
    QRandomGenerator random(11);
    double phase[5];
    for (double &p : phase)
        p = 2 * M_PI * random.generateDouble();
    const PointState rest = fvtest::restingAir();
    const Geometry &g = solver.geometry();
    for (Index c = 0; c < solver.mesh().cellCount(); ++c) {
        const double x = g.cellX[c] / box.lx, y = g.cellY[c] / box.ly, z = g.cellZ[c] / box.lz;
        solver.setCellState(c, {rest.rho * (1 + 0.2 * std::sin(2 * M_PI * x + phase[0])),
                                30 * std::sin(2 * M_PI * y + phase[1]), 20 * std::cos(2 * M_PI * z + phase[2]),
                                25 * std::sin(2 * M_PI * (x + z) + phase[3]),
                                rest.p * (1 + 0.3 * std::cos(2 * M_PI * (y - z) + phase[4]))});
    }
    const Totals start = solver.totals();
    const double dt = solver.stableTimeStep(0.6);
    // The top wall moves out by half the box height and back over 400 steps.
    VolumeWatch hooks(hex, fvtest::pistonStretch(0.25, 2 * M_PI / (400 * dt)));
    hooks.piston = solver.mesh().patchFaces("zmax");
    solver.scalars() = {0.0};
    for (int i = 0; i < 300; ++i) {
        solver.step(dt, hooks);
        hooks.watch(solver);
    }
    const Totals end = solver.totals();
    const double work = solver.scalars()[0];
    QVERIFY(std::fabs(work) > 1e-3 * start.energy); // the piston did work
    QVERIFY2(std::fabs(end.mass / start.mass - 1) < 1e-12, qPrintable(QString::number(end.mass / start.mass - 1)));
    const double energyBalance = (end.energy + work - start.energy) / start.energy;
    QVERIFY2(std::fabs(energyBalance) < 1e-12, qPrintable(QString::number(energyBalance)));
    QVERIFY2(hooks.worstVolume < 1e-13, qPrintable(QString::number(hooks.worstVolume)));
    QVERIFY(std::fabs(end.volume / (box.lx * box.ly * box.lz * (1 + 0.25 * (1 - std::cos(2 * M_PI * 300 / 400)))) - 1)
            < 1e-12);
}

namespace {

// Gas enters through a set of faces, at a fixed rate
// shared by area, with the total enthalpy h0 and 20 m/s normal to the wall;
// scalars 0 and 1 integrate the mass and enthalpy that entered.
class Inflow : public StepHooks
{
public:
    Inflow(std::vector<Index> faces, double massFlow, double h0) : faces_(std::move(faces)), mdot_(massFlow), h0_(h0) {}

    void beforeFluxes(const StageInfo &, Solver &solver) override { solver.shareExchange(faces_, mdot_, h0_, 20); }
    void scalarRates(const StageInfo &, const Solver &solver, const double *, double *rates) override
    {
        rates[0] = -solver.faceSetFlux(faces_, Density);
        rates[1] = -solver.faceSetFlux(faces_, Energy);
    }

private:
    std::vector<Index> faces_;
    double mdot_, h0_;
};

} // namespace

void TstFvVerification::exchangeFacesAddTheirMassAndEnthalpy()
{
    Solver solver(boxMesh({6, 4, 4, 0.06, 0.04, 0.04}), fvtest::air());
    const PointState rest = fvtest::restingAir();
    solver.setUniformState(rest);
    const std::vector<Index> wall = solver.mesh().patchFaces("xmin");
    // The middle half of the wall in y, symmetric about the box's mid-plane.
    std::vector<Index> open;
    for (Index f : wall)
        if (std::fabs(solver.geometry().centreY[f] - 0.02) < 0.01)
            open.push_back(f);
    QCOMPARE(open.size(), std::size_t(8));
    solver.setBoundaryKind(open, BoundaryKind::Exchange);
    const double cp = 1.4 * 287 / 0.4, h0 = 1.2 * cp * 300;
    const double massFlow = 0.02; // kg/s
    Inflow hooks(open, massFlow, h0);
    solver.scalars() = {0.0, 0.0};
    const Totals start = solver.totals();
    const double dt = solver.stableTimeStep(0.8);
    for (int i = 0; i < 200; ++i)
        solver.step(dt, hooks);
    const Totals end = solver.totals();
    const double mass = solver.scalars()[0], enthalpy = solver.scalars()[1];
    QVERIFY(std::fabs(mass / (massFlow * 200 * dt) - 1) < 1e-12);
    QVERIFY(std::fabs(enthalpy / (massFlow * h0 * 200 * dt) - 1) < 1e-12);
    QVERIFY(std::fabs((end.mass - start.mass - mass) / start.mass) < 1e-13);
    QVERIFY(std::fabs((end.energy - start.energy - enthalpy) / start.energy) < 1e-13);
    // The jets push the gas along +x, away from the open wall.
    QVERIFY(end.momentum[0] > 0);
    QVERIFY(std::fabs(end.momentum[1]) < 1e-6 * end.momentum[0]);
}

namespace {

QByteArray stateBytes(const Solver &solver)
{
    QByteArray bytes;
    for (const auto &v : solver.integrated().v)
        bytes.append(reinterpret_cast<const char *>(v.data()), int(v.size() * sizeof(double)));
    for (const double *v : {solver.volumes().data(), solver.geometry().volume.data()})
        bytes.append(reinterpret_cast<const char *>(v), int(solver.mesh().cellCount() * sizeof(double)));
    return bytes;
}

// Every node's z scaled by 1 + a (1 - cos(omega t)), as node positions or,
// with `stretch`, as the factor of an axial stretch.
fvtest::AxialMotion pistonMotion(const HexMesh &hex, double amplitude, double omega)
{
    std::vector<Index> nodes(hex.nodeCount());
    for (Index n = 0; n < hex.nodeCount(); ++n)
        nodes[n] = n;
    return fvtest::AxialMotion(hex, nodes, hex.z, [=](double t) { return 1 + amplitude * (1 - std::cos(omega * t)); });
}

QByteArray pulseOnMovingBox(int threads, bool stretch)
{
    setThreadCount(threads);
    const BoxSpec box{8, 6, 10, 0.04, 0.03, 0.05};
    HexMesh hex = fvtest::distortedBox(box, 0.2);
    Solver solver(hex, fvtest::air());
    const PointState rest = fvtest::restingAir();
    const Geometry &g = solver.geometry();
    for (Index c = 0; c < solver.mesh().cellCount(); ++c) {
        const double r2 = std::pow(g.cellX[c] - 0.01, 2) + std::pow(g.cellY[c] - 0.015, 2) + std::pow(g.cellZ[c] - 0.02, 2);
        PointState s = rest;
        s.p *= 1 + 2 * std::exp(-r2 / 1e-4);
        solver.setCellState(c, s);
    }
    fvtest::AxialMotion hooks = pistonMotion(hex, 0.3, 2000);
    if (stretch)
        solver.setAxialStretch(hooks.nodes(), hooks.zeta(), 1.0);
    for (int i = 0; i < 20; ++i)
        solver.step(solver.stableTimeStep(0.8), hooks);
    return stateBytes(solver);
}

} // namespace

void TstFvVerification::resultsDoNotDependOnThreadsOrVectorWidth_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<bool>("wide");    // four-wide loops where the processor has AVX2
    QTest::addColumn<bool>("stretch"); // the motion as an axial stretch
    QTest::newRow("2 threads") << 2 << true << false;
    QTest::newRow("3 threads") << 3 << true << false;
    QTest::newRow("1 thread, two-wide loops") << 1 << false << false;
    QTest::newRow("3 threads, two-wide loops") << 3 << false << false;
    QTest::newRow("stretch, 2 threads") << 2 << true << true;
    QTest::newRow("stretch, 3 threads, two-wide loops") << 3 << false << true;
}

// Against one thread with the widest loops the processor has.
void TstFvVerification::resultsDoNotDependOnThreadsOrVectorWidth()
{
    QFETCH(int, threads);
    QFETCH(bool, wide);
    QFETCH(bool, stretch);
    const int before = threadCount();
    setWideVectors(true);
    const QByteArray reference = pulseOnMovingBox(1, stretch);
    setWideVectors(wide);
    const QByteArray other = pulseOnMovingBox(threads, stretch);
    setWideVectors(true);
    setThreadCount(before);
    QVERIFY(!reference.isEmpty());
    QVERIFY(reference == other);
}

// Without OMP_NUM_THREADS a mesh gets a thread per parallelFrom cells,
// within one and what OpenMP offers; with it, what it says.
void TstFvVerification::threadsFollowTheMeshSize_data()
{
    QTest::addColumn<long>("cells");
    QTest::addColumn<int>("fromSize");
    QTest::newRow("none") << 0L << 1;
    QTest::newRow("below one share") << long(parallelFrom - 1) << 1;
    QTest::newRow("two shares") << long(2 * parallelFrom) << 2;
    QTest::newRow("a million") << 1000000L << 1000000 / parallelFrom;
}

void TstFvVerification::threadsFollowTheMeshSize()
{
    QFETCH(long, cells);
    QFETCH(int, fromSize);
    const QByteArray saved = qgetenv("OMP_NUM_THREADS");
    const bool wasSet = qEnvironmentVariableIsSet("OMP_NUM_THREADS");
    const int threads = threadCount();
    qunsetenv("OMP_NUM_THREADS");
    setThreadCount(2);
    QCOMPARE(threadsForCells(cells), std::min(fromSize, 2));
    qputenv("OMP_NUM_THREADS", "2");
    QCOMPARE(threadsForCells(cells), 2);
    if (wasSet)
        qputenv("OMP_NUM_THREADS", saved);
    else
        qunsetenv("OMP_NUM_THREADS");
    setThreadCount(threads);
}

void TstFvVerification::stepsAllocateNothing_data()
{
    QTest::addColumn<bool>("stretch");
    QTest::newRow("node positions") << false;
    QTest::newRow("axial stretch") << true;
}

// A moving mesh, exchange faces and coupled scalars: once running, a step
// allocates nothing.
void TstFvVerification::stepsAllocateNothing()
{
    QFETCH(bool, stretch);
    const BoxSpec box{6, 5, 4, 0.06, 0.05, 0.04};
    const HexMesh hex = fvtest::distortedBox(box, 0.2);
    Solver solver(hex, fvtest::air());
    solver.setUniformState(fvtest::restingAir());
    const std::vector<Index> open = solver.mesh().patchFaces("xmin");
    solver.setBoundaryKind(open, BoundaryKind::Exchange);
    solver.scalars() = {0.0, 0.0};
    class Hooks : public Inflow
    {
    public:
        Hooks(const HexMesh &hex, std::vector<Index> faces)
            : Inflow(std::move(faces), 0.01, 3e5), moving(pistonMotion(hex, 0.2, 500)) {}
        bool nodePositions(double t, NodePositions &nodes) override { return moving.nodePositions(t, nodes); }
        bool stretchFactor(double t, double &lambda) override { return moving.stretchFactor(t, lambda); }
        fvtest::AxialMotion moving;
    } hooks(hex, open);
    if (stretch)
        solver.setAxialStretch(hooks.moving.nodes(), hooks.moving.zeta(), 1.0);
    const double dt = solver.stableTimeStep(0.5);
    solver.step(dt, hooks);
    allocations = 0;
    counting = true;
    for (int i = 0; i < 5; ++i)
        solver.step(dt, hooks);
    counting = false;
    QCOMPARE(allocations.load(), 0L);
}

namespace {

// Draws far more gas through one exchange face than its cell holds.
class Drain : public StepHooks
{
public:
    explicit Drain(Index face) : face_(face) {}
    void beforeFluxes(const StageInfo &, Solver &solver) override { solver.exchangeInput(face_).massInflow = -1e3; }

private:
    Index face_;
};

} // namespace

void TstFvVerification::unphysicalStateStopsWithTimeAndCell()
{
    Solver solver(boxMesh({5, 1, 1, 0.05, 0.01, 0.01}), fvtest::air());
    solver.setUniformState(fvtest::restingAir());
    solver.setTime(0.25);
    const Index face = solver.mesh().patch("xmax")->start;
    solver.setBoundaryKind(std::vector<Index>{face}, BoundaryKind::Exchange);
    Drain hooks(face);
    const double dt = solver.stableTimeStep(0.5);
    try {
        solver.step(dt, hooks);
        QFAIL("the step went through");
    } catch (const NonPhysicalState &e) {
        QCOMPARE(e.cell(), 4);
        // Found at the start of the second stage, evaluated at t + dt.
        QCOMPARE(e.time(), 0.25 + dt);
        QVERIFY2(QString(e.what()).contains("in cell 4"), e.what());
    }
}

QTEST_APPLESS_MAIN(TstFvVerification)
#include "tst_fvverification.moc"
