#pragma once

#include <string>

// Builds the reference valve pocket mesh (piston radius 340 mm, pocket radius
// 100 mm, cone height 40 mm, pocket height 19 mm) as the text of a pocket mesh
// file. Plain C++, so the generator builds without Qt.
namespace PocketMeshGen {

// Cells of the structured mesh. The cross-section is an O-grid: a square of
// `square` x `square` cells inside a ring of `ring` layers. `square` must be
// odd, so that no node sits where the pocket rim touches the bore (|y| = r0,
// z = 0), where the transition zone has no thickness.
struct Resolution {
    int square = 9;
    int ring = 4;
    int coneLayers = 6;
    int transitionLayers = 4;
    int pocketLayers = 6;
};

// Node count of a mesh of that resolution.
long long nodeCount(const Resolution &resolution);

// The whole file; every coordinate has six decimals, so the mapping with the
// reference geometry writes each node back unchanged.
std::string generate(const Resolution &resolution);

} // namespace PocketMeshGen
