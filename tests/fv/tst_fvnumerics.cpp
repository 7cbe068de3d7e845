// The numerical components one by one: least-squares gradients on
// distorted and flat cells, the limiter's bounds, the HLLC flux and the wall
// pressure, the conversions' refusal of bad cells, the time step, the exact
// Riemann solution the shock tube is measured against, and interface pieces
// joining two mesh parts whose faces are not matched.
#include "exactriemann.h"
#include "fvtestmeshes.h"

#include "fv/lowmach.h"
#include "fv/reconstruction.h"
#include "fv/timestep.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>

using namespace euler::fv;

class TstFvNumerics : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { fvtest::trapFloatingPoint(); }
    void gradientsAreExactForLinearFields_data();
    void gradientsAreExactForLinearFields();
    void limitedFaceValuesStayWithinNeighbours();
    void hllcIsConsistentAtEveryFaceSpeed_data();
    void hllcIsConsistentAtEveryFaceSpeed();
    void hllcKeepsAStationaryContact();
    void hllcIsSymmetricUnderReversal();
    void lowMachCorrectionScalesTheVelocityJump_data();
    void lowMachCorrectionScalesTheVelocityJump();
    void wallPressureIsTheMirrorProblemsStarPressure_data();
    void wallPressureIsTheMirrorProblemsStarPressure();
    void conversionFindsTheFirstBadCell();
    void timeStepFollowsTheSmallestCellScale();
    void exactRiemannMatchesToroTest1();
    void interfacePiecesJoinTwoParts();
};

void TstFvNumerics::gradientsAreExactForLinearFields_data()
{
    QTest::addColumn<double>("height"); // cell height / width
    QTest::addColumn<double>("distortion");
    QTest::newRow("distorted cubes") << 1.0 << 0.3;
    QTest::newRow("flat cells at top dead centre") << 0.7 / 30 << 0.2;
    QTest::newRow("very flat, skewed") << 1e-3 << 0.4;
}

void TstFvNumerics::gradientsAreExactForLinearFields()
{
    QFETCH(double, height);
    QFETCH(double, distortion);
    const BoxSpec box{6, 6, 5, 0.18, 0.18, 0.03 * 5 * height};
    HexMesh hex = boxMesh(box);
    fvtest::distortInterior(hex, box, distortion);
    const Mesh mesh(hex);
    const Geometry g = fvtest::geometryOf(mesh, fvtest::positionsOf(hex));
    LeastSquaresGradient lsq;
    lsq.resize(mesh);
    lsq.updateMatrices(mesh, g);
    const double grad[3] = {3.0, -2.0, 5.0 / height};
    auto field = [&](Index c) { return 1 + grad[0] * g.cellX[c] + grad[1] * g.cellY[c] + grad[2] * g.cellZ[c]; };
    int interior = 0;
    for (Index c = 0; c < mesh.cellCount(); ++c) {
        bool inside = true;
        double sum[3] = {0, 0, 0};
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const Index e = mesh.cellFaces[i], f = e >= 0 ? e : ~e;
            if (f >= mesh.internalFaceCount()) {
                inside = false;
                break;
            }
            const double dq = field(e >= 0 ? mesh.neighbour[f] : mesh.owner[f]) - field(c);
            for (int a = 0; a < 3; ++a)
                sum[a] += lsq.coefficient(i)[a] * dq;
        }
        if (!inside)
            continue;
        ++interior;
        for (int a = 0; a < 3; ++a)
            QVERIFY2(std::fabs(sum[a] - grad[a]) < 1e-9 * std::fabs(grad[2]),
                     qPrintable(QString("cell %1 axis %2: %3").arg(c).arg(a).arg(sum[a])));
    }
    QCOMPARE(interior, 4 * 4 * 3);
}

void TstFvNumerics::limitedFaceValuesStayWithinNeighbours()
{
    const BoxSpec box{6, 5, 4, 0.06, 0.05, 0.004};
    HexMesh hex = fvtest::distortedBox(box, 0.3);
    Solver solver(hex, fvtest::air());
    const Mesh &mesh = solver.mesh();
    QRandomGenerator random(3);
    for (Index c = 0; c < mesh.cellCount(); ++c)
        solver.setCellState(c, {1 + random.generateDouble(), 50 * (random.generateDouble() - 0.5), 0, 0,
                                1e5 * (1 + random.generateDouble())});
    solver.refreshGradients();
    const PrimitiveFields &w = solver.primitives();
    // Each face's owner-side state against the owner's and its neighbours' range.
    for (Index f = 0; f < mesh.faceCount(); ++f) {
        const Index c = mesh.owner[f];
        double lo[2] = {w[Rho][c], w[Pressure][c]}, hi[2] = {lo[0], lo[1]};
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const Index e = mesh.cellFaces[i], ff = e >= 0 ? e : ~e;
            if (ff >= mesh.internalFaceCount())
                continue; // mirror values repeat the cell's density and pressure
            const Index o = e >= 0 ? mesh.neighbour[ff] : mesh.owner[ff];
            for (int k = 0; k < 2; ++k) {
                const double v = k == 0 ? w[Rho][o] : w[Pressure][o];
                lo[k] = std::min(lo[k], v);
                hi[k] = std::max(hi[k], v);
            }
        }
        const PointState face = solver.faceState(f);
        QVERIFY(face.rho >= lo[0] * (1 - 1e-14) && face.rho <= hi[0] * (1 + 1e-14));
        QVERIFY(face.p >= lo[1] * (1 - 1e-14) && face.p <= hi[1] * (1 + 1e-14));
    }
    // A uniform field reconstructs to itself exactly.
    solver.setUniformState(fvtest::restingAir());
    solver.refreshGradients();
    for (Index f = 0; f < mesh.faceCount(); ++f) {
        const PointState s = solver.faceState(f);
        QCOMPARE(s.rho, fvtest::restingAir().rho);
        QCOMPARE(s.p, fvtest::restingAir().p);
        QCOMPARE(s.u, 0.0);
    }
}

namespace {

const FaceFrame diagonal{0.48, 0.6, 0.64, 0.0}; // a unit normal

FaceFlux exactFlux(const PointState &s, const FaceFrame &n, double gamma)
{
    const double un = s.u * n.nx + s.v * n.ny + s.w * n.nz;
    const double E = s.p / (gamma - 1) + 0.5 * s.rho * (s.u * s.u + s.v * s.v + s.w * s.w);
    const double U[5] = {s.rho, s.rho * s.u, s.rho * s.v, s.rho * s.w, E};
    FaceFlux f{{s.rho * un, s.rho * s.u * un + s.p * n.nx, s.rho * s.v * un + s.p * n.ny,
                s.rho * s.w * un + s.p * n.nz, (E + s.p) * un}};
    for (int i = 0; i < 5; ++i)
        f.f[i] -= n.wn * U[i];
    return f;
}

} // namespace

void TstFvNumerics::hllcIsConsistentAtEveryFaceSpeed_data()
{
    QTest::addColumn<double>("wn");
    for (double w : {0.0, 30.0, -30.0, 200.0, -800.0, 900.0})
        QTest::newRow(qPrintable(QString("face at %1 m/s").arg(w))) << w;
}

// Equal states on both sides give the exact ALE flux F.n - w_n U, whichever
// region of the fan the face's speed falls in.
void TstFvNumerics::hllcIsConsistentAtEveryFaceSpeed()
{
    QFETCH(double, wn);
    const PointState s{1.2, 40, -25, 60, 1.1e5};
    FaceFrame n = diagonal;
    n.wn = wn;
    const FaceFlux h = hllcFlux(s, s, n, 1.4);
    const FaceFlux e = exactFlux(s, n, 1.4);
    for (int i = 0; i < 5; ++i)
        QVERIFY2(std::fabs(h.f[i] - e.f[i]) <= 1e-12 * (std::fabs(e.f[i]) + s.p),
                 qPrintable(QString("component %1: %2 vs %3").arg(i).arg(h.f[i]).arg(e.f[i])));
}

void TstFvNumerics::hllcKeepsAStationaryContact()
{
    // Densities differ, pressure and velocity agree: only pressure crosses.
    const PointState L{1.2, 10 * 0.8, 0, 10 * 0.6, 1e5}, R{0.3, 10 * 0.8, 0, 10 * 0.6, 1e5};
    const FaceFrame n{0.6, 0.0, -0.8, 0.0}; // normal to the velocity
    const FaceFlux f = hllcFlux(L, R, n, 1.4);
    QVERIFY(std::fabs(f.f[Density]) < 1e-12);
    QVERIFY(std::fabs(f.f[Energy]) < 1e-7);
    QVERIFY(std::fabs(f.f[MomentumX] - 1e5 * 0.6) < 1e-9);
    QVERIFY(std::fabs(f.f[MomentumY]) < 1e-9);
    QVERIFY(std::fabs(f.f[MomentumZ] + 1e5 * 0.8) < 1e-9);
}

// Swapping the sides and turning the normal (and the face speed) round
// gives the same flux with the opposite sign.
void TstFvNumerics::hllcIsSymmetricUnderReversal()
{
    const PointState L{1.5, 120, -30, 10, 2.5e5}, R{0.4, -60, 20, 5, 0.7e5};
    for (double wn : {0.0, 150.0, -400.0}) {
        const FaceFrame n{diagonal.nx, diagonal.ny, diagonal.nz, wn};
        const FaceFrame back{-diagonal.nx, -diagonal.ny, -diagonal.nz, -wn};
        const FaceFlux a = hllcFlux(L, R, n, 1.4), b = hllcFlux(R, L, back, 1.4);
        for (int i = 0; i < 5; ++i)
            QVERIFY(std::fabs(a.f[i] + b.f[i]) <= 1e-12 * (std::fabs(a.f[i]) + 1e5));
    }
}

void TstFvNumerics::lowMachCorrectionScalesTheVelocityJump_data()
{
    QTest::addColumn<double>("mach");
    QTest::addColumn<double>("scale");
    QTest::newRow("Mach 0.3: by the Mach number") << 0.3 << 0.3;
    QTest::newRow("Mach 0.01: by the floor") << 0.01 << lowMachFloor;
    QTest::newRow("at rest: by the floor") << 0.0 << lowMachFloor;
    QTest::newRow("Mach 2: unchanged") << 2.0 << 1.0;
}

// The jump of every velocity component about its mean scales by
// min(1, max(M_L, M_R, floor)); density and pressure stay.
void TstFvNumerics::lowMachCorrectionScalesTheVelocityJump()
{
    QFETCH(double, mach);
    QFETCH(double, scale);
    const double gamma = 1.4, a = std::sqrt(gamma * 1e5 / 1.2);
    PointState L{1.2, mach * a, 0, 0, 1e5}, R{1.1, 0.2 * mach * a, -1, 4, 0.9e5}; // R the slower
    const PointState L0 = L, R0 = R;
    lowMachCorrection(L, R, gamma);
    const auto check = [&](double l0, double r0, double l, double r) {
        QVERIFY(std::fabs((l + r) - (l0 + r0)) <= 1e-12 * (std::fabs(l0) + std::fabs(r0) + 1));
        QVERIFY(std::fabs((l - r) - scale * (l0 - r0)) <= 1e-12 * (std::fabs(l0 - r0) + 1));
    };
    check(L0.u, R0.u, L.u, R.u);
    check(L0.v, R0.v, L.v, R.v);
    check(L0.w, R0.w, L.w, R.w);
    QCOMPARE(L.rho, L0.rho);
    QCOMPARE(R.p, R0.p);
}

void TstFvNumerics::wallPressureIsTheMirrorProblemsStarPressure_data()
{
    QTest::addColumn<double>("approach"); // gas speed towards the wall, m/s
    QTest::addColumn<double>("wall");     // wall speed along its normal
    QTest::newRow("at rest") << 0.0 << 0.0;
    QTest::newRow("gas towards a still wall") << 50.0 << 0.0;
    QTest::newRow("gas away from a still wall") << -50.0 << 0.0;
    QTest::newRow("piston pushing at 20 m/s") << 0.0 << -20.0;
    QTest::newRow("piston withdrawing at 20 m/s") << 0.0 << 20.0;
}

void TstFvNumerics::wallPressureIsTheMirrorProblemsStarPressure()
{
    QFETCH(double, approach);
    QFETCH(double, wall);
    const double gamma = 1.4;
    const FaceFrame n{diagonal.nx, diagonal.ny, diagonal.nz, wall};
    // Tangential velocity along (0.78125, -0.625, 0), normal component `approach`.
    const PointState s{1.16, approach * n.nx + 30 * 0.78125, approach * n.ny - 30 * 0.625, approach * n.nz, 1e5};
    const double p = wallPressure(s, n, gamma);
    // The mirror state: velocity relative to the wall reflected.
    const PointState m = ghostState(BoundaryKind::Wall, s, n);
    const FaceFlux f = hllcFlux(s, m, n, gamma);
    const double normalMomentum = f.f[MomentumX] * n.nx + f.f[MomentumY] * n.ny + f.f[MomentumZ] * n.nz;
    QVERIFY2(std::fabs(normalMomentum - p) < 1e-9 * p, qPrintable(QString("%1 vs %2").arg(normalMomentum).arg(p)));
    QVERIFY(std::fabs(f.f[Density]) < 1e-9 * s.rho * 100);
    if (approach == 0 && wall == 0)
        QCOMPARE(p, s.p);
    const double closing = approach - wall; // > 0 compresses
    QVERIFY(closing > 0 ? p > s.p : closing < 0 ? p < s.p : p == s.p);
    const FaceFlux wf = wallFlux(s, n, 2.0, gamma);
    QCOMPARE(wf.f[Density], 0.0);
    QVERIFY(std::fabs(wf.f[Energy] - 2.0 * p * wall) <= 1e-9 * p);
}

void TstFvNumerics::conversionFindsTheFirstBadCell()
{
    const IdealGasEos eos = fvtest::air();
    const Index cells = 6;
    ConservedFields q;
    q.resize(cells);
    PrimitiveFields w;
    w.resize(cells);
    std::vector<double> volume(cells, 2.0);
    PrimitiveFields good;
    good.resize(cells);
    for (Index c = 0; c < cells; ++c) {
        good[Rho][c] = 1.0 + c;
        good[VelocityX][c] = 10.0 * c;
        good[VelocityY][c] = good[VelocityZ][c] = 0;
        good[Pressure][c] = 1e5;
    }
    toIntegrated(eos, good, volume, q);
    QCOMPARE(toPrimitive(eos, q, volume, w), -1);
    QVERIFY(std::fabs(w[VelocityX][3] - 30) < 1e-12);
    QVERIFY(std::fabs(w[Pressure][5] / 1e5 - 1) < 1e-12);
    q[Energy][4] = 0.5 * q[MomentumX][4] * q[MomentumX][4] / q[Density][4] / volume[4] * 0.99; // p < 0
    q[Density][5] = std::nan("");
    QCOMPARE(toPrimitive(eos, q, volume, w), 4);
    q[Density][2] = -1;
    QCOMPARE(toPrimitive(eos, q, volume, w), 2);
}

void TstFvNumerics::timeStepFollowsTheSmallestCellScale()
{
    // Cells 10 x 10 x 1 mm; one cell moves at 100 m/s.
    Solver solver(boxMesh({4, 4, 2, 0.04, 0.04, 0.002}), fvtest::air());
    solver.setUniformState(fvtest::restingAir());
    PointState fast = fvtest::restingAir();
    fast.u = 60;
    fast.v = 80;
    solver.setCellState(5, fast);
    const double a = std::sqrt(1.4 * fast.p / fast.rho);
    const double h = 1 / (1 / 0.01 + 1 / 0.01 + 1 / 0.001);
    QVERIFY(std::fabs(solver.stableTimeStep(0.7) / (0.7 * h / (100 + a)) - 1) < 1e-12);
}

// Toro's test 1 (table 4.3 of the book): p* = 0.30313, u* = 0.92745.
void TstFvNumerics::exactRiemannMatchesToroTest1()
{
    const ExactRiemann r({1, 0, 1}, {0.125, 0, 0.1}, 1.4);
    QVERIFY(std::fabs(r.starPressure() - 0.30313) < 1e-5);
    QVERIFY(std::fabs(r.starVelocity() - 0.92745) < 1e-5);
    QVERIFY(std::fabs(r.starDensityLeft() - 0.42632) < 1e-5);
    QVERIFY(std::fabs(r.starDensityRight() - 0.26557) < 1e-5);
    QCOMPARE(r.sample(-5).rho, 1.0);
    QCOMPARE(r.sample(5).p, 0.1);
    // The fan joins its head and tail states continuously.
    const double head = -std::sqrt(1.4);
    QVERIFY(std::fabs(r.sample(head + 1e-9).rho - 1) < 1e-6);
}

namespace {

// Two boxes side by side with their own nodes: the left's xmax and the
// right's xmin faces do not belong to one cell pair but are joined by
// interface pieces, each face pair cut into two halves.
HexMesh twoParts(const BoxSpec &box)
{
    HexMesh left = boxMesh(box), right = boxMesh(box);
    HexMesh m = left;
    const Index offset = m.nodeCount();
    for (Index n = 0; n < right.nodeCount(); ++n)
        m.addNode(right.x[n] + box.lx, right.y[n], right.z[n]);
    for (auto c : right.cells) {
        for (Index &n : c)
            n += offset;
        m.cells.push_back(c);
    }
    m.patchNames[1] = "joinLeft";
    const Index joinRight = m.patch("joinRight");
    for (auto q : right.boundary) {
        for (Index &n : q.nodes)
            n += offset;
        q.patch = right.patchNames[q.patch] == "xmin" ? joinRight : m.patch(right.patchNames[q.patch]);
        m.boundary.push_back(q);
    }
    return m;
}

class Join : public StepHooks
{
public:
    explicit Join(const Mesh &mesh)
        : mesh_(mesh), left_(mesh.patchFaces("joinLeft")), right_(mesh.patchFaces("joinRight")) {}
    void interfacePieces(double, const Geometry &g, InterfacePieces &pieces) override
    {
        pieces.clear();
        for (Index a : left_)
            for (Index b : right_) {
                if (std::fabs(g.centreY[a] - g.centreY[b]) > 1e-12 || std::fabs(g.centreZ[a] - g.centreZ[b]) > 1e-12)
                    continue;
                // Two halves of the face, split along y.
                const double dy = 0.25 * std::sqrt(g.area[a]);
                for (double side : {-1.0, 1.0})
                    pieces.add(mesh_.owner[a], mesh_.owner[b], 0.5 * g.areaX[a], 0.5 * g.areaY[a], 0.5 * g.areaZ[a],
                               g.centreX[a], g.centreY[a] + side * dy, g.centreZ[a]);
            }
    }
private:
    const Mesh &mesh_;
    std::vector<Index> left_, right_;
};

} // namespace

void TstFvNumerics::interfacePiecesJoinTwoParts()
{
    const BoxSpec box{3, 2, 2, 0.03, 0.02, 0.02};
    Solver solver(twoParts(box), fvtest::air());
    const Mesh &mesh = solver.mesh();
    solver.setBoundaryKind("joinLeft", BoundaryKind::Interface);
    solver.setBoundaryKind("joinRight", BoundaryKind::Interface);
    solver.reserveInterfacePieces(16);
    Join join(mesh);

    // A uniform gas at rest stays so: the pieces close the cells they join.
    solver.setUniformState(fvtest::restingAir());
    const double dt = solver.stableTimeStep(0.8);
    for (int i = 0; i < 50; ++i)
        solver.step(dt, join);
    QCOMPARE(solver.interfacePieces().count, 8);
    QVERIFY(fvtest::maxRelativeDeviation(solver, fvtest::restingAir()) < 1e-13);

    // A pulse in the left part reaches the right one; mass stays.
    const Geometry &g = solver.geometry();
    for (Index c = 0; c < mesh.cellCount(); ++c) {
        PointState s = fvtest::restingAir();
        if (g.cellX[c] < 0.01)
            s.p *= 1.5;
        solver.setCellState(c, s);
    }
    const Totals start = solver.totals();
    for (int i = 0; i < 40; ++i)
        solver.step(solver.stableTimeStep(0.8), join);
    const Totals end = solver.totals();
    QVERIFY(std::fabs(end.mass / start.mass - 1) < 1e-13);
    QVERIFY(std::fabs(end.energy / start.energy - 1) < 1e-13);
    double rightPressure = 0;
    for (Index c = 0; c < mesh.cellCount(); ++c)
        if (g.cellX[c] > 0.05)
            rightPressure = std::max(rightPressure, solver.primitives()[Pressure][c]);
    QVERIFY(rightPressure > 1.05e5);
}

QTEST_APPLESS_MAIN(TstFvNumerics)
#include "tst_fvnumerics.moc"
