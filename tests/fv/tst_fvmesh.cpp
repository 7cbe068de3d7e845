// The finite-volume mesh and its geometry: faces, owners and patches from a
// hexahedron mesh, the meshes it refuses, volumes and area vectors, the
// volumes faces sweep as nodes move, and the memory estimate.
#include "fvtestmeshes.h"

#include "io/pocketmesh.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace euler::fv;

class TstFvMesh : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { fvtest::trapFloatingPoint(); }
    void boxFacesOwnersAndPatches_data();
    void boxFacesOwnersAndPatches();
    void refusals_data();
    void refusals();
    void distortedCellsCloseAndMatchHexahedronVolume();
    void boxCellCentroidAndLengthScale();
    void sweptVolumesCloseEveryCell_data();
    void sweptVolumesCloseEveryCell();
    void sweptVolumeOfTranslationIsPrism();
    void memoryEstimateCoversTheArrays_data();
    void memoryEstimateCoversTheArrays();
};

namespace {

std::array<double, 3> faceArea(const Geometry &g, Index f) { return {g.areaX[f], g.areaY[f], g.areaZ[f]}; }

} // namespace

void TstFvMesh::boxFacesOwnersAndPatches_data()
{
    QTest::addColumn<int>("nx");
    QTest::addColumn<int>("ny");
    QTest::addColumn<int>("nz");
    QTest::newRow("one cell") << 1 << 1 << 1;
    QTest::newRow("channel") << 7 << 1 << 1;
    QTest::newRow("box") << 3 << 4 << 2;
}

void TstFvMesh::boxFacesOwnersAndPatches()
{
    QFETCH(int, nx);
    QFETCH(int, ny);
    QFETCH(int, nz);
    const BoxSpec spec{nx, ny, nz, 0.3, 0.2, 0.1};
    const Mesh mesh(boxMesh(spec));
    QCOMPARE(mesh.cellCount(), nx * ny * nz);
    QCOMPARE(mesh.internalFaceCount(), (nx - 1) * ny * nz + nx * (ny - 1) * nz + nx * ny * (nz - 1));
    QCOMPARE(mesh.boundaryFaceCount(), 2 * (ny * nz + nx * nz + nx * ny));

    // Internal faces ordered by owner, then neighbour; owner the lower cell.
    for (Index f = 0; f < mesh.internalFaceCount(); ++f) {
        QVERIFY(mesh.owner[f] < mesh.neighbour[f]);
        if (f > 0)
            QVERIFY(std::make_pair(mesh.owner[f - 1], mesh.neighbour[f - 1]) < std::make_pair(mesh.owner[f], mesh.neighbour[f]));
    }
    // Patches cover the boundary faces contiguously, in the given order.
    const std::pair<const char *, int> sizes[] = {{"xmin", ny * nz}, {"xmax", ny * nz}, {"ymin", nx * nz},
                                                  {"ymax", nx * nz}, {"zmin", nx * ny}, {"zmax", nx * ny}};
    Index next = mesh.internalFaceCount();
    for (const auto &[name, size] : sizes) {
        const Patch *p = mesh.patch(name);
        QVERIFY(p);
        QCOMPARE(p->start, next);
        QCOMPARE(p->size, size);
        next += size;
    }
    QCOMPARE(next, mesh.faceCount());
    QVERIFY(!mesh.patch("piston"));
    QVERIFY_THROWS_EXCEPTION(MeshError, mesh.patchFaces("piston"));

    // The gather lists every face once for its owner (as f) and once for its
    // neighbour (as ~f).
    std::vector<int> seenOwner(mesh.faceCount()), seenNeighbour(mesh.internalFaceCount());
    for (Index c = 0; c < mesh.cellCount(); ++c) {
        QCOMPARE(mesh.cellFaceStart[c + 1] - mesh.cellFaceStart[c], 6);
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const Index e = mesh.cellFaces[i];
            if (e >= 0) {
                QCOMPARE(mesh.owner[e], c);
                ++seenOwner[e];
            } else {
                QCOMPARE(mesh.neighbour[~e], c);
                ++seenNeighbour[~e];
            }
        }
    }
    QVERIFY(std::all_of(seenOwner.begin(), seenOwner.end(), [](int n) { return n == 1; }));
    QVERIFY(std::all_of(seenNeighbour.begin(), seenNeighbour.end(), [](int n) { return n == 1; }));

    // Area vectors point from owner to neighbour, and out of the box.
    const Geometry g = fvtest::geometryOf(mesh, fvtest::positionsOf(boxMesh(spec)));
    for (Index f = 0; f < mesh.faceCount(); ++f) {
        const auto a = faceArea(g, f);
        const Index o = mesh.owner[f];
        const double tx = f < mesh.internalFaceCount() ? g.cellX[mesh.neighbour[f]] : g.centreX[f];
        const double ty = f < mesh.internalFaceCount() ? g.cellY[mesh.neighbour[f]] : g.centreY[f];
        const double tz = f < mesh.internalFaceCount() ? g.cellZ[mesh.neighbour[f]] : g.centreZ[f];
        QVERIFY(a[0] * (tx - g.cellX[o]) + a[1] * (ty - g.cellY[o]) + a[2] * (tz - g.cellZ[o]) > 0);
    }
}

void TstFvMesh::refusals_data()
{
    QTest::addColumn<int>("defect");
    QTest::addColumn<QString>("message");
    QTest::newRow("unmatched face") << 0 << "face 2 of cell 0 is matched neither by another cell nor by a boundary quad";
    QTest::newRow("three cells on a face") << 1 << "is shared by more than two cells";
    QTest::newRow("quad not a face") << 2 << "boundary quad 22 is not a face of any cell";
    QTest::newRow("quad between cells") << 3 << "boundary quad 22 lies between cells 0 and 1";
    QTest::newRow("quad twice") << 4 << "boundary quads 0 and 22 are the same face";
    QTest::newRow("inverted cell") << 5 << "cell 1 is inverted or degenerate: its volume is not positive";
    QTest::newRow("flat cell") << 6 << "cell 0 is inverted or degenerate: its volume is not positive";
    QTest::newRow("twisted cell") << 7 << "cell 2 is inverted or degenerate at its face 1";
    QTest::newRow("node out of range") << 8 << "cell 1 refers to node 99, the mesh has 24 nodes";
    QTest::newRow("patch out of range") << 9 << "boundary quad 3 has patch 6, the mesh names 6 patches";
    // Found by fuzzing: every face of a cell and its copy paired up, the copy's
    // volume counted negative.
    QTest::newRow("cell repeated without its boundary") << 10 << "cells 0 and 1 overlap: they lie on the same side";
}

void TstFvMesh::refusals()
{
    QFETCH(int, defect);
    QFETCH(QString, message);
    // Two rows of three unit cells, 24 nodes, 22 boundary quads; cell 1 is
    // the middle one of the bottom row, cell 2 its end.
    HexMesh hex = boxMesh({3, 1, 2, 3, 1, 2});
    QCOMPARE(hex.nodeCount(), 24);
    QCOMPARE(hex.boundary.size(), std::size_t(22));
    auto touches = [&](const HexMesh::BoundaryQuad &q, Index cell) {
        const auto &c = hex.cells[cell];
        return std::all_of(q.nodes.begin(), q.nodes.end(),
                           [&](Index n) { return std::find(c.begin(), c.end(), n) != c.end(); });
    };
    switch (defect) {
    case 0: {
        const Index ymin = hex.patch("ymin");
        hex.boundary.erase(std::find_if(hex.boundary.begin(), hex.boundary.end(), [&](const auto &q) {
            return q.patch == ymin && touches(q, 0);
        }));
        break;
    }
    case 1:
        // A copy of cell 1 without its boundary quads: its outer faces pair
        // with the copy, its inner ones have three cells.
        hex.cells.push_back(hex.cells[1]);
        hex.boundary.erase(std::remove_if(hex.boundary.begin(), hex.boundary.end(),
                                          [&](const auto &q) { return touches(q, 1); }),
                           hex.boundary.end());
        break;
    case 2: hex.boundary.push_back({{0, 5, 10, 15}, 0}); break;
    case 3: {
        const auto &c = hex.cells[0]; // its face towards cell 1
        hex.boundary.push_back({{c[3], c[2], c[6], c[7]}, 0});
        break;
    }
    case 4: hex.boundary.push_back(hex.boundary[0]); break;
    case 5: {
        auto &c = hex.cells[1];
        std::swap_ranges(c.begin(), c.begin() + 4, c.begin() + 4);
        break;
    }
    case 6:
        for (int k : {2, 3, 6, 7})
            hex.x[hex.cells[0][k]] = 0;
        break;
    case 7:
        // The top face of cell 2 folded over itself: node 6 pulled back past
        // node 5, the volume still positive.
        hex.x[hex.cells[2][6]] = 1.6;
        break;
    case 8: hex.cells[1][5] = 99; break;
    case 9: hex.boundary[3].patch = 6; break;
    case 10: // cell 1 twice and nothing else
        hex.boundary.clear();
        hex.cells = {hex.cells[1], hex.cells[1]};
        break;
    }
    try {
        const Mesh mesh(hex);
        QFAIL("the mesh was accepted");
    } catch (const MeshError &e) {
        QVERIFY2(QString::fromStdString(e.what()).contains(message), e.what());
    }
}

void TstFvMesh::distortedCellsCloseAndMatchHexahedronVolume()
{
    const BoxSpec spec{6, 5, 4, 0.06, 0.03, 0.004};
    HexMesh hex = fvtest::distortedBox(spec, 0.3);
    const Mesh mesh(hex);
    const Geometry g = fvtest::geometryOf(mesh, fvtest::positionsOf(hex));

    double total = 0;
    for (Index c = 0; c < mesh.cellCount(); ++c) {
        double sum[3] = {0, 0, 0}, scale = 0;
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const Index e = mesh.cellFaces[i];
            const Index f = e >= 0 ? e : ~e;
            const double s = e >= 0 ? 1 : -1;
            sum[0] += s * g.areaX[f];
            sum[1] += s * g.areaY[f];
            sum[2] += s * g.areaZ[f];
            scale = std::max(scale, g.area[f]);
        }
        for (double v : sum)
            QVERIFY2(std::fabs(v) < 1e-15 * scale, qPrintable(QString("cell %1: %2").arg(c).arg(v)));
        std::array<euler::Vec3, 8> corners;
        for (int k = 0; k < 8; ++k) {
            const Index n = hex.cells[c][k];
            corners[k] = {hex.x[n], hex.y[n], hex.z[n]};
        }
        QVERIFY(std::fabs(g.volume[c] / euler::hexahedronVolume(corners) - 1) < 1e-13);
        total += g.volume[c];
    }
    QVERIFY(std::fabs(total / (spec.lx * spec.ly * spec.lz) - 1) < 1e-13);
}

void TstFvMesh::boxCellCentroidAndLengthScale()
{
    const BoxSpec spec{1, 1, 1, 0.03, 0.02, 0.0007};
    HexMesh hex = boxMesh(spec);
    for (double &x : hex.x)
        x += 0.4; // away from the origin, where rounding shows
    const Mesh mesh(hex);
    const Geometry g = fvtest::geometryOf(mesh, fvtest::positionsOf(hex));
    QVERIFY(std::fabs(g.cellX[0] - 0.415) < 1e-15);
    QVERIFY(std::fabs(g.cellY[0] - 0.01) < 1e-15);
    QVERIFY(std::fabs(g.cellZ[0] - 0.00035) < 1e-16);
    QVERIFY(std::fabs(g.volume[0] / (0.03 * 0.02 * 0.0007) - 1) < 1e-13);
    QVERIFY(std::fabs(g.lengthScale[0] * (1 / 0.03 + 1 / 0.02 + 1 / 0.0007) - 1) < 1e-13);
}

void TstFvMesh::sweptVolumesCloseEveryCell_data()
{
    QTest::addColumn<double>("step");
    QTest::newRow("small move") << 1e-4;
    QTest::newRow("large move") << 0.3;
}

// The geometric conservation law: what the faces of a cell sweep is the
// change of its volume, for a general motion of every node.
void TstFvMesh::sweptVolumesCloseEveryCell()
{
    QFETCH(double, step);
    const BoxSpec spec{5, 4, 3, 0.05, 0.04, 0.006};
    HexMesh hex = fvtest::distortedBox(spec, 0.2);
    const Mesh mesh(hex);
    const NodePositions from = fvtest::positionsOf(hex);
    NodePositions to = from;
    QRandomGenerator random(7);
    for (Index n = 0; n < hex.nodeCount(); ++n) {
        to.x[n] += step * 0.01 * std::sin(40 * from.z[n] + 3 * from.y[n]);
        to.y[n] += step * 0.008 * std::cos(50 * from.x[n]);
        to.z[n] += step * 0.002 * (std::sin(30 * from.x[n] + 20 * from.y[n]) + 0.1 * random.generateDouble());
    }
    const Geometry g0 = fvtest::geometryOf(mesh, from), g1 = fvtest::geometryOf(mesh, to);
    std::vector<double> swept;
    sweptVolumes(mesh, from, to, swept);
    double worst = 0;
    for (Index c = 0; c < mesh.cellCount(); ++c) {
        double sum = 0;
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const Index e = mesh.cellFaces[i];
            sum += e >= 0 ? swept[e] : -swept[~e];
        }
        worst = std::max(worst, std::fabs(sum - (g1.volume[c] - g0.volume[c])) / g0.volume[c]);
    }
    QVERIFY2(worst < 1e-13, qPrintable(QString::number(worst)));

    // Faces whose nodes stay sweep exactly nothing.
    sweptVolumes(mesh, from, from, swept);
    QVERIFY(std::all_of(swept.begin(), swept.end(), [](double s) { return s == 0; }));
}

void TstFvMesh::sweptVolumeOfTranslationIsPrism()
{
    const BoxSpec spec{2, 2, 2, 1, 1, 1};
    HexMesh hex = fvtest::distortedBox(spec, 0.4);
    const Mesh mesh(hex);
    const NodePositions from = fvtest::positionsOf(hex);
    NodePositions to = from;
    const double d[3] = {0.01, -0.02, 0.03};
    for (Index n = 0; n < hex.nodeCount(); ++n) {
        to.x[n] += d[0];
        to.y[n] += d[1];
        to.z[n] += d[2];
    }
    const Geometry g = fvtest::geometryOf(mesh, from);
    std::vector<double> swept;
    sweptVolumes(mesh, from, to, swept);
    for (Index f = 0; f < mesh.faceCount(); ++f) {
        const double prism = d[0] * g.areaX[f] + d[1] * g.areaY[f] + d[2] * g.areaZ[f];
        QVERIFY(std::fabs(swept[f] - prism) < 1e-15);
    }
}

void TstFvMesh::memoryEstimateCoversTheArrays_data()
{
    QTest::addColumn<bool>("stretch");
    QTest::newRow("node positions") << false;
    QTest::newRow("axial stretch") << true;
}

void TstFvMesh::memoryEstimateCoversTheArrays()
{
    QFETCH(bool, stretch);
    const HexMesh hex = boxMesh({12, 10, 8, 1, 1, 1});
    Solver solver(hex, fvtest::air());
    solver.reserveInterfacePieces(64); // the gradients are kept for them
    if (stretch) {
        std::vector<Index> nodes(hex.nodeCount());
        for (Index n = 0; n < hex.nodeCount(); ++n)
            nodes[n] = n;
        solver.setAxialStretch(nodes, hex.z, 1.0);
    }
    const double used = double(solver.memoryInUse());
    const Mesh &m = solver.mesh();
    const double exact = solverMemoryEstimate(m.cellCount(), m.nodeCount(), m.faceCount(), stretch);
    QVERIFY2(exact >= used && exact < 1.25 * used, qPrintable(QString("%1 for %2").arg(exact).arg(used)));
    // The rule of thumb from the cell count alone is close for a block mesh.
    const double rough = solverMemoryEstimate(m.cellCount(), stretch);
    QVERIFY(rough > 0.9 * exact && rough < 1.3 * exact);
    // Absurd counts give an absurd figure, not an overflow.
    QVERIFY(solverMemoryEstimate(1e18) > 1e20);
}

QTEST_APPLESS_MAIN(TstFvMesh)
#include "tst_fvmesh.moc"
