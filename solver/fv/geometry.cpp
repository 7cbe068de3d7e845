#include "fv/geometry.h"

#include "fv/parallel.h"

#include "models/vec3.h"

#include <cmath>
#include <string>

namespace euler::fv {

namespace {

inline Vec3 node(const NodePositions &p, Index n) { return {p.x[n], p.y[n], p.z[n]}; }

inline Vec3 faceMean(const NodePositions &p, const Index *n)
{
    return 0.25 * (node(p, n[0]) + node(p, n[1]) + node(p, n[2]) + node(p, n[3]));
}


// Gathers a face quantity of a cell with the sign the face has for it.
struct CellFaceRef
{
    Index face;
    double sign;
};

inline CellFaceRef cellFace(Index entry) { return entry >= 0 ? CellFaceRef{entry, 1.0} : CellFaceRef{~entry, -1.0}; }

} // namespace

std::string cellShapeFault(const HexMesh &hex, Index c)
{
    const auto &n = hex.cells[c];
    Vec3 pts[8];
    Vec3 centre;
    for (int k = 0; k < 8; ++k) {
        pts[k] = {hex.x[n[k]], hex.y[n[k]], hex.z[n[k]]};
        centre = centre + 0.125 * pts[k];
    }
    double sixVolume = 0;
    int badFace = -1;
    for (int l = 0; l < 6; ++l) {
        const int *f = hexFaces[l];
        const Vec3 m = 0.25 * (pts[f[0]] + pts[f[1]] + pts[f[2]] + pts[f[3]]);
        for (int e = 0; e < 4; ++e) {
            const double v = sixTetVolume(centre, m, pts[f[e]], pts[f[(e + 1) % 4]]);
            sixVolume += v;
            if (!(v > 0) && badFace < 0)
                badFace = l;
        }
    }
    if (!(sixVolume > 0))
        return "is inverted or degenerate: its volume is not positive";
    if (badFace >= 0)
        return "is inverted or degenerate at its face " + std::to_string(badFace)
               + ": a sub-tetrahedron has the wrong orientation";
    return {};
}

void checkCellShapes(const HexMesh &hex)
{
    for (Index c = 0; c < hex.cellCount(); ++c) {
        const std::string fault = cellShapeFault(hex, c);
        if (!fault.empty())
            throw MeshError("cell " + std::to_string(c) + " " + fault);
    }
}

void NodePositions::resize(Index nodes)
{
    x.resize(nodes);
    y.resize(nodes);
    z.resize(nodes);
}

void NodePositions::assign(const HexMesh &hex)
{
    x = hex.x;
    y = hex.y;
    z = hex.z;
}

void Geometry::resize(const Mesh &mesh)
{
    const std::size_t faces = mesh.faceCount(), cells = mesh.cellCount();
    for (auto *v : {&areaX, &areaY, &areaZ, &area, &normalX, &normalY, &normalZ, &centreX, &centreY, &centreZ, &meanX,
                    &meanY, &meanZ})
        v->resize(faces);
    for (auto *v : {&volume, &cellX, &cellY, &cellZ, &lengthScale})
        v->resize(cells);
}

void Geometry::update(const Mesh &mesh, const NodePositions &nodes)
{
    updateFaces(mesh, nodes);
    updateCells(mesh);
}

void Geometry::updateFaces(const Mesh &mesh, const NodePositions &nodes)
{
    const Index faces = mesh.faceCount();
#pragma omp parallel for schedule(static)
    for (Index f = 0; f < faces; ++f)
        updateFace(mesh, nodes, f);
}

void Geometry::updateFaces(const Mesh &mesh, const NodePositions &nodes, const std::vector<Index> &faces)
{
    const Index count = static_cast<Index>(faces.size());
#pragma omp parallel for schedule(static) if (count >= parallelFrom)
    for (Index i = 0; i < count; ++i)
        updateFace(mesh, nodes, faces[i]);
}

void Geometry::updateFace(const Mesh &mesh, const NodePositions &nodes, Index f)
{
    const Index *n = &mesh.faceNodes[4 * f];
    const Vec3 m = faceMean(nodes, n);
    Vec3 t[4], a;
    for (int e = 0; e < 4; ++e) {
        t[e] = 0.5 * cross(node(nodes, n[e]) - m, node(nodes, n[(e + 1) % 4]) - m);
        a = a + t[e];
    }
    // Triangle centroids weighted by their areas along the face's normal;
    // the weights sum to |A|^2.
    const double a2 = dot(a, a);
    Vec3 weighted;
    for (int e = 0; e < 4; ++e)
        weighted = weighted + (dot(t[e], a) / 3.0) * (m + node(nodes, n[e]) + node(nodes, n[(e + 1) % 4]));
    // A face of zero area (never in a checked mesh) keeps its mean point.
    setFace(f, a.x, a.y, a.z, a2 > 0 ? (1.0 / a2) * weighted : m, m);
}

void Geometry::setFace(Index f, double ax, double ay, double az, const Vec3 &centre, const Vec3 &mean)
{
    setAreaVector(f, ax, ay, az);
    centreX[f] = centre.x;
    centreY[f] = centre.y;
    centreZ[f] = centre.z;
    meanX[f] = mean.x;
    meanY[f] = mean.y;
    meanZ[f] = mean.z;
}

void Geometry::updateCells(const Mesh &mesh)
{
    const Index cells = mesh.cellCount();
#pragma omp parallel for schedule(static)
    for (Index c = 0; c < cells; ++c)
        updateCell(mesh, c);
}

void Geometry::updateCells(const Mesh &mesh, const std::vector<Index> &cells)
{
    const Index count = static_cast<Index>(cells.size());
#pragma omp parallel for schedule(static) if (count >= parallelFrom)
    for (Index i = 0; i < count; ++i)
        updateCell(mesh, cells[i]);
}

void Geometry::updateCell(const Mesh &mesh, Index c)
{
    const Index begin = mesh.cellFaceStart[c], end = mesh.cellFaceStart[c + 1];
    Vec3 r;
    for (Index i = begin; i < end; ++i) {
        const Index f = cellFace(mesh.cellFaces[i]).face;
        r = r + Vec3{meanX[f], meanY[f], meanZ[f]};
    }
    r = (1.0 / (end - begin)) * r;
    double threeVolume = 0;
    Vec3 moment;
    for (Index i = begin; i < end; ++i) {
        const CellFaceRef cf = cellFace(mesh.cellFaces[i]);
        const Index f = cf.face;
        const Vec3 a = cf.sign * Vec3{areaX[f], areaY[f], areaZ[f]};
        const double pyramid = dot(Vec3{meanX[f], meanY[f], meanZ[f]} - r, a);
        threeVolume += pyramid;
        moment = moment + (0.75 * pyramid) * (Vec3{centreX[f], centreY[f], centreZ[f]} - r);
    }
    volume[c] = threeVolume / 3.0;
    const Vec3 centroid = r + (1.0 / threeVolume) * moment;
    cellX[c] = centroid.x;
    cellY[c] = centroid.y;
    cellZ[c] = centroid.z;
    setLengthScale(mesh, c);
}

namespace {

// Six times the volume face f sweeps; see sweptVolumes. Points are taken
// relative to the face's old mean point m0. The old face's triangles contain
// m0 and add nothing; each new triangle (m1, a1, b1) adds a tetrahedron with
// apex m0. Each edge's quadrilateral a0 b0 b1 a1 is written with the node
// displacements da, db, so that it is exactly zero for nodes that stay:
//   diagonal a0-b1: (a0 b0 b1) + (a0 b1 a1) = p.(q x db) + p.((q + db) x da)
//   diagonal b0-a1: (a0 b0 a1) + (b0 b1 a1) = p.(q x da) + q.(db x (p + da))
// with p = a0 - m0, q = b0 - m0.
double sixSweptVolume(const Index *n, const NodePositions &p0, const NodePositions &p1)
{
    const Vec3 m0 = faceMean(p0, n), dm = faceMean(p1, n) - m0;
    double six = 0;
    for (int e = 0; e < 4; ++e) {
        const Index ia = n[e], ib = n[(e + 1) % 4];
        const Vec3 p = node(p0, ia) - m0, q = node(p0, ib) - m0;
        const Vec3 da = node(p1, ia) - node(p0, ia), db = node(p1, ib) - node(p0, ib);
        six += dot(dm, cross(node(p1, ia) - m0, node(p1, ib) - m0));
        if (ia < ib)
            six += dot(p, cross(q, db)) + dot(p, cross(q + db, da));
        else
            six += dot(p, cross(q, da)) + dot(q, cross(db, p + da));
    }
    return six;
}

} // namespace

void sweptVolumes(const Mesh &mesh, const NodePositions &from, const NodePositions &to, std::vector<double> &swept)
{
    const Index faces = mesh.faceCount();
    swept.resize(faces);
#pragma omp parallel for schedule(static)
    for (Index f = 0; f < faces; ++f)
        swept[f] = sixSweptVolume(&mesh.faceNodes[4 * f], from, to) / 6.0;
}

} // namespace euler::fv
