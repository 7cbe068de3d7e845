#include "fv/stretch.h"

#include "fv/parallel.h"

#include <cmath>

namespace euler::fv {

namespace {

using Kind = AxialStretch::Kind;

// Whether the four triangles about the mean point (geometry.h) all lie in
// the plane of the face's area vector, to rounding.
bool planar(const Mesh &mesh, const NodePositions &p, Index f)
{
    const Index *n = &mesh.faceNodes[4 * static_cast<std::size_t>(f)];
    auto node = [&](int k) { return Vec3{p.x[n[k]], p.y[n[k]], p.z[n[k]]}; };
    const Vec3 m = 0.25 * (node(0) + node(1) + node(2) + node(3));
    Vec3 t[4], a;
    for (int e = 0; e < 4; ++e) {
        t[e] = 0.5 * cross(node(e) - m, node((e + 1) % 4) - m);
        a = a + t[e];
    }
    for (const Vec3 &te : t) {
        const Vec3 off = cross(te, a);
        if (dot(off, off) > 1e-24 * dot(te, te) * dot(a, a))
            return false;
    }
    return true;
}

template <class T>
std::size_t bytesOf(const std::vector<T> &v)
{
    return v.capacity() * sizeof(T);
}

} // namespace

AxialStretch::AxialStretch(const Mesh &mesh, const NodePositions &current, const std::vector<Index> &nodes,
                           const std::vector<double> &zeta)
    : active_(true), nodes_(nodes), zeta_(zeta), base_(current)
{
    if (nodes.size() != zeta.size())
        throw MeshError("the stretch lists " + std::to_string(nodes.size()) + " nodes but "
                        + std::to_string(zeta.size()) + " factors");
    std::vector<char> stretches(mesh.nodeCount(), 0);
    for (Index n : nodes) {
        if (n < 0 || n >= mesh.nodeCount())
            throw MeshError("the stretch names node " + std::to_string(n) + ", the mesh has "
                            + std::to_string(mesh.nodeCount()) + " nodes");
        stretches[n] = 1;
    }
    NodePositions at0, at1;
    positions(0.0, at0);
    positions(1.0, at1);
    Geometry reference;
    reference.resize(mesh);
    reference.update(mesh, at1);

    const Index faces = mesh.faceCount(), cells = mesh.cellCount();
    std::vector<Kind> faceKind(faces);
    faceReference_.assign(4 * static_cast<std::size_t>(faces), 0.0);
    for (Index f = 0; f < faces; ++f) {
        int moving = 0;
        for (int k = 0; k < 4; ++k)
            moving += stretches[mesh.faceNodes[4 * static_cast<std::size_t>(f) + k]];
        faceKind[f] = moving == 0 ? Kind::Static : moving == 4 && planar(mesh, at1, f) ? Kind::Affine : Kind::General;
        if (faceKind[f] == Kind::Affine) {
            affineFaces_.push_back(f);
            double *r = &faceReference_[4 * static_cast<std::size_t>(f)];
            r[0] = reference.areaX[f];
            r[1] = reference.areaY[f];
            r[2] = reference.centreZ[f];
            r[3] = reference.meanZ[f];
        } else if (faceKind[f] == Kind::General) {
            generalFaces_.push_back(f);
        }
    }
    cellKind_.assign(cells, Kind::Static);
    cellReference_.assign(2 * static_cast<std::size_t>(cells), 0.0);
    for (Index c = 0; c < cells; ++c) {
        int affine = 0, still = 0;
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const Index e = mesh.cellFaces[i];
            const Kind k = faceKind[e >= 0 ? e : ~e];
            affine += k == Kind::Affine;
            still += k == Kind::Static;
        }
        const int all = mesh.cellFaceStart[c + 1] - mesh.cellFaceStart[c];
        cellKind_[c] = still == all ? Kind::Static : affine == all ? Kind::Affine : Kind::General;
        if (cellKind_[c] == Kind::Affine) {
            affineCells_.push_back(c);
            cellReference_[2 * static_cast<std::size_t>(c)] = reference.volume[c];
            cellReference_[2 * static_cast<std::size_t>(c) + 1] = reference.cellZ[c];
        } else if (cellKind_[c] == Kind::General) {
            generalCells_.push_back(c);
        }
    }
    // A stencil is the cell and its face neighbours.
    affineStencil_.assign(cells, 0);
    for (Index c = 0; c < cells; ++c) {
        bool allAffine = cellKind_[c] == Kind::Affine, allStatic = cellKind_[c] == Kind::Static;
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const Index e = mesh.cellFaces[i], f = e >= 0 ? e : ~e;
            if (f >= mesh.internalFaceCount())
                continue;
            const Kind k = cellKind_[e >= 0 ? mesh.neighbour[f] : mesh.owner[f]];
            allAffine = allAffine && k == Kind::Affine;
            allStatic = allStatic && k == Kind::Static;
        }
        affineStencil_[c] = allAffine;
        if (!allAffine && !allStatic)
            generalStencils_.push_back(c);
    }
    sweptVolumes(mesh, at0, at1, unitSwept_);
}

void AxialStretch::positions(double lambda, NodePositions &out) const
{
    out.x = base_.x;
    out.y = base_.y;
    out.z = base_.z;
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        out.z[nodes_[i]] = lambda * zeta_[i];
}

// Faces first, then cells, in one parallel region.
void AxialStretch::update(const Mesh &mesh, double lambda, Geometry &g, NodePositions &scratch) const
{
    const Index affineFaces = static_cast<Index>(affineFaces_.size()), generalFaces = static_cast<Index>(generalFaces_.size());
    const Index affineCells = static_cast<Index>(affineCells_.size()), generalCells = static_cast<Index>(generalCells_.size());
    if (generalFaces > 0)
        positions(lambda, scratch);
#pragma omp parallel if (affineFaces + generalFaces >= parallelFrom)
    {
#pragma omp for schedule(static) nowait
        for (Index i = 0; i < affineFaces; ++i) {
            const Index f = affineFaces_[i];
            const double *r = &faceReference_[4 * static_cast<std::size_t>(f)];
            g.setAreaVector(f, lambda * r[0], lambda * r[1], g.areaZ[f]);
            g.centreZ[f] = lambda * r[2];
            g.meanZ[f] = lambda * r[3];
        }
#pragma omp for schedule(static)
        for (Index i = 0; i < generalFaces; ++i)
            g.updateFace(mesh, scratch, generalFaces_[i]);
#pragma omp for schedule(static) nowait
        for (Index i = 0; i < affineCells; ++i) {
            const Index c = affineCells_[i];
            g.volume[c] = lambda * cellReference_[2 * static_cast<std::size_t>(c)];
            g.cellZ[c] = lambda * cellReference_[2 * static_cast<std::size_t>(c) + 1];
            g.setLengthScale(mesh, c);
        }
#pragma omp for schedule(static)
        for (Index i = 0; i < generalCells; ++i)
            g.updateCell(mesh, generalCells_[i]);
    }
}

std::size_t AxialStretch::bytes() const
{
    std::size_t n = bytesOf(nodes_) + bytesOf(zeta_) + bytesOf(base_.x) + bytesOf(base_.y) + bytesOf(base_.z);
    n += bytesOf(cellKind_) + bytesOf(affineStencil_) + bytesOf(affineFaces_) + bytesOf(generalFaces_)
         + bytesOf(affineCells_) + bytesOf(generalCells_) + bytesOf(generalStencils_);
    return n + bytesOf(faceReference_) + bytesOf(cellReference_) + bytesOf(unitSwept_);
}

} // namespace euler::fv
