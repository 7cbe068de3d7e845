// The pocket proper of the mapped pocket mesh: the whole file read into a
// hexahedron mesh, cut at the head plane, the cells beyond the bore kept with
// their opening on it and the recess behind the head with its opening on the
// head plane, the copies placed round the bore, and every mesh refused with
// its reason.
#include "pocketfixtures.h"

#include "fv/geometry.h"
#include "fv/mesh.h"
#include "pockets/headplane.h"
#include "pockets/pocketcolumns.h"
#include "io/inputerror.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>
#include <set>

using namespace pockettest;

class TstPocketProper : public QObject
{
    Q_OBJECT

private slots:
    void readsTheWholeReferenceMesh();
    void cutsAtTheHeadPlane();
    void refusesACellCrossingTheHeadPlaneAskew();
    void keepsThePocketAndItsRecess_data();
    void keepsThePocketAndItsRecess();
    void coneHeightShapesOnlyTheRecess();
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

Index facesOf(const fv::HexMesh &hex, const char *patch)
{
    const auto found = std::find(hex.patchNames.begin(), hex.patchNames.end(), patch);
    Index n = 0;
    for (const auto &q : hex.boundary)
        n += found != hex.patchNames.end() && q.patch == found - hex.patchNames.begin();
    return n;
}

double radiusOf(const fv::HexMesh &hex, Index n) { return std::hypot(hex.x[n], hex.y[n]); }

double volumeOf(const fv::HexMesh &hex, Index first, Index end)
{
    fv::HexMesh part = hex;
    part.cells.assign(hex.cells.begin() + first, hex.cells.begin() + end);
    return pocketVolume(part);
}

// The recess's volume: half the cone zone (the frustum from the rim's radius
// r at a to 1.3 r, the reference mesh's flare, at the cone height k inside
// it) and half the transition zone (from a to the bore, over the rim's disk).
double exactRecessVolume(double R, double r, double k)
{
    const double a = std::sqrt(R * R - r * r), r1 = 1.3 * r;
    const double cone = M_PI * k * (r * r + r * r1 + r1 * r1) / 3;
    const int n = 4000;
    double transition = 0;
    for (int i = 0; i < n; ++i) {
        const double y = -r + (i + 0.5) * 2 * r / n;
        transition += (std::sqrt(R * R - y * y) - a) * 2 * std::sqrt(r * r - y * y) * 2 * r / n;
    }
    return 0.5 * (cone + transition);
}

Index patchOfFace(const fv::Mesh &mesh, const fv::HexMesh &hex, Index f)
{
    for (const fv::Patch &patch : mesh.patches())
        if (f >= patch.start && f < patch.start + patch.size)
            return Index(std::find(hex.patchNames.begin(), hex.patchNames.end(), patch.name) - hex.patchNames.begin());
    return -1;
}

// The pocket's cells without the recess; the faces they shared with it
// become openings again.
fv::HexMesh pocketPart(const PocketProper &p)
{
    fv::HexMesh hex = p.hex;
    hex.cells.resize(static_cast<size_t>(p.properCells()));
    hex.boundary.clear();
    const fv::Mesh whole(p.hex);
    for (Index f = 0; f < whole.faceCount(); ++f) {
        const bool internal = f < whole.internalFaceCount();
        const Index owner = whole.owner[f], other = internal ? whole.neighbour[f] : -1;
        if (owner >= p.properCells() || (internal && other < p.properCells()))
            continue;
        fv::HexMesh::BoundaryQuad q;
        std::copy_n(&whole.faceNodes[4 * static_cast<size_t>(f)], 4, q.nodes.begin());
        q.patch = internal ? Index(BoreOpening) : patchOfFace(whole, p.hex, f);
        hex.boundary.push_back(q);
    }
    return hex;
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

// The O-grid's middle row lies across the head plane: its cells become two
// each, their parts meet on the plane, and the volume stays.
void TstPocketProper::cutsAtTheHeadPlane()
{
    const fv::HexMesh mapped = referenceMesh();
    const HeadPlaneSplit split = splitAtHeadPlane(mapped, 0.34, "reference");
    const Index across = split.hex.cellCount() - mapped.cellCount();
    QCOMPARE(across, 170 + 102); // 17 of the 225 columns, ten layers inside the bore and six beyond it
    QCOMPARE(int(split.sourceCell.size()), split.hex.cellCount());
    QVERIFY(std::fabs(pocketVolume(split.hex) / pocketVolume(mapped) - 1) < 1e-10);
    for (const auto &cell : split.hex.cells) {
        double lo = 1, hi = -1;
        for (Index n : cell)
            lo = std::min(lo, split.hex.z[n]), hi = std::max(hi, split.hex.z[n]);
        QVERIFY(lo >= 0 || hi <= 0);
    }
    for (Index n = mapped.nodeCount(); n < split.hex.nodeCount(); ++n)
        QCOMPARE(split.hex.z[n], 0.0);
    QCOMPARE(fv::Mesh(split.hex).boundaryFaceCount(), Index(split.hex.boundary.size()));
}

void TstPocketProper::refusesACellCrossingTheHeadPlaneAskew()
{
    fv::HexMesh hex = referenceMesh();
    // A node of a cell across the plane moved to the other side.
    for (Index c = 0; c < hex.cellCount(); ++c) {
        const auto &cell = hex.cells[c];
        if (hex.z[cell[0]] < 0 && hex.z[cell[1]] > 0) {
            hex.z[cell[1]] = -1e-4;
            const QString message = QString::fromStdString(refusal([&] { pocketProper(hex, 0.34, "pocket.msh"); }));
            QVERIFY2(message.startsWith("pocket.msh: hexahedron ") && message.contains("crosses the head plane z = 0"),
                     qPrintable(message));
            return;
        }
    }
    QFAIL("no cell across the head plane");
}

void TstPocketProper::keepsThePocketAndItsRecess_data()
{
    QTest::addColumn<double>("R");
    QTest::addColumn<double>("r");
    QTest::addColumn<double>("k");
    QTest::addColumn<double>("h");
    QTest::newRow("reference") << 340.0 << 100.0 << 40.0 << 19.0;
    QTest::newRow("small bore, deep pocket") << 250.0 << 80.0 << 30.0 << 25.0;
    QTest::newRow("narrow pocket") << 340.0 << 40.0 << 10.0 << 8.0;
}

void TstPocketProper::keepsThePocketAndItsRecess()
{
    QFETCH(double, R);
    QFETCH(double, r);
    QFETCH(double, k);
    QFETCH(double, h);
    const double bore = R * 1e-3;
    const PocketProper p = pocketProper(mappedMesh(R, r, k, h), bore, "mapped");
    // The six pocket layers of the O-grid's 242 columns (225, 17 of them cut
    // at the head plane); the recess's 121 columns behind the plane, their
    // four transition and six cone layers merged into three cells each, none
    // shorter than a sixth of any column.
    QCOMPARE(p.properCells(), 6 * 242);
    QCOMPARE(p.recessCells, Index(3 * 121));
    QCOMPARE(int(p.sourceCell.size()), p.hex.cellCount());
    QCOMPARE(facesOf(p.hex, ValveSeat), 242);
    QCOMPARE(facesOf(p.hex, BoreOpening), 121);
    QCOMPARE(facesOf(p.hex, headOpeningPatch), Index(3 * 17));
    for (Index c = 0; c < p.hex.cellCount(); ++c)
        for (Index n : p.hex.cells[c]) {
            if (c < p.properCells())
                QVERIFY(radiusOf(p.hex, n) >= bore * (1 - 1e-6));
            else
                QVERIFY(radiusOf(p.hex, n) <= bore * (1 + 1e-6) && p.hex.z[n] <= 0);
        }
    // The opening on the bore in front of the head plane, the recess's on the plane.
    for (const auto &q : p.hex.boundary)
        for (Index n : q.nodes) {
            if (q.patch == BoreOpening)
                QVERIFY(std::fabs(radiusOf(p.hex, n) / bore - 1) < 1e-8 && p.hex.z[n] >= 0);
            if (p.hex.patchNames[q.patch] == headOpeningPatch)
                QVERIFY(p.hex.z[n] == 0 && radiusOf(p.hex, n) <= bore * (1 + 1e-8));
        }
    fv::Mesh(p.hex); // closes
    // The O-grid's 36-gon holds 0.5 % less than the disk; the recess's
    // merged columns run straight from the cone's far end to the bore.
    const double pocket = volumeOf(p.hex, 0, p.properCells());
    const double exact = exactPocketVolume(bore, r * 1e-3, h * 1e-3);
    QVERIFY2(std::fabs(pocket / exact - 1) < 0.01, qPrintable(QString::number(pocket / exact)));
    const double recess = p.volume - pocket, exactRecess = exactRecessVolume(bore, r * 1e-3, k * 1e-3);
    QVERIFY2(std::fabs(recess / exactRecess - 1) < 0.05, qPrintable(QString::number(recess / exactRecess)));
    // Behind the head the cone widens to 1.3 r, as far round the axis as
    // atan(1.3 r / (a - k)).
    const double a = std::sqrt(R * R - r * r);
    QVERIFY(std::fabs(p.halfAngle - std::atan(1.3 * r / (a - k))) < 0.01 * p.halfAngle);
}

void TstPocketProper::coneHeightShapesOnlyTheRecess()
{
    const PocketProper a = pocketProper(mappedMesh(340, 100, 40, 19), 0.34, "a");
    const PocketProper b = pocketProper(mappedMesh(340, 100, 75, 19), 0.34, "b");
    QCOMPARE(a.hex.cells, b.hex.cells);
    const auto pocketNodes = [](const PocketProper &p) {
        std::set<std::array<double, 3>> nodes;
        for (Index c = 0; c < p.properCells(); ++c)
            for (Index n : p.hex.cells[c])
                nodes.insert({p.hex.x[n], p.hex.y[n], p.hex.z[n]});
        return nodes;
    };
    QCOMPARE(pocketNodes(a), pocketNodes(b));
    QCOMPARE(volumeOf(a.hex, 0, a.properCells()), volumeOf(b.hex, 0, b.properCells()));
    QVERIFY(b.volume - a.volume > 0.5 * (exactRecessVolume(0.34, 0.1, 0.075) - exactRecessVolume(0.34, 0.1, 0.04)));
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
    QCOMPARE(merged.properCells(), 242);
    QCOMPARE(merged.recessCells, layered.recessCells);
    QCOMPARE(facesOf(merged.hex, BoreOpening), 121);
    QCOMPARE(facesOf(merged.hex, ValveSeat), 242);
    QCOMPARE(facesOf(merged.hex, headOpeningPatch), facesOf(layered.hex, headOpeningPatch));
    // The rim's 36 faces round the pocket, two of them cut at the head plane,
    // once instead of six times; the recess's walls stay.
    QCOMPARE(facesOf(merged.hex, PocketWall), facesOf(layered.hex, PocketWall) - 5 * 38);
    QVERIFY(std::fabs(merged.volume / layered.volume - 1) < 1e-10);
    QCOMPARE(merged.halfAngle, layered.halfAngle);
    // Cells as thick as the pocket is deep, 4 mm at its middle.
    QVERIFY(smallestLengthScale(layered.hex) < 0.7e-3);
    // thicker than the chamber's at top dead centre (the sample's 4 mm gap in six layers)
    QVERIFY(smallestLengthScale(merged.hex) > 1.5e-3);
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
    const auto pocketOnly = [] { return pocketPart(pocketProper(referenceMesh(), 0.34, "reference")); };
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
    const Index each = c.pocket.hex.cellCount();
    QCOMPARE(c.hex.cellCount(), 4 * each);
    QCOMPARE(c.placed.pocketOfCell(each - 1), 0);
    QCOMPARE(c.placed.pocketOfCell(each), 1);
    QCOMPARE(c.placed.pocketOfCell(4 * each), -1);
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
    QCOMPARE(int(c.openings.size()), 4 * 121);
    for (int o = 0; o < 121; ++o)
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(c.openings[o].polygon.p[k].a, c.openings[o + 3 * 121].polygon.p[k].a);
            QCOMPARE(c.openings[o].polygon.p[k].z, c.openings[o + 3 * 121].polygon.p[k].z);
        }
}

void TstPocketProper::refusesOverlappingPockets_data()
{
    QTest::addColumn<double>("second");
    QTest::addColumn<bool>("refused");
    // The reference pocket's recess spans 2 atan(130 / (324.96 - 40)) = 48.9
    // degrees behind the head, more than the pocket's 2 asin(100/340) = 34.2.
    QTest::newRow("sample spacing") << 150.0 << false;
    QTest::newRow("just apart") << 30.0 + 49.0 << false;
    QTest::newRow("overlapping") << 30.0 + 48.8 << true;
    QTest::newRow("across zero") << 30.0 - 48.8 + 360.0 << true;
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
    QVERIFY2(message.contains("overlap: each spans 48.88"), qPrintable(message));
}

QTEST_GUILESS_MAIN(TstPocketProper)
#include "tst_pocketproper.moc"
