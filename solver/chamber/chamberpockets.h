#pragma once

#include "chamber/chambermesh.h"
#include "fv/mesh.h"
#include "fv/solver.h"
#include "pockets/borejoin.h"
#include "pockets/headjoin.h"
#include "pockets/pocketplacement.h"

#include <memory>
#include <vector>

namespace euler::chamber {

// The chamber's hexahedra, then one copy of the pocket per angle (none
// without a pocket).
struct PocketedMesh
{
    fv::HexMesh hex;
    pockets::PlacedPockets placed;
};
PocketedMesh pocketedMesh(const fv::HexMesh &chamber, const pockets::PocketProper *pocket,
                          const std::vector<double> &angles);

// The chamber's side wall as the pockets' join sees it: one column per pair
// of neighbouring bore nodes, its faces (sideFaces, in ChamberMesh quad
// order: layer by layer, counter-clockwise from the x axis) from the head to
// the piston, each with its owner cell and the zeta of its planes.
std::vector<pockets::SideColumn> sideColumns(const ChamberMesh &mesh, const std::vector<Index> &sideFaces,
                                             const fv::Mesh &fvMesh);

// The mesh faces of boundary quads [first, first + count) of the hexahedron
// mesh, in that order.
std::vector<Index> quadFaces(const fv::Mesh &mesh, const fv::HexMesh &hex, Index first, Index count);

// The join of the placed pockets' openings to the chamber's side wall
// (sideFaces: the mesh face of every side-wall quad, ChamberMesh order); the
// faces it stands in for become the solver's interface faces, with room for
// its pieces.
std::unique_ptr<pockets::BoreJoin> joinPockets(const ChamberMesh &mesh, const std::vector<Index> &sideFaces,
                                               const pockets::PlacedPockets &placed,
                                               const pockets::PocketProper &pocket, fv::Solver &solver);

// The join of the pockets' recesses behind the head (their head_opening
// faces) to the chamber's head faces (headFaces); null when the pockets have
// no recess. The faces it stands in for become the solver's interface
// faces; the room for its pieces is reserved with the bore join's (whose
// capacity `borePieces` is).
std::unique_ptr<pockets::HeadJoin> joinRecesses(const fv::HexMesh &hex, const std::vector<Index> &headFaces,
                                                Index borePieces, fv::Solver &solver);

// The valve_seat faces of every placed pocket, pocket by pocket.
std::vector<std::vector<Index>> seatFaces(const fv::Mesh &mesh, const pockets::PlacedPockets &placed);

} // namespace euler::chamber
