#pragma once

#include "fv/mesh.h"
#include "pockets/borejoin.h"
#include "pockets/pocketproper.h"

#include <string>
#include <vector>

namespace euler::pockets {

// Where the copies of a pocket went in a mesh: pocket p (one per valve) holds
// cells [firstCell + p cellsPerPocket, ...) and nodes likewise, turned about
// the cylinder axis by angles[p] (its axis, x of the pocket mesh, then points
// at that angle).
struct PlacedPockets
{
    std::vector<double> angles; // rad
    Index firstCell = 0, cellsPerPocket = 0;
    Index firstNode = 0, nodesPerPocket = 0;

    int count() const { return static_cast<int>(angles.size()); }
    // The pocket of a cell, -1 for a cell before them (the chamber's).
    int pocketOfCell(Index cell) const;
    int pocketOfNode(Index node) const;
};

// Refuses pockets of different valves that overlap: each spans
// 2 halfAngle on the bore, where it is widest, so two overlap when their
// angles lie closer than that. Throws RunError (BadInput) naming the file,
// the two valves and their angles.
void checkPocketsApart(const PocketProper &pocket, const std::vector<double> &angles,
                       const std::vector<std::string> &valveNames, const std::string &file);

// Appends one copy of the pocket per angle to the mesh, rotated about the z
// axis; the pocket's patches join the mesh's by name.
PlacedPockets placePockets(fv::HexMesh &mesh, const PocketProper &pocket, const std::vector<double> &angles);

// The pockets' opening faces in a finite-volume mesh built from that
// hexahedron mesh (patch bore_opening), each with its pocket and its
// polygon in the pocket's frame, taken from the pocket's own coordinates so
// that every copy has the same polygons.
std::vector<OpeningFace> openingFaces(const fv::Mesh &mesh, const PlacedPockets &placed, const PocketProper &pocket,
                                      double boreRadius);

} // namespace euler::pockets
