// The solver's model pieces one by one: kinematics, flow area, orifice flow,
// plate stops, pocket volume, surface grid, number formatting.
#include "models/kinematics.h"
#include "io/numberformat.h"
#include "io/pocketmesh.h"
#include "lumped/surfaceflow.h"
#include "io/surfacegrid.h"
#include "models/valvedynamics.h"
#include "models/valveflow.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <cstdio>

using namespace euler;

class TstSolverModel : public QObject
{
    Q_OBJECT

private slots:
    void crankGapAtDeadCentres();
    void pistonVelocityAndAccelerationAreDerivatives_data();
    void pistonVelocityAndAccelerationAreDerivatives();
    void effectiveArea_data();
    void effectiveArea();
    void orificeFlowIsContinuousAndChokes();
    void orificeFlowReversesWithPressure();
    void platesStopAtSeatAndGuard_data();
    void platesStopAtSeatAndGuard();
    void contactForcesHoldRestingPlates();
    void hexahedronVolume_data();
    void hexahedronVolume();
    void gradedRadiiFollowGrading();
    void discGridClosesRingsAndReachesTheWall();
    void sourceFlowPointsAwayFromSuctionValve();
    void numbersMatchPrintfG_data();
    void numbersMatchPrintfG();
    void numbersMatchPrintfGOverManyDecades();
};

namespace {

const SliderCrank crank(0.11, 0.55, 0.004, 330);

} // namespace

void TstSolverModel::crankGapAtDeadCentres()
{
    QCOMPARE(crank.gap(0), 0.004);
    QVERIFY(std::fabs(crank.gap(M_PI) - (0.004 + 0.22)) < 1e-12);
    QVERIFY(std::fabs(crank.pistonVelocity(0)) < 1e-12);
    QVERIFY(std::fabs(crank.pistonVelocity(M_PI)) < 1e-12);
    // The conrod makes the piston pass mid-stroke before 90 degrees.
    QVERIFY(crank.gap(M_PI / 2) > 0.004 + 0.11);
}

void TstSolverModel::pistonVelocityAndAccelerationAreDerivatives_data()
{
    QTest::addColumn<double>("phi");
    for (double deg : {10.0, 75.0, 90.0, 170.0, 260.0, 330.0})
        QTest::newRow(qPrintable(QStringLiteral("%1 deg").arg(deg))) << deg * M_PI / 180;
}

void TstSolverModel::pistonVelocityAndAccelerationAreDerivatives()
{
    QFETCH(double, phi);
    const double h = 1e-5, w = crank.omega();
    const double velocity = (crank.gap(phi + h) - crank.gap(phi - h)) / (2 * h) * w;
    const double acceleration = (crank.pistonVelocity(phi + h) - crank.pistonVelocity(phi - h)) / (2 * h) * w;
    QVERIFY(std::fabs(crank.pistonVelocity(phi) - velocity) < 1e-6);
    QVERIFY(std::fabs(crank.pistonAcceleration(phi) - acceleration) < 1e-4);
}

void TstSolverModel::effectiveArea_data()
{
    QTest::addColumn<double>("fe1mm");
    QTest::addColumn<double>("alpha");
    QTest::addColumn<double>("beta");
    QTest::addColumn<double>("lift");
    QTest::addColumn<double>("area");
    QTest::newRow("closed") << 6.0 << 0.65 << 74000.0 << 0.0 << 0.0;
    QTest::newRow("below seat") << 6.0 << 0.65 << 74000.0 << -1e-4 << 0.0;
    QTest::newRow("linear without beta") << 6.0 << 0.5 << 0.0 << 0.002 << 0.006;
    QTest::newRow("1 mm") << 6.0 << 1.0 << 0.0 << 0.001 << 0.006;
    // beta x^2 = 3: the curtain area is halved.
    QTest::newRow("saturating") << 6.0 << 1.0 << 3e6 << 0.001 << 0.003;
    // Far beyond the port: fe1mm / sqrt(beta) times alpha.
    QTest::newRow("port limit") << 6.0 << 0.5 << 1e4 << 100.0 << 0.5 * 6.0 / 100.0;
}

void TstSolverModel::effectiveArea()
{
    QFETCH(double, fe1mm);
    QFETCH(double, alpha);
    QFETCH(double, beta);
    QFETCH(double, lift);
    QFETCH(double, area);
    const FlowAreaLaw law{fe1mm, alpha, beta};
    QVERIFY2(std::fabs(law.effectiveArea(lift) - area) <= 1e-6 * area + 1e-15,
             qPrintable(QString::number(law.effectiveArea(lift))));
}

void TstSolverModel::orificeFlowIsContinuousAndChokes()
{
    const double gamma = 1.4;
    const IsentropicOrifice orifice(gamma, 287);
    const double critical = std::pow(2 / (gamma + 1), gamma / (gamma - 1));
    QVERIFY(std::fabs(orifice.psi(critical * (1 + 1e-9)) - orifice.psi(critical)) < 1e-6);
    QVERIFY(std::fabs(orifice.psi(0.1) - orifice.psi(critical)) < 1e-15); // choked
    QVERIFY(std::fabs(orifice.psi(0.1) - 0.6847) < 1e-4);                 // sqrt(1.4) (2/2.4)^3
    QCOMPARE(orifice.psi(1.0), 0.0);
    // The linear band joins the isentropic curve without a jump.
    const double edge = 1 - IsentropicOrifice::linearBand;
    QVERIFY(std::fabs(orifice.psi(edge + 1e-12) - orifice.psi(edge - 1e-12)) < 1e-6);
    QVERIFY(orifice.psi(edge + 0.5 * IsentropicOrifice::linearBand) > 0);
    // Psi rises monotonically as the downstream pressure falls.
    double previous = 0;
    for (double pr = 0.99999; pr > 0.3; pr -= 0.001) {
        QVERIFY(orifice.psi(pr) >= previous);
        previous = orifice.psi(pr);
    }
}

void TstSolverModel::orificeFlowReversesWithPressure()
{
    const IsentropicOrifice orifice(1.3, 478);
    const double forward = orifice.massFlow(0.01, 2e6, 300, 1.9e6, 300);
    const double backward = orifice.massFlow(0.01, 1.9e6, 300, 2e6, 300);
    QVERIFY(forward > 0);
    QCOMPARE(backward, -forward);
    QCOMPARE(orifice.massFlow(0.01, 2e6, 300, 2e6, 350), 0.0);
    QCOMPARE(orifice.massFlow(0.0, 2e6, 300, 1e6, 300), 0.0);
    // Hotter upstream gas carries less mass at the same pressures.
    QVERIFY(orifice.massFlow(0.01, 2e6, 400, 1.9e6, 300) < forward);
}

void TstSolverModel::platesStopAtSeatAndGuard_data()
{
    QTest::addColumn<double>("lift");
    QTest::addColumn<double>("velocity");
    QTest::addColumn<double>("expectedLift");
    QTest::addColumn<double>("expectedVelocity");
    QTest::addColumn<double>("impact");
    QTest::addColumn<bool>("onGuard");
    QTest::newRow("free") << 0.001 << 0.5 << 0.001 << 0.5 << 0.0 << false;
    QTest::newRow("through the seat") << -1e-5 << -2.0 << 0.0 << 0.0 << 2.0 << false;
    QTest::newRow("through the guard") << 0.0031 << 3.0 << 0.003 << 0.0 << 3.0 << true;
    QTest::newRow("leaving the seat") << 0.0 << 0.1 << 0.0 << 0.1 << 0.0 << false;
    QTest::newRow("leaving the guard") << 0.003 << -0.1 << 0.003 << -0.1 << 0.0 << false;
}

void TstSolverModel::platesStopAtSeatAndGuard()
{
    QFETCH(double, lift);
    QFETCH(double, velocity);
    QFETCH(double, expectedLift);
    QFETCH(double, expectedVelocity);
    QFETCH(double, impact);
    QFETCH(bool, onGuard);
    const ValvePlate plate{0.1, 0.02, 8000, 0.004, 0.003};
    PlateState state{lift, velocity};
    const Impact result = resolveStops(plate, state);
    QCOMPARE(state.lift, expectedLift);
    QCOMPARE(state.velocity, expectedVelocity);
    QCOMPARE(result.speed, impact);
    if (impact > 0)
        QCOMPARE(result.onGuard, onGuard);
}

void TstSolverModel::contactForcesHoldRestingPlates()
{
    const ValvePlate plate{0.1, 0.02, 8000, 0.004, 0.003};
    QCOMPARE(plate.preload(), 32.0);
    QCOMPARE(plate.springForce(0.003), 56.0);
    QCOMPARE(plate.acceleration(0, 0, -10), 0.0);      // pressed on the seat
    QCOMPARE(plate.acceleration(0, 0, 10), 100.0);     // lifts off
    QCOMPARE(plate.acceleration(0.003, 0, 10), 0.0);   // pressed on the guard
    QCOMPARE(plate.acceleration(0.003, 0, -10), -100.0);
    QCOMPARE(plate.acceleration(0.001, 0, -10), -100.0);
}

void TstSolverModel::hexahedronVolume_data()
{
    QTest::addColumn<QList<double>>("coordinates");
    QTest::addColumn<double>("volume");
    QTest::newRow("unit cube") << QList<double>{0, 0, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 1, 1, 1, 1, 1, 0, 1} << 1.0;
    QTest::newRow("reversed order") << QList<double>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1} << 1.0;
    QTest::newRow("sheared box") << QList<double>{0, 0, 0, 2, 0, 0, 2, 3, 0, 0, 3, 0, 1, 0, 4, 3, 0, 4, 3, 3, 4, 1, 3, 4} << 24.0;
    // Frustum-like: top face half as wide in x; volume (2 + 1)/2 * 1 * 1.
    QTest::newRow("wedge") << QList<double>{0, 0, 0, 2, 0, 0, 2, 1, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1} << 1.5;
}

void TstSolverModel::hexahedronVolume()
{
    QFETCH(QList<double>, coordinates);
    QFETCH(double, volume);
    std::array<Vec3, 8> nodes;
    for (int i = 0; i < 8; ++i)
        nodes[static_cast<size_t>(i)] = {coordinates[3 * i], coordinates[3 * i + 1], coordinates[3 * i + 2]};
    QVERIFY(std::fabs(euler::hexahedronVolume(nodes) - volume) < 1e-12);
}

void TstSolverModel::gradedRadiiFollowGrading()
{
    const std::vector<double> radii = gradedRadii(0.05, 0.34, 8, 0.5);
    QCOMPARE(radii.size(), size_t(9));
    QCOMPARE(radii.front(), 0.05);
    QCOMPARE(radii.back(), 0.34);
    const double first = radii[1] - radii[0], last = radii[8] - radii[7];
    QVERIFY(std::fabs(last / first - 0.5) < 1e-9);
    const std::vector<double> uniform = gradedRadii(0, 1, 4, 1.0);
    QVERIFY(std::fabs(uniform[1] - 0.25) < 1e-12);
}

void TstSolverModel::discGridClosesRingsAndReachesTheWall()
{
    const SurfaceGrid grid = makeSurfaceGrid(0.68, 0.1, 10, 2, 6, 0.5, 0.5);
    QCOMPARE(grid.ringRadii.size(), size_t(13)); // centre, 2 inner and 10 outer cells
    QCOMPARE(grid.ringRadii.back(), 0.34);
    QVERIFY(std::fabs(grid.ringRadii[2] - 0.05) < 1e-12);
    QCOMPARE(grid.angle(grid.angularCells), grid.angle(0));
    QCOMPARE(grid.axialCells, 6);
    // Fine meshes still give moderate result files.
    const SurfaceGrid fine = makeSurfaceGrid(0.68, 0.1, 200, 50, 80, 0.5, 0.5);
    QVERIFY(fine.ringRadii.size() <= 33);
    QVERIFY(fine.angularCells <= 72);
    QVERIFY(fine.axialCells <= 24);
    // Without a rod the disc is one block.
    QCOMPARE(makeSurfaceGrid(0.68, 0.0, 10, 4, 6, 0.5, 0.5).ringRadii.size(), size_t(11));
}

void TstSolverModel::sourceFlowPointsAwayFromSuctionValve()
{
    ChamberFlowField field;
    field.gap = 0.1;
    field.coreRadius = 0.1;
    field.jets.push_back({{0.34, 0, 0}, 1.0});
    const Vec3 u = field.velocity({0.2, 0, 0});
    QVERIFY(u.x < 0);               // inward from the pocket at angle 0
    QCOMPARE(u.z, 0.0);             // tangential to the head
    field.jets.front().flowRate = -1.0;
    QVERIFY(field.velocity({0.2, 0, 0}).x > 0);
    field.jets.clear();
    field.pistonVelocity = 3;
    QCOMPARE(field.velocity({0, 0, 0.1}).z, 3.0); // moves with the piston
    QCOMPARE(field.velocity({0, 0, 0}).z, 0.0);   // rests at the head
    const WallState still = wallState(2e6, 14, 1.3, 478, 0);
    QCOMPARE(still.pressure, 2e6);
    const WallState fast = wallState(2e6, 14, 1.3, 478, 100);
    QCOMPARE(fast.pressure, 2e6 - 700);
    QVERIFY(fast.density < 14 && fast.temperature < still.temperature);
}

void TstSolverModel::numbersMatchPrintfG_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    for (double v : {0.0, 1.0, -1.0, 0.5, 2000000.0, 4500000.5, 13.952, 1.1e-05, 0.0001, 0.00012345678,
                     123456.0, 1234567.0, 9.9999996, 99999.96, -0.004, 3.14159265358979, 1e20, 7.5e-300})
        for (int digits : {6, 8})
            QTest::newRow(qPrintable(QStringLiteral("%1 / %2").arg(v, 0, 'g', 17).arg(digits))) << v << digits;
}

void TstSolverModel::numbersMatchPrintfG()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    std::string text;
    appendNumber(text, value, digits);
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.*g", digits, value);
    QCOMPARE(QString::fromStdString(text), QString::fromLatin1(expected));
}

void TstSolverModel::numbersMatchPrintfGOverManyDecades()
{
    QRandomGenerator random(12345);
    int mismatches = 0;
    for (int i = 0; i < 20000; ++i) {
        const double value = (i % 2 ? -1 : 1) * std::pow(10.0, random.bounded(40.0) - 20.0);
        for (int digits : {4, 6, 8}) {
            std::string text;
            appendNumber(text, value, digits);
            char expected[64];
            std::snprintf(expected, sizeof expected, "%.*g", digits, value);
            if (text != expected && ++mismatches < 5)
                qWarning("%s vs %s", text.c_str(), expected);
        }
    }
    QCOMPARE(mismatches, 0);
}

QTEST_GUILESS_MAIN(TstSolverModel)
#include "tst_solvermodel.moc"
