#pragma once

#include "fv/hexmesh.h"
#include "models/vec3.h"

#include <array>
#include <filesystem>
#include <vector>

namespace euler {

// The mapped pocket mesh of one valve in figures, for the log.
struct PocketMeshSummary
{
    int nodes = 0;
    int hexahedra = 0;       // in the file
    double maxAbsY = 0;      // m, half width across the pocket axis
};

// Volume of a hexahedron with nodes 1-4 on one face and 5-8 opposite (5 above
// 1): divergence theorem over the six faces, each split into four triangles
// about its centroid. Exact for planar faces; unsigned.
double hexahedronVolume(const std::array<Vec3, 8> &nodes);

// The patches of a pocket mesh file, in the order of HexMesh::patchNames
// after readPocketHexMesh: where the pocket opens into the cylinder, its wall,
// and the seat of its valve.
inline constexpr const char *pocketPatches[] = {"bore_opening", "pocket_wall", "valve_seat"};
enum PocketPatch { BoreOpening = 0, PocketWall = 1, ValveSeat = 2 };

// The whole pocket mesh file (docs/pocket-mesh-format.md): nodes scaled by
// `scale` (m per unit), hexahedra and boundary faces with their patches
// (pocketPatches, in that order, whether used or not). Throws RunError naming
// the file and line on malformed content: a count that is no count or more
// than the lines that follow, a short line, a node number out of range, an
// unknown patch.
fv::HexMesh readPocketHexMesh(const std::filesystem::path &file, double scale);

PocketMeshSummary summarize(const fv::HexMesh &mesh);

} // namespace euler
