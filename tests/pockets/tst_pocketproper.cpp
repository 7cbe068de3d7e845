// The pocket proper of the mapped pocket mesh: the whole file read into a
// hexahedron mesh, the cells beyond the bore kept with their opening on it,
// the copies placed round the bore, and every mesh refused with its reason.
#include "pocketfixtures.h"

#include "fv/geometry.h"
#include "fv/mesh.h"
#include "pockets/pocketcolumns.h"
#include "io/inputerror.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>

using namespace pockettest;

class TstPocketProper : public QObject
{
    Q_OBJECT

private slots:
    void readsTheWholeReferenceMesh();
    void keepsThePocketZone_data();
    void keepsThePocketZone();
    void coneHeightLeavesThePocketAlone();
    void columnsMergeIntoOneCellEach();
    void bentColumnsStayAsTheyAre_data();
    void bentColumnsStayAsTheyAre();
    void refusedMeshes_data();
    void refusedMeshes();
    void refusedFiles_data();
    void refusedFiles();
    void placesRotatedCopies();
    void refusesOverlappingPockets_data();
    void refusesOverlappingPockets();
};

namespace {

int facesOf(const fv::HexMesh &hex, PocketPatch patch)
{
    int n = 0;
    for (const auto &q : hex.boundary)
        n += q.patch == patch;
    return n;
}

// The pocket proper's volume by quadrature: the depth c - s(y) from the bore
// to the seat, over the disk of the pocket's radius.
double exactPocketVolume(double R, double r, double h)
{
    const double c = std::sqrt(R * R - r * r) + h;
    const int n = 4000;
    double v = 0;
    for (int i = 0; i < n; ++i) {
        const double y = -r + (i + 0.5) * 2 * r / n;
        v += (c - std::sqrt(R * R - y * y)) * 2 * std::sqrt(r * r - y * y) * 2 * r / n;
    }
    return v;
}

std::string refusal(const std::function<void()> &f)
{
    try {
        f();
    } catch (const RunError &e) {
        return e.what();
    }
    return "(accepted)";
}

} // namespace

void TstPocketProper::readsTheWholeReferenceMesh()
{
    const fv::HexMesh hex = referenceMesh();
    QCOMPARE(hex.nodeCount(), 4148);
    QCOMPARE(hex.cellCount(), 3600);
    QCOMPARE(int(hex.boundary.size()), 1026);
    QCOMPARE(hex.patchNames, (std::vector<std::string>{"bore_opening", "pocket_wall", "valve_seat"}));
    // Scaled to metres: the seat lies at c0 = a0 + 19 mm.
    const double seat = *std::max_element(hex.x.begin(), hex.x.end());
    QVERIFY(std::fabs(seat - (std::sqrt(0.34 * 0.34 - 0.1 * 0.1) + 0.019)) < 1e-9);
    QCOMPARE(facesOf(hex, ValveSeat), 225);
    // It is a closed mesh as it stands.
    const fv::Mesh mesh(hex);
    QCOMPARE(mesh.cellCount(), 3600);
}

void TstPocketProper::keepsThePocketZone_data()
{
    QTest::addColumn<double>("R");
    QTest::addColumn<double>("r");
    QTest::addColumn<double>("k");
    QTest::addColumn<double>("h");
    QTest::newRow("reference") << 340.0 << 100.0 << 40.0 << 19.0;
    QTest::newRow("small bore, deep pocket") << 250.0 << 80.0 << 30.0 << 25.0;
    QTest::newRow("narrow pocket") << 340.0 << 40.0 << 10.0 << 8.0;
}

void TstPocketProper::keepsThePocketZone()
{
    QFETCH(double, R);
    QFETCH(double, r);
    QFETCH(double, k);
    QFETCH(double, h);
    const PocketProper p = pocketProper(mappedMesh(R, r, k, h), R * 1e-3, "mapped");
    // The six pocket layers of the O-grid, 225 cells each.
    QCOMPARE(p.hex.cellCount(), 6 * 225);
    QCOMPARE(int(p.sourceCell.size()), 6 * 225);
    QCOMPARE(p.sourceCell.front(), 10 * 225);
    QCOMPARE(facesOf(p.hex, BoreOpening), 225);
    QCOMPARE(facesOf(p.hex, ValveSeat), 225);
    QCOMPARE(facesOf(p.hex, PocketWall), 6 * 36);
    // Every opening node on the bore; the pocket closes as a mesh.
    for (const auto &q : p.hex.boundary)
        if (q.patch == BoreOpening)
            for (Index n : q.nodes)
                QVERIFY(std::fabs(std::hypot(p.hex.x[n], p.hex.y[n]) / (R * 1e-3) - 1) < 1e-8);
    QCOMPARE(fv::Mesh(p.hex).boundaryFaceCount(), 225 + 225 + 6 * 36);
    // The O-grid's 36-gon holds 0.5 % less than the disk.
    const double exact = exactPocketVolume(R * 1e-3, r * 1e-3, h * 1e-3);
    QVERIFY2(std::fabs(p.volume / exact - 1) < 0.01, qPrintable(QString::number(p.volume / exact)));
    QVERIFY(std::fabs(p.halfAngle - std::asin(r / R)) < 0.01 * std::asin(r / R));
}

void TstPocketProper::coneHeightLeavesThePocketAlone()
{
    const PocketProper a = pocketProper(mappedMesh(340, 100, 40, 19), 0.34, "a");
    const PocketProper b = pocketProper(mappedMesh(340, 100, 75, 19), 0.34, "b");
    QCOMPARE(a.hex.x, b.hex.x);
    QCOMPARE(a.hex.y, b.hex.y);
    QCOMPARE(a.hex.z, b.hex.z);
    QCOMPARE(a.volume, b.volume);
}

namespace {

double smallestLengthScale(const fv::HexMesh &hex)
{
    const fv::Mesh mesh(hex);
    fv::NodePositions nodes;
    nodes.assign(hex);
    fv::Geometry g;
    g.resize(mesh);
    g.update(mesh, nodes);
    return *std::min_element(g.lengthScale.begin(), g.lengthScale.end());
}

} // namespace

void TstPocketProper::columnsMergeIntoOneCellEach()
{
    const PocketProper layered = pocketProper(referenceMesh(), 0.34, "reference");
    PocketProper merged = layered;
    QVERIFY(mergeColumns(merged));
    QCOMPARE(merged.hex.cellCount(), 225);
    QCOMPARE(merged.hex.nodeCount(), 2 * 244); // both ends of the O-grid
    QCOMPARE(facesOf(merged.hex, BoreOpening), 225);
    QCOMPARE(facesOf(merged.hex, ValveSeat), 225);
    QCOMPARE(facesOf(merged.hex, PocketWall), 36);
    QVERIFY(std::fabs(merged.volume / layered.volume - 1) < 1e-12);
    QCOMPARE(merged.halfAngle, layered.halfAngle);
    // Cells as thick as the pocket is deep, 4 mm at its middle.
    QVERIFY(smallestLengthScale(layered.hex) < 0.7e-3);
    QVERIFY(smallestLengthScale(merged.hex) > 2e-3);
    // The opening is the same faces, node for node.
    const auto openingNodes = [](const PocketProper &p) {
        std::vector<std::array<double, 3>> nodes;
        for (const auto &q : p.hex.boundary)
            if (q.patch == BoreOpening)
                for (Index n : q.nodes)
                    nodes.push_back({p.hex.x[n], p.hex.y[n], p.hex.z[n]});
        return nodes;
    };
    QCOMPARE(openingNodes(merged), openingNodes(layered));
    // Merging again changes nothing.
    PocketProper twice = merged;
    QVERIFY(mergeColumns(twice));
    QCOMPARE(twice.hex.cells, merged.hex.cells);
}

void TstPocketProper::bentColumnsStayAsTheyAre_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("a bent node line") << 0;
    QTest::newRow("a column ending on the wall") << 1;
}

void TstPocketProper::bentColumnsStayAsTheyAre()
{
    QFETCH(int, fault);
    PocketProper p = pocketProper(referenceMesh(), 0.34, "reference");
    if (fault == 0) {
        // A node of a cell in the fourth layer, inside the pocket.
        const Index n = p.hex.cells[700][0];
        p.hex.y[n] += 1e-4;
    } else {
        for (auto &q : p.hex.boundary)
            if (q.patch == ValveSeat) {
                q.patch = PocketWall;
                break;
            }
    }
    const PocketProper before = p;
    QVERIFY(!mergeColumns(p));
    QCOMPARE(p.hex.cells, before.hex.cells);
    QCOMPARE(p.hex.x, before.hex.x);
}

void TstPocketProper::refusedMeshes_data()
{
    QTest::addColumn<std::function<fv::HexMesh()>>("mesh");
    QTest::addColumn<QString>("reason");
    const auto reference = [] { return referenceMesh(); };
    const auto pocketOnly = [] { return pocketProper(referenceMesh(), 0.34, "reference").hex; };
    QTest::newRow("inverted cell") << std::function<fv::HexMesh()>([=] {
        fv::HexMesh hex = reference();
        auto &c = hex.cells[2500];
        std::swap_ranges(c.begin(), c.begin() + 4, c.begin() + 4);
        return hex;
    }) << "hexahedron 2501 is inverted or degenerate";
    QTest::newRow("open mesh") << std::function<fv::HexMesh()>([=] {
        fv::HexMesh hex = reference();
        hex.boundary.pop_back();
        return hex;
    }) << "do not form a closed mesh";
    QTest::newRow("all inside the bore") << std::function<fv::HexMesh()>([=] {
        fv::HexMesh hex = reference();
        for (double &x : hex.x)
            x -= 0.03;
        return hex;
    }) << "no hexahedron lies outside the bore surface (radius 0.34 m)";
    QTest::newRow("cells across the bore") << std::function<fv::HexMesh()>([=] {
        fv::HexMesh hex = reference();
        for (double &x : hex.x)
            x += 0.002;
        return hex;
    }) << "crosses the bore surface";
    QTest::newRow("pocket short of the bore") << std::function<fv::HexMesh()>([=] {
        fv::HexMesh hex = pocketOnly();
        for (double &x : hex.x)
            x += 0.005;
        return hex;
    }) << "does not reach the bore: its opening (bore_opening faces) lies up to 4.99";
    QTest::newRow("no opening") << std::function<fv::HexMesh()>([=] {
        fv::HexMesh hex = pocketOnly();
        for (auto &q : hex.boundary)
            if (q.patch == BoreOpening)
                q.patch = PocketWall;
        return hex;
    }) << "does not reach the bore: it has no opening";
}

void TstPocketProper::refusedMeshes()
{
    QFETCH(std::function<fv::HexMesh()>, mesh);
    QFETCH(QString, reason);
    const fv::HexMesh hex = mesh();
    const QString message = QString::fromStdString(refusal([&] { pocketProper(hex, 0.34, "pocket.msh"); }));
    QVERIFY2(message.startsWith("pocket.msh: ") && message.contains(reason), qPrintable(message));
}

void TstPocketProper::refusedFiles_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    const QString nodes = "8 nodes\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n";
    const QString cell = "1 hexahedra\n1 2 3 4 5 6 7 8\n";
    QTest::newRow("count beyond the file") << "2000000000 nodes\n0 0 0\n"
                                           << "line 1: ends early: node count 2000000000 exceeds the 1 lines that follow";
    QTest::newRow("node out of range") << nodes + "1 hexahedra\n1 2 3 4 5 6 7 9\n" << "line 11: node number \"9\"";
    QTest::newRow("unknown patch") << nodes + cell + "1 boundary faces\n1 2 3 4 inlet" << "unknown patch \"inlet\"";
    QTest::newRow("short face line") << nodes + cell + "1 boundary faces\n1 2 3 valve_seat"
                                     << "line 13: a boundary face needs four node numbers and a patch";
    QTest::newRow("faces missing") << nodes + cell + "2 boundary faces\n1 2 3 4 valve_seat\n"
                                   << "exceeds the 1 lines that follow";
}

void TstPocketProper::refusedFiles()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath("broken.msh");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toLatin1());
    file.close();
    const QString message = QString::fromStdString(refusal([&] { readPocketHexMesh(path.toStdString(), 0.001); }));
    QVERIFY2(message.startsWith(path) && message.contains(reason), qPrintable(message));
}

void TstPocketProper::placesRotatedCopies()
{
    const JoinCase c(sampleAngles(), 24, 6);
    QCOMPARE(c.placed.count(), 4);
    QCOMPARE(c.hex.cellCount(), 4 * 1350);
    QCOMPARE(c.placed.pocketOfCell(1349), 0);
    QCOMPARE(c.placed.pocketOfCell(1350), 1);
    QCOMPARE(c.placed.pocketOfCell(4 * 1350), -1);
    // Each copy's seat centre lies on its axis at c from the cylinder axis.
    const double seat = std::sqrt(0.34 * 0.34 - 0.1 * 0.1) + 0.019;
    for (int p = 0; p < 4; ++p) {
        double x = 0, y = 0;
        int n = 0;
        for (const auto &q : c.hex.boundary)
            if (c.hex.patchNames[q.patch] == "valve_seat" && c.placed.pocketOfNode(q.nodes[0]) == p)
                for (Index k : q.nodes)
                    x += c.hex.x[k], y += c.hex.y[k], ++n;
        QVERIFY(std::fabs(x / n - seat * std::cos(c.placed.angles[p])) < 1e-6);
        QVERIFY(std::fabs(y / n - seat * std::sin(c.placed.angles[p])) < 1e-6);
    }
    // Every copy has the same opening polygons.
    QCOMPARE(int(c.openings.size()), 4 * 225);
    for (int o = 0; o < 225; ++o)
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(c.openings[o].polygon.p[k].a, c.openings[o + 3 * 225].polygon.p[k].a);
            QCOMPARE(c.openings[o].polygon.p[k].z, c.openings[o + 3 * 225].polygon.p[k].z);
        }
}

void TstPocketProper::refusesOverlappingPockets_data()
{
    QTest::addColumn<double>("second");
    QTest::addColumn<bool>("refused");
    // The reference pocket spans 2 asin(100/340) = 34.2 degrees.
    QTest::newRow("sample spacing") << 150.0 << false;
    QTest::newRow("just apart") << 30.0 + 34.3 << false;
    QTest::newRow("overlapping") << 30.0 + 34.0 << true;
    QTest::newRow("across zero") << 30.0 - 34.0 + 360.0 << true;
    QTest::newRow("same angle") << 30.0 << true;
}

void TstPocketProper::refusesOverlappingPockets()
{
    QFETCH(double, second);
    QFETCH(bool, refused);
    const PocketProper p = pocketProper(referenceMesh(), 0.34, "reference");
    const std::vector<double> angles{30 * M_PI / 180, second * M_PI / 180};
    const QString message = QString::fromStdString(
        refusal([&] { checkPocketsApart(p, angles, {"suction valve 1", "discharge valve 1"}, "InputValves.txt"); }));
    if (!refused) {
        QCOMPARE(message, QString("(accepted)"));
        return;
    }
    QVERIFY2(message.startsWith("InputValves.txt: the pockets of suction valve 1 (30 deg) and discharge valve 1"),
             qPrintable(message));
    QVERIFY2(message.contains("overlap: each spans 34."), qPrintable(message));
}

QTEST_GUILESS_MAIN(TstPocketProper)
#include "tst_pocketproper.moc"
