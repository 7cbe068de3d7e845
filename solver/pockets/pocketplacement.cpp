#include "pockets/pocketplacement.h"

#include "io/inputerror.h"
#include "io/numberformat.h"
#include "io/pocketmesh.h"

#include <cmath>

namespace euler::pockets {

namespace {

std::string degrees(double angle)
{
    std::string s;
    appendNumber(s, angle * 180.0 / M_PI);
    return s + " deg";
}

int blockOf(Index item, Index first, Index size, int count)
{
    if (item < first || size <= 0)
        return -1;
    const Index block = (item - first) / size;
    return block < count ? static_cast<int>(block) : -1;
}

} // namespace

int PlacedPockets::pocketOfCell(Index cell) const { return blockOf(cell, firstCell, cellsPerPocket, count()); }

int PlacedPockets::pocketOfNode(Index node) const { return blockOf(node, firstNode, nodesPerPocket, count()); }

void checkPocketsApart(const PocketProper &pocket, const std::vector<double> &angles,
                       const std::vector<std::string> &valveNames, const std::string &file)
{
    // Pockets that only touch share a line on the bore, no volume.
    const double width = 2 * pocket.halfAngle * (1 - 1e-9);
    for (size_t i = 0; i < angles.size(); ++i)
        for (size_t j = i + 1; j < angles.size(); ++j) {
            const double apart = std::fabs(std::remainder(angles[i] - angles[j], 2 * M_PI));
            if (apart < width)
                throw inputError(file, "the pockets of " + valveNames[i] + " (" + degrees(angles[i]) + ") and "
                                           + valveNames[j] + " (" + degrees(angles[j])
                                           + ") overlap: each spans " + degrees(2 * pocket.halfAngle)
                                           + " about the cylinder axis, their angles lie " + degrees(apart) + " apart");
        }
}

PlacedPockets placePockets(fv::HexMesh &mesh, const PocketProper &pocket, const std::vector<double> &angles)
{
    PlacedPockets placed;
    placed.angles = angles;
    placed.firstCell = mesh.cellCount();
    placed.firstNode = mesh.nodeCount();
    placed.cellsPerPocket = pocket.hex.cellCount();
    placed.nodesPerPocket = pocket.hex.nodeCount();
    std::vector<Index> patchOf;
    for (const std::string &name : pocket.hex.patchNames)
        patchOf.push_back(mesh.patch(name));
    const fv::HexMesh &p = pocket.hex;
    for (double angle : angles) {
        const double c = std::cos(angle), s = std::sin(angle);
        const Index offset = mesh.nodeCount();
        for (Index n = 0; n < p.nodeCount(); ++n)
            mesh.addNode(c * p.x[n] - s * p.y[n], s * p.x[n] + c * p.y[n], p.z[n]);
        for (auto cell : p.cells) {
            for (Index &n : cell)
                n += offset;
            mesh.cells.push_back(cell);
        }
        for (auto quad : p.boundary) {
            for (Index &n : quad.nodes)
                n += offset;
            quad.patch = patchOf[static_cast<size_t>(quad.patch)];
            mesh.boundary.push_back(quad);
        }
    }
    return placed;
}

std::vector<OpeningFace> openingFaces(const fv::Mesh &mesh, const PlacedPockets &placed, const PocketProper &pocket,
                                      double boreRadius)
{
    std::vector<OpeningFace> faces;
    const fv::Patch *opening = mesh.patch(pocketPatches[BoreOpening]);
    if (!opening)
        return faces;
    for (Index f = opening->start; f < opening->start + opening->size; ++f) {
        OpeningFace face;
        face.face = f;
        face.cell = mesh.owner[static_cast<size_t>(f)];
        face.pocket = placed.pocketOfCell(face.cell);
        if (face.pocket < 0)
            continue;
        fv::HexMesh::BoundaryQuad local;
        const Index offset = placed.firstNode + face.pocket * placed.nodesPerPocket;
        for (int k = 0; k < 4; ++k)
            local.nodes[static_cast<size_t>(k)] = mesh.faceNodes[4 * static_cast<size_t>(f) + static_cast<size_t>(k)] - offset;
        face.polygon = openingPolygon(pocket.hex, local, boreRadius);
        faces.push_back(face);
    }
    return faces;
}

} // namespace euler::pockets
