#include "chamber/chamberpockets.h"

#include "io/pocketmesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace euler::chamber {

PocketedMesh pocketedMesh(const fv::HexMesh &chamber, const pockets::PocketProper *pocket,
                          const std::vector<double> &angles)
{
    PocketedMesh all{chamber, {}};
    if (pocket)
        all.placed = pockets::placePockets(all.hex, *pocket, angles);
    return all;
}

std::vector<pockets::SideColumn> sideColumns(const ChamberMesh &mesh, const std::vector<Index> &sideFaces,
                                             const fv::Mesh &fvMesh)
{
    const fv::HexMesh &hex = mesh.hex();
    const int nc = mesh.section().circumferential, bore = mesh.section().rings();
    std::vector<pockets::SideColumn> columns(static_cast<size_t>(nc));
    for (int l = 0; l < nc; ++l) {
        pockets::SideColumn &c = columns[static_cast<size_t>(l)];
        const Index left = mesh.ringNode(bore, l), right = mesh.ringNode(bore, (l + 1) % nc);
        c.theta0 = std::atan2(hex.y[left], hex.x[left]);
        c.theta1 = std::atan2(hex.y[right], hex.x[right]);
        for (int j = 0; j < mesh.layers(); ++j) {
            const Index face = sideFaces[static_cast<size_t>(j * nc + l)];
            c.faces.push_back({face, fvMesh.owner[static_cast<size_t>(face)],
                               mesh.zeta()[static_cast<size_t>(mesh.node(j, left))],
                               mesh.zeta()[static_cast<size_t>(mesh.node(j + 1, left))]});
        }
    }
    return columns;
}

std::vector<Index> quadFaces(const fv::Mesh &mesh, const fv::HexMesh &hex, Index first, Index count)
{
    const auto sorted = [](std::array<Index, 4> n) {
        std::sort(n.begin(), n.end());
        return n;
    };
    std::map<std::array<Index, 4>, Index> faceOf;
    for (Index f = mesh.internalFaceCount(); f < mesh.faceCount(); ++f) {
        const Index *n = &mesh.faceNodes[static_cast<size_t>(4 * f)];
        faceOf[sorted({n[0], n[1], n[2], n[3]})] = f;
    }
    std::vector<Index> faces;
    for (Index q = first; q < first + count; ++q)
        faces.push_back(faceOf.at(sorted(hex.boundary[static_cast<size_t>(q)].nodes)));
    return faces;
}

std::unique_ptr<pockets::BoreJoin> joinPockets(const ChamberMesh &mesh, const std::vector<Index> &sideFaces,
                                               const pockets::PlacedPockets &placed,
                                               const pockets::PocketProper &pocket, fv::Solver &solver)
{
    const double R = mesh.boreRadius();
    auto join = std::make_unique<pockets::BoreJoin>(R, placed.angles, sideColumns(mesh, sideFaces, solver.mesh()),
                                                    pockets::openingFaces(solver.mesh(), placed, pocket, R));
    solver.setBoundaryKind(join->interfaceFaces(), fv::BoundaryKind::Interface);
    solver.reserveInterfacePieces(join->pieceCapacity());
    return join;
}

std::unique_ptr<pockets::HeadJoin> joinRecesses(const fv::HexMesh &hex, const std::vector<Index> &headFaces,
                                                Index borePieces, fv::Solver &solver)
{
    const std::vector<Index> recessFaces = solver.mesh().patchFaces(pockets::headOpeningPatch);
    if (recessFaces.empty())
        return nullptr;
    auto join = std::make_unique<pockets::HeadJoin>(solver.mesh(), hex, headFaces, recessFaces);
    solver.setBoundaryKind(join->interfaceFaces(), fv::BoundaryKind::Interface);
    solver.reserveInterfacePieces(borePieces + join->pieceCount());
    return join;
}

std::vector<std::vector<Index>> seatFaces(const fv::Mesh &mesh, const pockets::PlacedPockets &placed)
{
    std::vector<std::vector<Index>> faces(static_cast<size_t>(placed.count()));
    const fv::Patch *seat = mesh.patch(pocketPatches[ValveSeat]);
    if (!seat)
        return faces;
    for (Index f = seat->start; f < seat->start + seat->size; ++f) {
        const int pocket = placed.pocketOfCell(mesh.owner[static_cast<size_t>(f)]);
        if (pocket >= 0)
            faces[static_cast<size_t>(pocket)].push_back(f);
    }
    return faces;
}

} // namespace euler::chamber
