// The grids of the wall result files on the chamber mesh: closed rows of
// equal length, and weights that take each point's value from the wall
// faces around it.
#include "chamber/chambermesh.h"
#include "chamber/wallgrid.h"

#include <QtTest>

#include <cmath>

using namespace euler;
using namespace euler::chamber;

Q_DECLARE_METATYPE(euler::chamber::ChamberMeshSpec)

class TstWallGrid : public QObject
{
    Q_OBJECT

private slots:
    void rowsAreClosedAndOfEqualLength_data();
    void rowsAreClosedAndOfEqualLength();
    void discPointsTakeTheirFacesValues_data();
    void discPointsTakeTheirFacesValues();
    void sidePointsAverageTheFacesAround();
};

namespace {

void addSpecs()
{
    QTest::addColumn<ChamberMeshSpec>("spec");
    QTest::newRow("sample") << ChamberMeshSpec{0.34, 0.05, 10, 2, 6, 0.5, 0.5};
    QTest::newRow("no rod") << ChamberMeshSpec{0.34, 0, 3, 0, 2, 0.7, 0.7};
    QTest::newRow("smallest") << ChamberMeshSpec{0.34, 0.05, 1, 1, 1, 0.5, 0.5};
}

// Centroid of the head face c (a plane quad), in the plane.
std::pair<double, double> quadCentre(const ChamberMesh &mesh, size_t c)
{
    double x = 0, y = 0;
    for (Index n : mesh.planeQuads()[c]) {
        x += 0.25 * mesh.hex().x[static_cast<size_t>(n)];
        y += 0.25 * mesh.hex().y[static_cast<size_t>(n)];
    }
    return {x, y};
}

} // namespace

void TstWallGrid::rowsAreClosedAndOfEqualLength_data()
{
    addSpecs();
}

void TstWallGrid::rowsAreClosedAndOfEqualLength()
{
    QFETCH(ChamberMeshSpec, spec);
    const ChamberMesh mesh(spec, 0.01);
    const int nc = mesh.section().circumferential;
    const int discRows = mesh.section().coreCells / 2 + mesh.section().rings() + 1;
    const struct
    {
        WallGrid grid;
        int rows;
        Index faces;
    } grids[] = {{discGrid(mesh, false), discRows, mesh.cellsPerLayer()},
                 {discGrid(mesh, true), discRows, mesh.cellsPerLayer()},
                 {sideGrid(mesh), spec.n3 + 1, nc * spec.n3}};
    for (const auto &g : grids) {
        const WallGrid &grid = g.grid;
        QCOMPARE(grid.pointsPerRow(), nc + 1);
        QCOMPARE(grid.pointCount(), g.rows * (nc + 1));
        for (Index p = 0; p < grid.pointCount(); ++p) {
            const size_t i = static_cast<size_t>(p);
            QCOMPARE(grid.row[i], int(p / (nc + 1)) + 1);
            QCOMPARE(grid.inRow[i], int(p % (nc + 1)) + 1);
            if (grid.inRow[i] == nc + 1) { // closed: the first point again
                QCOMPARE(grid.x[i], grid.x[i - size_t(nc)]);
                QCOMPARE(grid.y[i], grid.y[i - size_t(nc)]);
            }
            double sum = 0;
            for (Index k = grid.start[i]; k < grid.start[i + 1]; ++k) {
                QVERIFY(grid.face[size_t(k)] >= 0 && grid.face[size_t(k)] < g.faces);
                QVERIFY(grid.weight[size_t(k)] > 0);
                sum += grid.weight[size_t(k)];
            }
            QVERIFY(std::fabs(sum - 1) < 1e-14);
        }
    }
}

void TstWallGrid::discPointsTakeTheirFacesValues_data()
{
    addSpecs();
}

// A field linear in x and y, given at the face centres, comes back at every
// point to within the size of the faces there; a wrong face would be far off.
void TstWallGrid::discPointsTakeTheirFacesValues()
{
    QFETCH(ChamberMeshSpec, spec);
    const ChamberMesh mesh(spec, 0.01);
    const WallGrid grid = discGrid(mesh, false);
    std::vector<double> field;
    for (size_t c = 0; c < mesh.planeQuads().size(); ++c) {
        const auto [x, y] = quadCentre(mesh, c);
        field.push_back(x - 2 * y);
    }
    std::vector<double> sampled;
    grid.sample(field, sampled);
    for (Index p = 0; p < grid.pointCount(); ++p) {
        const size_t i = static_cast<size_t>(p);
        double reach = 0; // largest distance to a face centre it draws on
        for (Index k = grid.start[i]; k < grid.start[i + 1]; ++k) {
            const auto [x, y] = quadCentre(mesh, size_t(grid.face[size_t(k)]));
            reach = std::max(reach, std::hypot(x - grid.x[i], y - grid.y[i]));
        }
        QVERIFY2(std::fabs(sampled[i] - (grid.x[i] - 2 * grid.y[i])) <= 3 * reach + 1e-15,
                 qPrintable(QStringLiteral("point %1 row %2").arg(p).arg(grid.row[i])));
        QCOMPARE(grid.zeta[i], 0.0);
    }
    QCOMPARE(discGrid(mesh, true).zeta.back(), 1.0);
}

void TstWallGrid::sidePointsAverageTheFacesAround()
{
    const ChamberMesh mesh({0.34, 0.05, 4, 1, 3, 0.5, 0.5}, 0.09);
    const WallGrid grid = sideGrid(mesh);
    const int nc = mesh.section().circumferential;
    // Face value: its layer, plus its column's angle where the column is 1.
    std::vector<double> layer, column;
    for (int j = 0; j < 3; ++j)
        for (int l = 0; l < nc; ++l) {
            layer.push_back(j);
            column.push_back(l == 1 ? 1.0 : 0.0);
        }
    std::vector<double> byLayer, byColumn;
    grid.sample(layer, byLayer);
    grid.sample(column, byColumn);
    for (Index p = 0; p < grid.pointCount(); ++p) {
        const size_t i = static_cast<size_t>(p);
        const int row = grid.row[i], l = grid.inRow[i] - 1;
        QCOMPARE(grid.zeta[i], (row - 1) / 3.0);
        QCOMPARE(byLayer[i], row == 1 ? 0.0 : row == 4 ? 2.0 : row - 1.5);
        QCOMPARE(byColumn[i], (l == 1 || l == 2) ? 0.5 : 0.0);
        QVERIFY(std::fabs(grid.arc[i] - 0.34 * 2 * M_PI * l / nc) < 1e-15);
        QVERIFY(std::fabs(std::hypot(grid.x[i], grid.y[i]) - 0.34) < 1e-15);
    }
}

QTEST_GUILESS_MAIN(TstWallGrid)
#include "tst_wallgrid.moc"
