// The chamber's O-grid: counts, closed and correctly oriented cells, the
// volume of the bore polygon, gradings as documented, and exact mirror
// symmetry of the node positions.
#include "chamber/chambermesh.h"
#include "io/pocketmesh.h"

#include <QtTest>

#include <array>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

using namespace euler;
using namespace euler::chamber;

Q_DECLARE_METATYPE(euler::chamber::ChamberMeshSpec)

class TstChamberMesh : public QObject
{
    Q_OBJECT

private slots:
    void countsAndVolume_data();
    void countsAndVolume();
    void cellsAreClosedAndOriented_data();
    void cellsAreClosedAndOriented();
    void boundaryFacesPointOutOfTheChamber();
    void nodesAreMirrorSymmetric_data();
    void nodesAreMirrorSymmetric();
    void ringsFollowTheGradings();
    void sideWallNodesLieOnTheBoreAtEqualAngles();
};

namespace {

ChamberMeshSpec spec(double rod, int n1, int n2, int n3, double gP = 0.5, double gR = 0.5)
{
    return {0.34, rod, n1, n2, n3, gP, gR};
}

Vec3 nodeAt(const fv::HexMesh &hex, Index n)
{
    return {hex.x[static_cast<size_t>(n)], hex.y[static_cast<size_t>(n)], hex.z[static_cast<size_t>(n)]};
}

// Faces of a hexahedron, counter-clockwise seen from outside (hexmesh.h).
constexpr int hexFaces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 3, 7, 4}, {3, 2, 6, 7}, {2, 1, 5, 6}, {1, 0, 4, 5}};

// Area vector of a quadrilateral, right-hand rule.
Vec3 quadArea(const std::array<Vec3, 4> &q)
{
    return 0.5 * cross(q[2] - q[0], q[3] - q[1]);
}

// Signed volume by the divergence theorem: positive when every face's
// right-hand normal points out of the cell.
double signedVolume(const fv::HexMesh &hex, const std::array<Index, 8> &cell)
{
    std::array<Vec3, 8> p;
    Vec3 centre;
    for (int k = 0; k < 8; ++k) {
        p[k] = nodeAt(hex, cell[k]);
        centre = centre + 0.125 * p[k];
    }
    double sixVolume = 0;
    for (const auto &f : hexFaces) {
        const Vec3 fc = 0.25 * (p[f[0]] + p[f[1]] + p[f[2]] + p[f[3]]);
        for (int e = 0; e < 4; ++e)
            sixVolume += dot(p[f[e]] - centre, cross(p[f[(e + 1) % 4]] - centre, fc - centre));
    }
    return sixVolume / 6;
}

double polygonArea(int sides, double radius)
{
    return 0.5 * sides * radius * radius * std::sin(2 * M_PI / sides);
}

std::array<Index, 4> sorted(std::array<Index, 4> n)
{
    std::sort(n.begin(), n.end());
    return n;
}

} // namespace

void TstChamberMesh::countsAndVolume_data()
{
    QTest::addColumn<ChamberMeshSpec>("spec");
    QTest::newRow("sample") << spec(0.05, 10, 2, 6);
    QTest::newRow("no rod") << spec(0, 4, 3, 2);
    QTest::newRow("rod, n2 = 0") << spec(0.05, 4, 0, 3);
    QTest::newRow("one cell each") << spec(0.1, 1, 1, 1, 1, 1);
}

void TstChamberMesh::countsAndVolume()
{
    QFETCH(ChamberMeshSpec, spec);
    const double gap = 0.004;
    const ChamberMesh mesh(spec, gap);
    const fv::HexMesh &hex = mesh.hex();
    const MeshCounts counts = meshCounts(spec);
    QCOMPARE(static_cast<double>(hex.cellCount()), counts.cells);
    QCOMPARE(static_cast<double>(hex.nodeCount()), counts.nodes);
    QCOMPARE(hex.cellCount(), mesh.cellsPerLayer() * spec.n3);
    QCOMPARE(static_cast<int>(mesh.zeta().size()), hex.nodeCount());

    const int nc = mesh.section().circumferential;
    QCOMPARE(nc, 4 * mesh.section().coreCells);
    QCOMPARE(mesh.section().coreCells % 2, 0);
    double volume = 0;
    for (const auto &cell : hex.cells)
        volume += signedVolume(hex, cell);
    const double expected = polygonArea(nc, spec.boreRadius) * gap;
    QVERIFY2(std::fabs(volume / expected - 1) < 1e-12, qPrintable(QString::number(volume / expected - 1)));

    // Faces: every cell face once inside, or once on the boundary.
    std::map<std::array<Index, 4>, int> uses;
    for (const auto &cell : hex.cells)
        for (const auto &f : hexFaces)
            ++uses[sorted({cell[f[0]], cell[f[1]], cell[f[2]], cell[f[3]]})];
    for (const auto &quad : hex.boundary)
        ++uses[sorted(quad.nodes)];
    for (const auto &[face, count] : uses)
        QCOMPARE(count, 2);
    QCOMPARE(static_cast<double>(uses.size()), counts.faces);
}

void TstChamberMesh::cellsAreClosedAndOriented_data()
{
    countsAndVolume_data();
}

// Every cell has positive volume, at the smallest gap and at a large one,
// and so do the 24 tetrahedra of its decomposition.
void TstChamberMesh::cellsAreClosedAndOriented()
{
    QFETCH(ChamberMeshSpec, spec);
    for (double gap : {0.004, 0.224}) {
        const ChamberMesh mesh(spec, gap);
        const fv::HexMesh &hex = mesh.hex();
        for (Index c = 0; c < hex.cellCount(); ++c) {
            const auto &cell = hex.cells[static_cast<size_t>(c)];
            Vec3 centre;
            for (Index n : cell)
                centre = centre + 0.125 * nodeAt(hex, n);
            for (const auto &f : hexFaces) {
                std::array<Vec3, 4> q;
                for (int k = 0; k < 4; ++k)
                    q[k] = nodeAt(hex, cell[f[k]]);
                const Vec3 fc = 0.25 * (q[0] + q[1] + q[2] + q[3]);
                for (int e = 0; e < 4; ++e) {
                    const double tet = dot(q[e] - centre, cross(q[(e + 1) % 4] - centre, fc - centre));
                    QVERIFY2(tet > 0, qPrintable(QStringLiteral("cell %1 gap %2").arg(c).arg(gap)));
                }
            }
        }
    }
}

void TstChamberMesh::boundaryFacesPointOutOfTheChamber()
{
    const double gap = 0.05;
    const ChamberMesh mesh(spec(0.05, 4, 2, 3), gap);
    const fv::HexMesh &hex = mesh.hex();
    QCOMPARE(hex.patchNames, (std::vector<std::string>{"head", "piston", "side"}));
    std::array<int, 3> count{};
    std::array<double, 3> area{};
    for (const auto &quad : hex.boundary) {
        std::array<Vec3, 4> q;
        for (int k = 0; k < 4; ++k)
            q[k] = nodeAt(hex, quad.nodes[k]);
        const Vec3 a = quadArea(q);
        const Vec3 c = 0.25 * (q[0] + q[1] + q[2] + q[3]);
        ++count[static_cast<size_t>(quad.patch)];
        area[static_cast<size_t>(quad.patch)] += std::sqrt(dot(a, a));
        switch (quad.patch) {
        case 0: QVERIFY(c.z == 0 && a.z < 0 && a.x == 0 && a.y == 0); break;
        case 1: QVERIFY(c.z == gap && a.z > 0 && a.x == 0 && a.y == 0); break;
        default: QVERIFY(std::fabs(a.z) < 1e-18 && a.x * c.x + a.y * c.y > 0); break;
        }
    }
    const int nc = mesh.section().circumferential;
    QCOMPARE(count[0], mesh.cellsPerLayer());
    QCOMPARE(count[1], mesh.cellsPerLayer());
    QCOMPARE(count[2], nc * 3);
    QVERIFY(std::fabs(area[0] / polygonArea(nc, 0.34) - 1) < 1e-12);
    QVERIFY(std::fabs(area[2] / (2 * nc * 0.34 * std::sin(M_PI / nc) * gap) - 1) < 1e-12);
}

void TstChamberMesh::nodesAreMirrorSymmetric_data()
{
    QTest::addColumn<ChamberMeshSpec>("spec");
    QTest::newRow("sample") << spec(0.05, 10, 2, 2);
    QTest::newRow("no rod, odd counts") << spec(0, 5, 0, 1, 0.3, 1);
}

// Reflections about the x axis, the y axis and the diagonal map the node set
// onto itself bit for bit: symmetric valves then see identical cells.
void TstChamberMesh::nodesAreMirrorSymmetric()
{
    QFETCH(ChamberMeshSpec, spec);
    const ChamberMesh mesh(spec, 0.1);
    const fv::HexMesh &hex = mesh.hex();
    std::set<std::tuple<double, double, double>> nodes;
    for (Index n = 0; n < hex.nodeCount(); ++n)
        nodes.insert({hex.x[static_cast<size_t>(n)], hex.y[static_cast<size_t>(n)], hex.z[static_cast<size_t>(n)]});
    QCOMPARE(static_cast<Index>(nodes.size()), hex.nodeCount());
    for (const auto &[x, y, z] : nodes) {
        QVERIFY(nodes.count({-x, y, z}));
        QVERIFY(nodes.count({x, -y, z}));
        QVERIFY(nodes.count({y, x, z}));
    }
}

// Radial widths within each block form a geometric series whose last/first
// ratio is the grading; the core's corners lie on the core radius.
void TstChamberMesh::ringsFollowTheGradings()
{
    const ChamberMeshSpec s = spec(0.1, 6, 3, 1, 0.4, 0.7);
    const CrossSection section = crossSection(s);
    QVERIFY(section.rodRing);
    QCOMPARE(section.rings(), 9);
    const std::vector<double> &r = section.ringRadii;
    QCOMPARE(r.front(), section.coreRadius);
    QCOMPARE(r[3], 0.1);
    QCOMPARE(r.back(), 0.34);
    QVERIFY(std::fabs((r[3] - r[2]) / (r[1] - r[0]) - 0.7) < 1e-12);
    QVERIFY(std::fabs((r[9] - r[8]) / (r[4] - r[3]) - 0.4) < 1e-12);

    const ChamberMesh mesh(s, 0.1);
    const int m = section.coreCells;
    const Index corner = mesh.coreNode(m, m);
    QVERIFY(std::fabs(std::hypot(mesh.hex().x[static_cast<size_t>(corner)], mesh.hex().y[static_cast<size_t>(corner)])
                      - section.coreRadius) < 1e-15);
    // Without a rod the rod cells are left out; with n2 = 0 the core reaches the rod.
    QVERIFY(!crossSection(spec(0, 6, 3, 1)).rodRing);
    QCOMPARE(crossSection(spec(0, 6, 3, 1)).rings(), 6);
    QCOMPARE(crossSection(spec(0.1, 6, 0, 1)).coreRadius, 0.1);
}

void TstChamberMesh::sideWallNodesLieOnTheBoreAtEqualAngles()
{
    const ChamberMesh mesh(spec(0.05, 10, 2, 2), 0.1);
    const fv::HexMesh &hex = mesh.hex();
    const int nc = mesh.section().circumferential;
    const int rings = mesh.section().rings();
    for (int l = 0; l < nc; ++l) {
        const Index n = mesh.node(1, mesh.ringNode(rings, l));
        const double x = hex.x[static_cast<size_t>(n)], y = hex.y[static_cast<size_t>(n)];
        QVERIFY(std::fabs(std::hypot(x, y) - 0.34) < 1e-15);
        double angle = std::atan2(y, x);
        if (angle < -1e-12)
            angle += 2 * M_PI;
        QVERIFY(std::fabs(angle - 2 * M_PI * l / nc) < 1e-14);
        QCOMPARE(hex.z[static_cast<size_t>(n)], 0.05);
    }
}

QTEST_GUILESS_MAIN(TstChamberMesh)
#include "tst_chambermesh.moc"
