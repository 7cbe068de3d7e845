// Physics checks of the chamber model on short runs of the sample case.
#include "solvertestcase.h"

#include "lumped/cyclestats.h"
#include "io/inputerror.h"
#include "lumped/simulation.h"

#include <QtTest>

#include <cmath>

using namespace euler;
using namespace solvertest;

class TstSolverPhysics : public QObject
{
    Q_OBJECT

private slots:
    void valvesHeldShutKeepPVGammaConstant_data();
    void valvesHeldShutKeepPVGammaConstant();
    void massAndEnergyBalancesClose();
    void cycleBecomesPeriodic();
    void valveOpensWhenGasForceExceedsPreload_data();
    void valveOpensWhenGasForceExceedsPreload();
    void largeValvesApproachIdealCycle();
    void platesStayBetweenSeatAndGuard();
    void unphysicalStateStopsTheRun_data();
    void unphysicalStateStopsTheRun();
};

namespace {

double pvGamma(const Simulation &sim)
{
    const ChamberSnapshot s = sim.snapshot();
    return s.pressure * std::pow(s.volume, sim.model().gas.gamma);
}

// Advances by whole revolutions in Output.txt-sized pieces, as a run does.
void runRevolutions(Simulation &sim, int revolutions)
{
    const double start = sim.time();
    const double span = revolutionTime(sim.model(), revolutions);
    const int pieces = 3600 * revolutions;
    for (int i = 1; i <= pieces; ++i)
        sim.advanceTo(start + span * i / pieces);
}

std::vector<CycleResult> revolutionResults(Simulation &sim, int revolutions, double suctionDensity)
{
    std::vector<CycleResult> results;
    Totals start = totalsOf(sim);
    for (int r = 0; r < revolutions; ++r) {
        runRevolutions(sim, 1);
        const Totals now = totalsOf(sim);
        results.push_back(cycleBetween(sim.model(), suctionDensity, start, now, true));
        start = now;
    }
    return results;
}

} // namespace

void TstSolverPhysics::valvesHeldShutKeepPVGammaConstant_data()
{
    QTest::addColumn<double>("courant");
    QTest::newRow("Courant 0.5") << 0.5;
    QTest::newRow("Courant 2") << 2.0;
}

void TstSolverPhysics::valvesHeldShutKeepPVGammaConstant()
{
    QFETCH(double, courant);
    ChamberModel model = sampleModel();
    model.valvesHeldShut = true;
    Simulation sim(model, courant);
    const double start = pvGamma(sim);
    double worst = 0;
    sim.afterStep = [&](const Simulation &s) { worst = std::max(worst, std::fabs(pvGamma(s) / start - 1.0)); };
    runRevolutions(sim, 1);
    QVERIFY2(worst < 1e-6, qPrintable(QString::number(worst)));
    // The gas was compressed and expanded: the check was not trivial.
    QCOMPARE(sim.state().mass(), initialState(model).mass());
}

void TstSolverPhysics::massAndEnergyBalancesClose()
{
    Simulation sim(sampleModel(), 0.5);
    const ChamberState start = sim.state();
    runRevolutions(sim, 1);
    const ChamberState &end = sim.state();
    double massIn = 0, enthalpyIn = 0, throughput = 0, enthalpyThroughput = 0;
    for (size_t j = 0; j < sim.model().valves.size(); ++j) {
        const bool suction = sim.model().valves[j].kind == ValveKind::Suction;
        massIn += suction ? end.valveMass(j) : -end.valveMass(j);
        enthalpyIn += end.valveEnthalpy(j);
        throughput += std::fabs(end.valveMass(j));
        enthalpyThroughput += std::fabs(end.valveEnthalpy(j));
    }
    QVERIFY(throughput > 0.5); // about 1 kg per revolution
    const double massResidual = end.mass() - start.mass() - massIn;
    const double energyResidual = end.energy() - start.energy() - enthalpyIn + end.work();
    QVERIFY2(std::fabs(massResidual) <= 1e-9 * throughput, qPrintable(QString::number(massResidual)));
    QVERIFY2(std::fabs(energyResidual) <= 1e-9 * enthalpyThroughput, qPrintable(QString::number(energyResidual)));
}

void TstSolverPhysics::cycleBecomesPeriodic()
{
    Simulation sim(sampleModel(), 0.5);
    const std::vector<CycleResult> cycles = revolutionResults(sim, 3, sampleCylinder().suctionDensity);
    const CycleResult &last = cycles.back();
    QVERIFY(last.suctionMass > 0);
    QVERIFY2(std::fabs(last.suctionMass - last.dischargeMass) < 0.005 * last.suctionMass,
             qPrintable(QStringLiteral("%1 vs %2").arg(last.suctionMass).arg(last.dischargeMass)));
    QVERIFY(std::fabs(last.suctionMass - cycles[cycles.size() - 2].suctionMass) < 0.005 * last.suctionMass);
    // A compressor cycle: work is done on the gas, and it leaves hotter than it came.
    QVERIFY(last.workOnGas > 0);
    QVERIFY(last.dischargeTemperature > sim.model().discharge.temperature * 0.98);
}

void TstSolverPhysics::valveOpensWhenGasForceExceedsPreload_data()
{
    QTest::addColumn<int>("valve");
    QTest::newRow("suction valve 1") << 0;
    QTest::newRow("suction valve 2") << 1;
    QTest::newRow("discharge valve 1") << 2;
}

void TstSolverPhysics::valveOpensWhenGasForceExceedsPreload()
{
    QFETCH(int, valve);
    Simulation sim(sampleModel(), 0.5);
    const size_t j = static_cast<size_t>(valve);
    const ValvePlate plate = sim.model().valves[j].plate;
    long long forceStep = -1, openStep = -1;
    sim.afterStep = [&](const Simulation &s) {
        const ChamberSnapshot snap = s.snapshot();
        if (forceStep < 0 && plate.gasForce(snap.valves[j].pressureDrop) > plate.preload())
            forceStep = s.stepCount();
        if (openStep < 0 && s.state().lift(j) > 0)
            openStep = s.stepCount();
    };
    runRevolutions(sim, 1);
    QVERIFY(forceStep > 0);
    QVERIFY(openStep > 0);
    QVERIFY2(openStep - forceStep >= 0 && openStep - forceStep <= 1,
             qPrintable(QStringLiteral("force at step %1, open at step %2").arg(forceStep).arg(openStep)));
}

void TstSolverPhysics::largeValvesApproachIdealCycle()
{
    CylinderInput cylinder = sampleCylinder();
    cylinder.speedRpm = 33; // slow piston: throttling losses fall with the square of the speed
    cylinder.minimalGap = 0.02; // clearance without pockets, about 9 % of the swept volume
    ValveInput valves = sampleValves();
    for (ValveSideInput *side : {&valves.suction, &valves.discharge}) {
        side->fe1mm = 12;
        side->alpha = 1;
        side->beta = 0;
    }
    Simulation sim(makeChamberModel(cylinder, valves, 0.0), 0.5);
    const CycleResult cycle = revolutionResults(sim, 2, cylinder.suctionDensity).back();
    const IdealCycle ideal = idealCycle(sim.model());
    QVERIFY(ideal.volumetricEfficiency > 0.9 && ideal.volumetricEfficiency < 0.95);
    QVERIFY2(std::fabs(cycle.volumetricEfficiency / ideal.volumetricEfficiency - 1) < 0.02,
             qPrintable(QStringLiteral("%1 vs %2").arg(cycle.volumetricEfficiency).arg(ideal.volumetricEfficiency)));
    qInfo("volumetric efficiency %.5f (ideal %.5f), work %.1f J (ideal %.1f J)", cycle.volumetricEfficiency,
          ideal.volumetricEfficiency, cycle.workOnGas, ideal.work);
    QVERIFY2(std::fabs(cycle.workOnGas / ideal.work - 1) < 0.02,
             qPrintable(QStringLiteral("%1 vs %2").arg(cycle.workOnGas).arg(ideal.work)));
}

void TstSolverPhysics::platesStayBetweenSeatAndGuard()
{
    Simulation sim(sampleModel(), 0.5);
    double lowest = 1, highest = -1;
    bool guardReached = false;
    sim.afterStep = [&](const Simulation &s) {
        for (size_t j = 0; j < s.model().valves.size(); ++j) {
            const double lift = s.state().lift(j);
            lowest = std::min(lowest, lift);
            highest = std::max(highest, lift / s.model().valves[j].plate.maxLift);
            guardReached = guardReached || lift == s.model().valves[j].plate.maxLift;
        }
    };
    runRevolutions(sim, 1);
    // Discharge valves close a little after top dead centre.
    sim.advanceTo(sim.time() + revolutionTime(sim.model(), 0.25));
    QCOMPARE(lowest, 0.0);
    QVERIFY(highest <= 1.0);
    QVERIFY(guardReached);
    for (const ImpactRecord &impact : sim.impacts()) {
        QVERIFY(impact.seat > 0);
        QVERIFY(impact.guard > 0);
    }
}

void TstSolverPhysics::unphysicalStateStopsTheRun_data()
{
    QTest::addColumn<double>("pressure");
    QTest::addColumn<double>("temperature");
    QTest::addColumn<bool>("stops");
    QTest::newRow("physical") << 2e6 << 300.0 << false;
    QTest::newRow("negative pressure") << -1.0 << 300.0 << true;
    QTest::newRow("NaN temperature") << 2e6 << std::nan("") << true;
    QTest::newRow("zero temperature") << 2e6 << 0.0 << true;
}

void TstSolverPhysics::unphysicalStateStopsTheRun()
{
    QFETCH(double, pressure);
    QFETCH(double, temperature);
    QFETCH(bool, stops);
    ChamberSnapshot snapshot;
    snapshot.phi = M_PI / 2;
    snapshot.pressure = pressure;
    snapshot.temperature = temperature;
    snapshot.density = 14;
    try {
        requirePhysicalState(snapshot);
        QVERIFY(!stops);
    } catch (const RunError &error) {
        QVERIFY(stops);
        QCOMPARE(error.exitCode(), 3);
        QVERIFY(QByteArray(error.what()).contains("crank angle 90"));
    }
}

QTEST_GUILESS_MAIN(TstSolverPhysics)
#include "tst_solverphysics.moc"
