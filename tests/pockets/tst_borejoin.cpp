// The overlap geometry on the bore: convex clipping, the exact area vector of
// a polygon wrapped on the cylinder, and the join of the pockets' openings
// to the chamber's side wall: overlap pieces that add up to the open area,
// walls where either side is uncovered.
#include "pocketfixtures.h"

#include <QtTest>

#include <cmath>

using namespace pockettest;

class TstBoreJoin : public QObject
{
    Q_OBJECT

private slots:
    void clipping_data();
    void clipping();
    void rectangleVectorIsTheFlatFace_data();
    void rectangleVectorIsTheFlatFace();
    void polygonVectorIsAdditiveAndMatchesQuadrature();
    void piecesAddUpToTheOpenArea_data();
    void piecesAddUpToTheOpenArea();
    void piecesJoinSideCellsToPocketCells();
    void coveredFacesLeaveNoWall();
    void uncoveredFacesAreWholeWalls();
    void updatesDependOnTheGapOnly();
};

namespace {

constexpr double R = JoinCase::boreRadius;

ArcPolygon polygon(std::initializer_list<ArcPoint> points)
{
    ArcPolygon p;
    for (const ArcPoint &q : points)
        p.add(q);
    return p;
}

// A slanted convex quadrilateral, as the openings are.
ArcPolygon slantedQuad()
{
    return polygon({{0.010, -0.020}, {0.045, -0.012}, {0.050, 0.030}, {0.002, 0.018}});
}

double length(double x, double y) { return std::hypot(x, y); }

} // namespace

void TstBoreJoin::clipping_data()
{
    QTest::addColumn<bool>("inZ");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("keepAbove");
    QTest::addColumn<double>("expected");
    QTest::addColumn<int>("vertices");
    // The unit square: cuts parallel to its sides.
    QTest::newRow("a >= 0.25") << false << 0.25 << true << 0.75 << 4;
    QTest::newRow("a <= 0.25") << false << 0.25 << false << 0.25 << 4;
    QTest::newRow("z >= 1, on the edge") << true << 1.0 << true << 0.0 << 2;
    QTest::newRow("z <= 2, beyond") << true << 2.0 << false << 1.0 << 4;
    QTest::newRow("z >= -1, beyond") << true << -1.0 << true << 1.0 << 4;
    QTest::newRow("a >= 3, nothing") << false << 3.0 << true << 0.0 << 0;
}

void TstBoreJoin::clipping()
{
    QFETCH(bool, inZ);
    QFETCH(double, value);
    QFETCH(bool, keepAbove);
    QFETCH(double, expected);
    QFETCH(int, vertices);
    const ArcPolygon square = polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    const ArcPolygon part = inZ ? clipZ(square, value, keepAbove) : clipA(square, value, keepAbove);
    QCOMPARE(part.size, vertices);
    QCOMPARE(area(part), expected);

    // A slanted quad cut in two: the halves share their new vertices bit
    // for bit and add up to the whole.
    const ArcPolygon q = slantedQuad();
    const double cut = inZ ? 0.004 : 0.031;
    const ArcPolygon lower = inZ ? clipZ(q, cut, false) : clipA(q, cut, false);
    const ArcPolygon upper = inZ ? clipZ(q, cut, true) : clipA(q, cut, true);
    QCOMPARE(lower.size + upper.size, q.size + 4);
    QVERIFY(std::fabs(area(lower) + area(upper) - area(q)) < 1e-16 * area(q) * 4);
    int shared = 0;
    for (int i = 0; i < lower.size; ++i)
        for (int j = 0; j < upper.size; ++j)
            shared += lower.p[i].a == upper.p[j].a && lower.p[i].z == upper.p[j].z;
    QCOMPARE(shared, 2);
    QVERIFY(isConvexCounterClockwise(lower) && isConvexCounterClockwise(upper));
}

void TstBoreJoin::rectangleVectorIsTheFlatFace_data()
{
    QTest::addColumn<double>("theta0");
    QTest::addColumn<double>("theta1");
    QTest::newRow("one column of 24") << 0.0 << 15.0;
    QTest::newRow("about the axis") << -7.5 << 7.5;
    QTest::newRow("wide") << 80.0 << 170.0;
    QTest::newRow("a sliver") << 33.0 << 33.0 + 1e-7;
    QTest::newRow("across 180 degrees") << 170.0 << 190.0;
}

void TstBoreJoin::rectangleVectorIsTheFlatFace()
{
    QFETCH(double, theta0);
    QFETCH(double, theta1);
    const double t0 = theta0 * M_PI / 180, t1 = theta1 * M_PI / 180, z0 = 0.013, z1 = 0.021;
    const PlaneVector v = cylinderAreaVector(polygon({{R * t0, z0}, {R * t1, z0}, {R * t1, z1}, {R * t0, z1}}), R);
    // The flat face through the corners: chord times height, outward (the
    // differences of sines and cosines as products, free of cancellation).
    const double half = std::sin(0.5 * (t1 - t0)), mid = 0.5 * (t0 + t1);
    const double x = 2 * R * std::cos(mid) * half * (z1 - z0), y = 2 * R * std::sin(mid) * half * (z1 - z0);
    const double size = length(x, y);
    QVERIFY2(length(v.x - x, v.y - y) < 1e-14 * size, qPrintable(QString::number(length(v.x - x, v.y - y) / size)));
}

void TstBoreJoin::polygonVectorIsAdditiveAndMatchesQuadrature()
{
    // Far round the bore, so that both components are large.
    ArcPolygon q = slantedQuad();
    for (int i = 0; i < q.size; ++i)
        q.p[i].a += 0.6;
    const PlaneVector whole = cylinderAreaVector(q, R);
    // Strips of a: their vectors add up to the whole.
    double sx = 0, sy = 0;
    for (int k = 0; k < 7; ++k) {
        const double a0 = q.minA() + (q.maxA() - q.minA()) * k / 7, a1 = q.minA() + (q.maxA() - q.minA()) * (k + 1) / 7;
        const PlaneVector part = cylinderAreaVector(clipA(clipA(q, a0, true), a1, false), R);
        sx += part.x;
        sy += part.y;
    }
    QVERIFY(length(sx - whole.x, sy - whole.y) < 1e-15 * length(whole.x, whole.y) * 10);
    // Midpoint slices in z, each integrated exactly in a.
    const int slices = 20000;
    double qx = 0, qy = 0;
    for (int i = 0; i < slices; ++i) {
        const double z = q.minZ() + (i + 0.5) * (q.maxZ() - q.minZ()) / slices;
        const ArcPolygon band = clipZBand(q, z - 1e-9, z + 1e-9);
        const double aL = band.minA(), aR = band.maxA(), dz = (q.maxZ() - q.minZ()) / slices;
        qx += R * (std::sin(aR / R) - std::sin(aL / R)) * dz;
        qy += -R * (std::cos(aR / R) - std::cos(aL / R)) * dz;
    }
    QVERIFY2(length(qx - whole.x, qy - whole.y) < 1e-7 * length(whole.x, whole.y),
             qPrintable(QString::number(length(qx - whole.x, qy - whole.y) / length(whole.x, whole.y))));
}

void TstBoreJoin::piecesAddUpToTheOpenArea_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("gap");
    QTest::newRow("24 x 6, top dead centre") << 24 << 6 << 0.004;
    QTest::newRow("24 x 6, mid stroke") << 24 << 6 << 0.06;
    QTest::newRow("24 x 6, bottom dead centre") << 24 << 6 << 0.224;
    QTest::newRow("7 x 13") << 7 << 13 << 0.15;
    QTest::newRow("96 x 1") << 96 << 1 << 0.03;
    QTest::newRow("5 x 40, rows finer than the pocket's") << 5 << 40 << 0.0123;
}

void TstBoreJoin::piecesAddUpToTheOpenArea()
{
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(double, gap);
    JoinCase c(sampleAngles(), columns, rows);
    c.setGap(gap);
    BoreJoin join = c.join();
    fv::InterfacePieces pieces;
    pieces.reserve(join.pieceCapacity());
    join.update(gap, c.geometry, pieces);
    QVERIFY(pieces.count <= pieces.capacity());
    QVERIFY(join.overlapCount() > 0);
    double worst = 0;
    int open = 0;
    for (size_t o = 0; o < join.openings().size(); ++o) {
        const double expected = area(clipZBand(join.openings()[o].polygon, 0, gap));
        const double got = join.openArea()[o];
        if (expected == 0) {
            QCOMPARE(got, 0.0);
            continue;
        }
        ++open;
        worst = std::max(worst, std::fabs(got / expected - 1));
    }
    QVERIFY(open > 0);
    QVERIFY2(worst < 1e-12, qPrintable(QString::number(worst)));
    // Every pocket opens by the same area: the copies are alike and the
    // columns are cut alike round each.
    for (int p = 1; p < 4; ++p)
        QVERIFY(std::fabs(join.pocketOpenArea(p) / join.pocketOpenArea(0) - 1) < 1e-12);
}

void TstBoreJoin::piecesJoinSideCellsToPocketCells()
{
    JoinCase c(sampleAngles(), 24, 6);
    const double gap = 0.08;
    c.setGap(gap);
    BoreJoin join = c.join();
    fv::InterfacePieces pieces;
    pieces.reserve(join.pieceCapacity());
    join.update(gap, c.geometry, pieces);
    const Index sideCells = c.mesh->cellCount();
    for (Index i = 0; i < join.overlapCount(); ++i) {
        QVERIFY(pieces.owner[i] >= sideCells);
        const int pocket = c.placed.pocketOfCell(pieces.neighbour[i]);
        QVERIFY(pocket >= 0);
        // On the bore, beside its pocket, within the open height.
        const double x = pieces.centreX[i], y = pieces.centreY[i];
        QVERIFY(std::fabs(length(x, y) / R - 1) < 1e-14);
        QVERIFY(std::fabs(std::remainder(std::atan2(y, x) - c.placed.angles[pocket], 2 * M_PI)) < c.pocket.halfAngle);
        QVERIFY(pieces.centreZ[i] > 0 && pieces.centreZ[i] < gap);
        // Out of the bore, from the chamber into the pocket.
        QVERIFY((pieces.areaX[i] * x + pieces.areaY[i] * y) / R > 0.99 * length(pieces.areaX[i], pieces.areaY[i]));
        QCOMPARE(pieces.areaZ[i], 0.0);
    }
    // Wall pieces follow, one per joined face.
    for (Index i = join.overlapCount(); i < pieces.count; ++i)
        QCOMPARE(pieces.neighbour[i], -1);
    QCOMPARE(pieces.count - join.overlapCount(), Index(join.interfaceFaces().size()));
}

void TstBoreJoin::coveredFacesLeaveNoWall()
{
    // At top dead centre the rows are 0.7 mm high: side faces in the middle
    // of a pocket's outline lie wholly inside it, and so do the openings
    // nearest the head.
    JoinCase c(sampleAngles(), 24, 6);
    const double gap = 0.004;
    c.setGap(gap);
    BoreJoin join = c.join();
    fv::InterfacePieces pieces;
    pieces.reserve(join.pieceCapacity());
    join.update(gap, c.geometry, pieces);
    const Index walls = join.overlapCount();
    const std::vector<Index> faces = join.interfaceFaces();
    double covered = 0;
    int coveredFaces = 0;
    for (size_t k = 0; k < faces.size(); ++k) {
        const size_t f = static_cast<size_t>(faces[k]);
        const size_t piece = static_cast<size_t>(walls) + k;
        const double remainder = length(pieces.areaX[piece], pieces.areaY[piece]) / c.geometry.area[f];
        if (faces[k] < c.mesh->faceCount())
            continue; // an opening
        // A side face with overlap pieces over all its area.
        double sum = 0;
        for (Index i = 0; i < walls; ++i)
            if (pieces.owner[i] == pieces.owner[piece])
                sum += length(pieces.areaX[i], pieces.areaY[i]);
        if (sum > 0.999 * c.geometry.area[f]) {
            ++coveredFaces;
            covered = std::max(covered, remainder);
        }
    }
    QVERIFY(coveredFaces >= 4);
    QVERIFY2(covered < 1e-12, qPrintable(QString::number(covered)));
}

void TstBoreJoin::uncoveredFacesAreWholeWalls()
{
    JoinCase c(sampleAngles(), 24, 6);
    BoreJoin join = c.join();
    fv::InterfacePieces pieces;
    pieces.reserve(join.pieceCapacity());
    // At a long gap the side faces above the pockets' tops, at a short one
    // the openings beyond the piston.
    int above = 0, beyondPiston = 0;
    for (const double gap : {0.224, 0.03}) {
        c.setGap(gap);
        join.update(gap, c.geometry, pieces);
        const std::vector<Index> faces = join.interfaceFaces();
        const size_t firstOpening = faces.size() - join.openings().size();
        for (size_t k = 0; k < faces.size(); ++k) {
            const size_t f = static_cast<size_t>(faces[k]), piece = static_cast<size_t>(join.overlapCount()) + k;
            const bool sideAbove = faces[k] >= c.mesh->faceCount() && c.geometry.centreZ[f] - gap / 12 > 0.1;
            const bool openingBeyond = k >= firstOpening && join.openings()[k - firstOpening].polygon.minZ() >= gap;
            if (!sideAbove && !openingBeyond)
                continue;
            above += sideAbove;
            beyondPiston += openingBeyond;
            QCOMPARE(pieces.areaX[piece], c.geometry.areaX[f]);
            QCOMPARE(pieces.areaY[piece], c.geometry.areaY[f]);
            QCOMPARE(pieces.areaZ[piece], c.geometry.areaZ[f]);
        }
    }
    QVERIFY(above > 0);
    // Alike in every pocket.
    QVERIFY(beyondPiston > 0 && beyondPiston % 4 == 0);
}

void TstBoreJoin::updatesDependOnTheGapOnly()
{
    JoinCase c(sampleAngles(), 24, 6);
    BoreJoin join = c.join();
    fv::InterfacePieces first, again;
    first.reserve(join.pieceCapacity());
    again.reserve(join.pieceCapacity());
    c.setGap(0.05);
    join.update(0.05, c.geometry, first);
    c.setGap(0.2);
    join.update(0.2, c.geometry, again);
    c.setGap(0.05);
    join.update(0.05, c.geometry, again);
    QCOMPARE(again.count, first.count);
    QCOMPARE(again.owner, first.owner);
    QCOMPARE(again.neighbour, first.neighbour);
    QCOMPARE(again.areaX, first.areaX);
    QCOMPARE(again.areaY, first.areaY);
    QCOMPARE(again.centreZ, first.centreZ);
}

QTEST_GUILESS_MAIN(TstBoreJoin)
#include "tst_borejoin.moc"
