// The axial stretch, the moving mesh's cheap path: the same motion given as
// a stretch factor and as node positions gives the same results to
// rounding, with the nodes that stay beside the ones that stretch and with
// warped faces; the gas at rest stays at rest and the discrete volumes stay
// the geometric ones; bad stretch lists are refused.
#include "fvtestmeshes.h"

#include <QtTest>

#include <cmath>

using namespace euler::fv;

class TstFvStretch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { fvtest::trapFloatingPoint(); }
    void stretchFollowsNodePositions_data();
    void stretchFollowsNodePositions();
    void restingGasStaysAtRestAndVolumesClose();
    void badStretchListsAreRefused();
};

namespace {

const BoxSpec box{6, 5, 8, 0.03, 0.025, 0.04};

// Which nodes stretch: all, those of the right half, or those of the right
// half off the bottom and top walls.
enum class Part { All, RightHalf, RightInterior };

fvtest::AxialMotion motionOf(const HexMesh &hex, Part part, double amplitude, double omega)
{
    std::vector<Index> nodes;
    std::vector<double> zeta;
    for (Index n = 0; n < hex.nodeCount(); ++n)
        if (part == Part::All
            || (hex.x[n] > 0.5 * box.lx + 1e-9
                && (part == Part::RightHalf || (hex.z[n] > 1e-9 && hex.z[n] < box.lz - 1e-9)))) {
            nodes.push_back(n);
            zeta.push_back(hex.z[n]);
        }
    return fvtest::AxialMotion(hex, nodes, zeta, [=](double t) { return 1 + amplitude * (1 - std::cos(omega * t)); });
}

// A pulse with a flow through it, away from the walls.
void setPulse(Solver &solver)
{
    const Geometry &g = solver.geometry();
    const PointState rest = fvtest::restingAir();
    for (Index c = 0; c < solver.mesh().cellCount(); ++c) {
        const double r2 = std::pow(g.cellX[c] - 0.012, 2) + std::pow(g.cellY[c] - 0.01, 2) + std::pow(g.cellZ[c] - 0.02, 2);
        const double bump = std::exp(-r2 / 6e-5);
        solver.setCellState(c, {rest.rho * (1 + 0.4 * bump), 30 * bump, -10 * bump, 20, rest.p * (1 + bump)});
    }
}

double worstRelative(const std::vector<double> &a, const std::vector<double> &b)
{
    double scale = 0, worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        scale = std::max(scale, std::fabs(a[i]));
        worst = std::max(worst, std::fabs(a[i] - b[i]));
    }
    return worst / scale;
}

double worstVolumeError(const Solver &solver)
{
    double worst = 0;
    for (Index c = 0; c < solver.mesh().cellCount(); ++c)
        worst = std::max(worst, std::fabs(solver.volumes()[c] / solver.geometry().volume[c] - 1));
    return worst;
}

} // namespace

void TstFvStretch::stretchFollowsNodePositions_data()
{
    QTest::addColumn<int>("part");
    QTest::addColumn<double>("distortion"); // warped faces go through node positions
    QTest::addColumn<bool>("rk3");
    QTest::newRow("whole box") << int(Part::All) << 0.0 << true;
    QTest::newRow("right half, left half still") << int(Part::RightHalf) << 0.0 << true;
    QTest::newRow("warped interior faces") << int(Part::All) << 0.2 << true;
    QTest::newRow("right half, SSP-RK2") << int(Part::RightHalf) << 0.0 << false;
}

void TstFvStretch::stretchFollowsNodePositions()
{
    QFETCH(int, part);
    QFETCH(double, distortion);
    QFETCH(bool, rk3);
    const HexMesh hex = fvtest::distortedBox(box, distortion);
    const SspScheme &scheme = rk3 ? sspRk3 : sspRk2;
    Solver general(hex, fvtest::air(), scheme), stretched(hex, fvtest::air(), scheme);
    // A quarter period in 50 steps: the stretching part 40 % longer.
    const double dt = 2e-6;
    fvtest::AxialMotion motion = motionOf(hex, Part(part), 0.4, 2 * M_PI / (200 * dt));
    stretched.setAxialStretch(motion.nodes(), motion.zeta(), 1.0);
    QVERIFY(stretched.stretching());
    setPulse(general);
    setPulse(stretched);
    const double startVolume = stretched.totals().volume;
    for (int i = 0; i < 50; ++i) {
        general.step(dt, motion);
        stretched.step(dt, motion);
        QVERIFY2(worstVolumeError(stretched) < 1e-13, qPrintable(QString::number(worstVolumeError(stretched))));
    }
    QVERIFY(stretched.totals().volume > startVolume * (part == int(Part::All) ? 1.35 : 1.15));
    double worst = 0;
    for (int v = 0; v < ConservedCount; ++v) {
        const double d = worstRelative(general.integrated()[v], stretched.integrated()[v]);
        QVERIFY2(d < 1e-11, qPrintable(QString("variable %1: %2").arg(v).arg(d)));
        worst = std::max(worst, d);
    }
    qInfo("largest difference to the node positions' path: %.1e of the largest value", worst);
    const Geometry &a = general.geometry(), &b = stretched.geometry();
    for (const auto &[x, y] : {std::pair{&a.volume, &b.volume}, {&a.cellZ, &b.cellZ}, {&a.cellX, &b.cellX},
                               {&a.area, &b.area}, {&a.centreZ, &b.centreZ}, {&a.normalX, &b.normalX}})
        QVERIFY2(worstRelative(*x, *y) < 1e-13, qPrintable(QString::number(worstRelative(*x, *y))));
    QVERIFY(worstRelative(general.nodes().z, stretched.nodes().z) < 1e-15);
    QCOMPARE(stretched.stretchFactor(), motion.law(50 * dt));
}

void TstFvStretch::restingGasStaysAtRestAndVolumesClose()
{
    const HexMesh hex = boxMesh(box);
    Solver solver(hex, fvtest::air());
    solver.setUniformState(fvtest::restingAir());
    const double dt = solver.stableTimeStep(0.8);
    // The walls stay; inside the right half the cells stretch by up to 10 %
    // and back, those next to the top wall shrinking.
    fvtest::AxialMotion motion = motionOf(hex, Part::RightInterior, 0.05, 2 * M_PI / (500 * dt));
    solver.setAxialStretch(motion.nodes(), motion.zeta(), 1.0);
    double worstVolume = 0;
    for (int i = 0; i < 500; ++i) {
        solver.step(dt, motion);
        worstVolume = std::max(worstVolume, worstVolumeError(solver));
    }
    const double deviation = fvtest::maxRelativeDeviation(solver, fvtest::restingAir());
    QVERIFY2(deviation < 1e-12, qPrintable(QString::number(deviation)));
    QVERIFY2(worstVolume < 1e-13, qPrintable(QString::number(worstVolume)));
    // Setting node positions ends the stretch.
    solver.setNodePositions(solver.nodes());
    QVERIFY(!solver.stretching());
}

void TstFvStretch::badStretchListsAreRefused()
{
    Solver solver(boxMesh(box), fvtest::air());
    const Index nodes = solver.mesh().nodeCount();
    QVERIFY_THROWS_EXCEPTION(MeshError, solver.setAxialStretch({0, nodes}, {0.0, 1.0}, 1.0));
    QVERIFY_THROWS_EXCEPTION(MeshError, solver.setAxialStretch({0, -1}, {0.0, 1.0}, 1.0));
    QVERIFY_THROWS_EXCEPTION(MeshError, solver.setAxialStretch({0, 1}, {0.0}, 1.0));
    QVERIFY(!solver.stretching());
}

QTEST_APPLESS_MAIN(TstFvStretch)
#include "tst_fvstretch.moc"
