// The 3D chamber's valves: which side-wall faces they open and by how much,
// the state they see, and the exchange they prescribe.
#include "chambertestcase.h"

#include "chamber/chambervalves.h"
#include "chamber/valveoutline.h"
#include "fv/parallel.h"

#include <QtTest>

#include <cmath>
#include <set>

using namespace euler;
using namespace euler::chamber;
using namespace chambertest;

class TstChamberValves : public QObject
{
    Q_OBJECT

private slots:
    void openAreaIsTheOutlineBelowTheGap_data();
    void openAreaIsTheOutlineBelowTheGap();
    void approachStateCountsMotionTowardsTheWall_data();
    void approachStateCountsMotionTowardsTheWall();
    void exchangeSharesTheFlowByOpenArea();
};

namespace {

// The outline's area below height h, integral of min(h, sqrt(r^2 - x^2)).
double clippedHalfDisk(double r, double h)
{
    if (h >= r)
        return 0.5 * M_PI * r * r;
    const double u = std::sqrt(r * r - h * h);
    return 2 * u * h + r * r * std::acos(u / r) - u * h;
}

} // namespace

void TstChamberValves::openAreaIsTheOutlineBelowTheGap_data()
{
    QTest::addColumn<double>("deg");
    QTest::newRow("top dead centre") << 0.0;
    QTest::newRow("40 deg") << 40.0;
    QTest::newRow("100 deg, above the outline") << 100.0;
}

// The faces' open areas add up to the outline's part below the piston, in
// the bore's arc length (the faces are chords: their areas are the arcs'
// times sin(x)/x of half the column angle).
void TstChamberValves::openAreaIsTheOutlineBelowTheGap()
{
    QFETCH(double, deg);
    fv::setThreadCount(1);
    ChamberSimulation sim(sampleSetup(3, 1, 1, true));
    sim.advanceTo(timeAt(sim, deg));
    sim.historyInstant(); // evaluates the valves now
    const int nc = sim.mesh().section().circumferential;
    const double half = M_PI / nc, chord = std::sin(half) / half;
    const double expected = clippedHalfDisk(0.1, sim.gap()) * chord;
    std::set<Index> seen;
    for (size_t j = 0; j < sim.valves().count(); ++j) {
        const ValveOpening &o = sim.valves().openings()[j];
        QVERIFY2(std::fabs(o.totalOpenArea / expected - 1) < 1e-12,
                 qPrintable(QString::number(o.totalOpenArea / expected - 1)));
        // The face of each column the outline meets (16 columns of 0.134 m).
        const ValveOutline outline(0.34, sim.compressor().valves[j].pocketAngle, 0.1);
        int columns = 0;
        for (int l = 0; l < nc; ++l)
            columns += outline.meetsColumn(outline.circumference * l / nc, outline.circumference * (l + 1) / nc);
        QVERIFY(columns >= 2);
        QCOMPARE(int(o.faces.size()), columns);
        for (Index f : o.faces)
            QVERIFY(seen.insert(f).second); // no face belongs to two valves
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

// While the suction valves let gas in and the discharge valves are shut, the
// faces carry the valve flow in proportion to their open areas, with the
// plenum's total enthalpy, and the scalar rates are their sums.
void TstChamberValves::exchangeSharesTheFlowByOpenArea()
{
    fv::setThreadCount(1);
    ChamberSimulation sim(sampleSetup(3, 1, 2));
    sim.advanceTo(timeAt(sim, 40));
    sim.historyInstant();
    const ValveOpening &suction = sim.valves().openings()[0];
    const ValveOpening &discharge = sim.valves().openings()[2];
    QVERIFY(suction.flow.massFlowIn > 1);
    QCOMPARE(discharge.flow.massFlowIn, 0.0);
    double mass = 0, enthalpy = 0;
    const double cpTs = sim.compressor().gas.cp() * sim.compressor().suction.temperature;
    for (size_t k = 0; k < suction.faces.size(); ++k) {
        const fv::ExchangeInput &in = suction.exchange[k];
        QVERIFY(std::fabs(in.massInflow - suction.flow.massFlowIn * suction.openArea[k] / suction.totalOpenArea)
                <= 1e-15 * suction.flow.massFlowIn);
        QCOMPARE(in.totalEnthalpy, cpTs);
        QVERIFY(in.normalSpeed > 0);
        mass += in.massInflow;
        enthalpy += in.massInflow * in.totalEnthalpy;
    }
    QCOMPARE(suction.massRate, mass);
    QCOMPARE(suction.enthalpyRate, enthalpy);
    std::vector<double> y = sim.solver().scalars(), rates(y.size());
    sim.valves().rates(y.data(), rates.data());
    QCOMPARE(rates[scalar::mass(0)], mass);
    QCOMPARE(rates[scalar::mass(2)], 0.0);
    QCOMPARE(rates[scalar::lift(0)], y[scalar::velocity(0)]);
}

QTEST_GUILESS_MAIN(TstChamberValves)
#include "tst_chambervalves.moc"
