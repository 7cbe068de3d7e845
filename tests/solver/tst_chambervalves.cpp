// The 3D chamber's valves: the seat faces they open, the state they see, and
// the exchange they prescribe.
#include "chambertestcase.h"

#include "chamber/chambervalves.h"
#include "io/pocketmesh.h"
#include "fv/parallel.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <set>

using namespace euler;
using namespace euler::chamber;
using namespace chambertest;

class TstChamberValves : public QObject
{
    Q_OBJECT

private slots:
    void openAreaIsTheSeat_data();
    void openAreaIsTheSeat();
    void approachStateCountsMotionTowardsTheWall_data();
    void approachStateCountsMotionTowardsTheWall();
    void eachSeatFacePassesWhatItsPressureDrives();
    void exchangeLimitDampsItsMode_data();
    void exchangeLimitDampsItsMode();
};

namespace {

// The area of the coarse pocket's valve_seat quads: each flat, half the
// cross product of its diagonals.
double seatArea()
{
    const fv::HexMesh &h = coarsePocket().hex;
    double sum = 0;
    for (const fv::HexMesh::BoundaryQuad &q : h.boundary) {
        if (q.patch != ValveSeat)
            continue;
        const auto at = [&](int k) {
            const Index n = q.nodes[size_t(k)];
            return Vec3{h.x[n], h.y[n], h.z[n]};
        };
        sum += 0.5 * std::sqrt(dot(cross(at(2) - at(0), at(3) - at(1)), cross(at(2) - at(0), at(3) - at(1))));
    }
    return sum;
}

// What one step of the scheme multiplies a mode y' = -lambda y by, for
// z = lambda dt, from its Shu-Osher stages.
double amplification(const fv::SspScheme &scheme, double z)
{
    double y = 1;
    for (int k = 0; k < scheme.stages; ++k)
        y = scheme.stage[k].a + scheme.stage[k].b * (y - z * y);
    return y;
}

} // namespace

void TstChamberValves::openAreaIsTheSeat_data()
{
    QTest::addColumn<double>("deg");
    QTest::newRow("top dead centre") << 0.0;
    QTest::newRow("40 deg") << 40.0;
    QTest::newRow("100 deg, piston beyond the opening") << 100.0;
}

// Each valve opens over the seat of its own pocket, whatever the piston's
// position: its faces are the valve_seat faces of the cells of its pocket,
// their areas add up to the seat's, and no face belongs to two valves.
void TstChamberValves::openAreaIsTheSeat()
{
    QFETCH(double, deg);
    fv::setThreadCount(1);
    ChamberSimulation sim(sampleSetup(3, 1, 1, true));
    sim.advanceTo(timeAt(sim, deg));
    sim.historyInstant(); // evaluates the valves now
    const double expected = seatArea();
    QVERIFY(expected > 0);
    std::set<Index> seen;
    for (size_t j = 0; j < sim.valves().count(); ++j) {
        const ValveOpening &o = sim.valves().openings()[j];
        QVERIFY2(std::fabs(o.totalOpenArea / expected - 1) < 1e-12,
                 qPrintable(QString::number(o.totalOpenArea / expected - 1)));
        QVERIFY(!o.faces.empty());
        for (Index f : o.faces) {
            QCOMPARE(sim.pockets().pocketOfCell(sim.solver().mesh().owner[size_t(f)]), int(j));
            QVERIFY(seen.insert(f).second);
        }
    }
}

void TstChamberValves::approachStateCountsMotionTowardsTheWall_data()
{
    QTest::addColumn<double>("u");       // along the wall's normal (out)
    QTest::addColumn<double>("v");       // along the wall
    QTest::addColumn<double>("counted"); // speed of the approach
    QTest::newRow("at rest") << 0.0 << 0.0 << 0.0;
    QTest::newRow("towards the wall") << 80.0 << 0.0 << 80.0;
    QTest::newRow("along the wall") << 0.0 << 60.0 << 60.0;
    QTest::newRow("away from the wall") << -80.0 << 0.0 << 0.0;
    QTest::newRow("away and along") << -80.0 << 60.0 << 60.0;
}

void TstChamberValves::approachStateCountsMotionTowardsTheWall()
{
    QFETCH(double, u);
    QFETCH(double, v);
    QFETCH(double, counted);
    const IdealGas gas{1.3, 477.8};
    const fv::PointState cell{30, u, v, 0, 4.5e6};
    const ValveSide side = approachState(gas, cell, u);
    const double T = 4.5e6 / (30 * 477.8);
    const double mach2 = counted * counted / (1.3 * 4.5e6 / 30);
    QVERIFY(std::fabs(side.flowPressure / (4.5e6 * std::pow(1 + 0.15 * mach2, 1.3 / 0.3)) - 1) < 1e-14);
    QVERIFY(std::fabs(side.flowTemperature - (T + 0.5 * counted * counted / gas.cp())) < 1e-10);
    QCOMPARE(side.pressure, side.flowPressure);
}

// While the suction valves let gas in and the discharge valves are shut,
// each face passes its share of the effective area as its own cell's state
// drives it: per unit area more where the pocket's pressure is lower, never
// against its own pressure difference, gas let in with the plenum's total
// enthalpy; the valve's flow and the scalar rates are the faces' sums.
void TstChamberValves::eachSeatFacePassesWhatItsPressureDrives()
{
    fv::setThreadCount(1);
    ChamberSimulation sim(sampleSetup(3, 1, 2));
    sim.advanceTo(timeAt(sim, 40));
    sim.historyInstant();
    const ValveOpening &suction = sim.valves().openings()[0];
    const ValveOpening &discharge = sim.valves().openings()[2];
    QVERIFY(suction.flow.massFlowIn > 1);
    QCOMPARE(discharge.flow.massFlowIn, 0.0);
    double mass = 0, enthalpy = 0, lowest = 1e300, highest = 0;
    const double ps = sim.compressor().suction.pressure;
    const double cpTs = sim.compressor().gas.cp() * sim.compressor().suction.temperature;
    std::vector<std::pair<double, double>> fluxByPressure;
    for (size_t k = 0; k < suction.faces.size(); ++k) {
        const fv::ExchangeInput &in = suction.exchange[k];
        const double p0 = suction.faceSide[k].flowPressure;
        QVERIFY(in.massInflow * (ps - p0) >= 0);
        if (in.massInflow > 0) {
            QCOMPARE(in.totalEnthalpy, cpTs);
            QVERIFY(in.normalSpeed > 0);
        }
        fluxByPressure.emplace_back(p0, in.massInflow / suction.openArea[k]);
        lowest = std::min(lowest, p0);
        highest = std::max(highest, p0);
        mass += in.massInflow;
        enthalpy += in.massInflow * in.totalEnthalpy;
    }
    QVERIFY2(highest - lowest > 1e3, "the seat's faces see different pressures");
    std::sort(fluxByPressure.begin(), fluxByPressure.end());
    for (size_t k = 1; k < fluxByPressure.size(); ++k)
        QVERIFY(fluxByPressure[k].second <= fluxByPressure[k - 1].second);
    QCOMPARE(suction.flow.massFlowIn, mass);
    QCOMPARE(suction.massRate, mass);
    QCOMPARE(suction.enthalpyRate, enthalpy);
    std::vector<double> y = sim.solver().scalars(), rates(y.size());
    sim.valves().rates(y.data(), rates.data());
    QCOMPARE(rates[scalar::mass(0)], mass);
    QCOMPARE(rates[scalar::mass(2)], 0.0);
    QCOMPARE(rates[scalar::lift(0)], y[scalar::velocity(0)]);
}


void TstChamberValves::exchangeLimitDampsItsMode_data()
{
    QTest::addColumn<int>("stages");
    QTest::newRow("SSP-RK2") << 2;
    QTest::newRow("SSP-RK3") << 3;
}

// The step and the flow limit keep lambda dt of every seat face's feedback
// at most the scheme's limit: there, and everywhere below it, the step must
// damp the mode, at the limit by half or more.
void TstChamberValves::exchangeLimitDampsItsMode()
{
    QFETCH(int, stages);
    const fv::SspScheme &scheme = sspScheme(stages);
    const double limit = exchangeDampingLimit(scheme);
    QVERIFY(limit > 0);
    QVERIFY2(std::fabs(amplification(scheme, limit)) <= 0.5, qPrintable(QString::number(amplification(scheme, limit))));
    for (int i = 1; i < 100; ++i)
        QVERIFY(std::fabs(amplification(scheme, limit * i / 100)) < 1);
}

QTEST_GUILESS_MAIN(TstChamberValves)
#include "tst_chambervalves.moc"
