#include "pocketfixtures.h"

#include "params/pocketmesh.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace pockettest {

namespace {

QString referencePath()
{
    return QFINDTESTDATA("../../data/reference_valve_pocket.msh");
}

} // namespace

fv::HexMesh referenceMesh()
{
    return readPocketHexMesh(referencePath().toStdString(), 0.001);
}

fv::HexMesh mappedMesh(double pistonRadiusMm, double pocketRadiusMm, double coneHeightMm, double pocketHeightMm)
{
    QFile reference(referencePath());
    if (!reference.open(QIODevice::ReadOnly))
        qFatal("cannot open the reference pocket mesh");
    QTemporaryDir dir;
    QFile out(dir.filePath("mapped.msh"));
    if (!out.open(QIODevice::WriteOnly))
        qFatal("cannot write the mapped pocket mesh");
    QString error;
    if (!PocketMesh::map(reference, out, {pistonRadiusMm, pocketRadiusMm, coneHeightMm, pocketHeightMm}, &error))
        qFatal("mapping refused: %s", qPrintable(error));
    out.close();
    return readPocketHexMesh(out.fileName().toStdString(), 0.001);
}

JoinCase::JoinCase(const std::vector<double> &angles, int columns_, int rows_)
    : pocket(pocketProper(referenceMesh(), boreRadius, "reference")), columns(columns_), rows(rows_)
{
    placed = placePockets(hex, pocket, angles);
    mesh = std::make_unique<fv::Mesh>(hex);
    fv::NodePositions nodes;
    nodes.assign(hex);
    geometry.resize(*mesh);
    geometry.update(*mesh, nodes);
    openings = openingFaces(*mesh, placed, pocket, boreRadius);
    const Index firstFace = mesh->faceCount(), firstCell = mesh->cellCount();
    wall.resize(static_cast<size_t>(columns));
    for (int l = 0; l < columns; ++l) {
        SideColumn &c = wall[static_cast<size_t>(l)];
        // Angles as atan2 gives them for nodes on the bore.
        const double t0 = 2 * M_PI * l / columns, t1 = 2 * M_PI * (l + 1) / columns;
        c.theta0 = std::atan2(std::sin(t0), std::cos(t0));
        c.theta1 = std::atan2(std::sin(t1), std::cos(t1));
        for (int j = 0; j < rows; ++j) {
            const Index index = j * columns + l;
            c.faces.push_back({firstFace + index, firstCell + index, double(j) / rows, double(j + 1) / rows});
        }
    }
    for (auto *v : {&geometry.areaX, &geometry.areaY, &geometry.areaZ, &geometry.area, &geometry.centreX,
                    &geometry.centreY, &geometry.centreZ})
        v->resize(static_cast<size_t>(firstFace + columns * rows));
}

void JoinCase::setGap(double gap)
{
    const double R = boreRadius;
    for (const SideColumn &c : wall)
        for (const SideFace &f : c.faces) {
            const double x0 = R * std::cos(c.theta0), y0 = R * std::sin(c.theta0);
            const double x1 = R * std::cos(c.theta1), y1 = R * std::sin(c.theta1);
            const double z0 = f.zeta0 * gap, z1 = f.zeta1 * gap;
            const size_t i = static_cast<size_t>(f.face);
            geometry.areaX[i] = (y1 - y0) * (z1 - z0);
            geometry.areaY[i] = -(x1 - x0) * (z1 - z0);
            geometry.areaZ[i] = 0;
            geometry.area[i] = std::hypot(geometry.areaX[i], geometry.areaY[i]);
            geometry.centreX[i] = 0.5 * (x0 + x1);
            geometry.centreY[i] = 0.5 * (y0 + y1);
            geometry.centreZ[i] = 0.5 * (z0 + z1);
        }
}

std::vector<double> sampleAngles()
{
    std::vector<double> angles;
    for (double deg : {30.0, 150.0, 210.0, 330.0})
        angles.push_back(deg * M_PI / 180);
    return angles;
}

} // namespace pockettest
