#pragma once

#include "fv/hexmesh.h"

#include <array>
#include <cstdint>
#include <vector>

namespace euler::chamber {

using Index = fv::HexMesh::Index;

// What the chamber mesh is made from: the cylinder data's geometry and mesh
// counts (lengths in m).
struct ChamberMeshSpec
{
    double boreRadius = 0;
    double rodRadius = 0;
    int n1 = 1;               // cells from the rod radius (or core) to the bore
    int n2 = 0;               // cells from the core to the rod radius
    int n3 = 1;               // layers from the head to the piston
    double gradingPiston = 1; // last/first radial width of the n1 cells
    double gradingRod = 1;    // last/first radial width of the n2 cells
};

// The layout of the cross-section an O-grid takes for a spec:
//  - a core block of m x m cells (m even) round the axis;
//  - rings of cells round it, first n2 out to the rod radius (when there is
//    a rod and n2 >= 1), then n1 out to the bore;
//  - 4 m cells round the circumference, nodes at equal angles 2 pi l / (4 m),
//    l = 0 on the x axis.
// The construction itself is written down in docs/solver-model.md.
struct CrossSection
{
    int coreCells = 2;              // m
    int circumferential = 8;        // 4 m
    double coreRadius = 0;          // r_0: the core's corners lie on this circle
    double blendRadius = 0;         // from here outwards the rings are circles
    std::vector<double> ringRadii;  // r_0 = ringRadii[0] < ... < bore radius
    bool rodRing = false;           // n2 rings between core and rod radius

    int rings() const { return static_cast<int>(ringRadii.size()) - 1; }
};
CrossSection crossSection(const ChamberMeshSpec &spec);

// Cell, node and face counts of the mesh of a spec, computed without building
// it (in floating point, so that absurd counts do not overflow).
struct MeshCounts
{
    double cells = 0, nodes = 0, faces = 0;
};
MeshCounts meshCounts(const ChamberMeshSpec &spec);

// The chamber between head (z = 0) and piston as hexahedra: the O-grid
// cross-section repeated on n3 + 1 planes z = zeta s, zeta = j / n3. Patches
// "head", "piston" and "side" (the bore). The node positions are exactly
// mirror-symmetric about the x and y axes and the diagonals: every node is
// computed in the first octant and reflected by sign changes and a swap.
//
// Node numbers: plane j holds nodes [j P, (j+1) P), P = nodesPerPlane(); in a
// plane the (m+1)^2 core nodes come first (row by row, x fastest), then ring
// k = 1..K with 4m nodes each, counter-clockwise from the x axis. Ring 0 is the
// core's boundary. Cells: layer by layer, core cells first, then ring by ring.
class ChamberMesh
{
public:
    ChamberMesh(const ChamberMeshSpec &spec, double gap);

    const fv::HexMesh &hex() const { return hex_; }
    fv::HexMesh &hex() { return hex_; }
    const CrossSection &section() const { return section_; }
    // zeta of every node: z = zeta s(phi).
    const std::vector<double> &zeta() const { return zeta_; }

    int layers() const { return layers_; }
    Index nodesPerPlane() const { return nodesPerPlane_; }
    Index cellsPerLayer() const { return cellsPerLayer_; }
    Index node(int plane, Index inPlane) const { return plane * nodesPerPlane_ + inPlane; }
    // In-plane node numbers.
    Index coreNode(int i, int j) const { return j * (section_.coreCells + 1) + i; }
    Index ringNode(int ring, int l) const;
    double boreRadius() const { return section_.ringRadii.back(); }
    // The cross-section's quadrilaterals (in-plane nodes, counter-clockwise
    // seen from +z), in the order of the cells of a layer and of the head and
    // piston quads. Cell c of layer j is j cellsPerLayer() + c.
    const std::vector<std::array<Index, 4>> &planeQuads() const { return planeQuads_; }
    // Boundary quads of a patch: [first, first + count) in hex().boundary.
    // Head and piston hold one per plane quad, in its order; the side holds
    // layer by layer the 4m faces counter-clockwise from the x axis.
    Index firstHeadQuad() const { return 0; }
    Index firstPistonQuad() const { return cellsPerLayer_; }
    Index firstSideQuad() const { return 2 * cellsPerLayer_; }

    static constexpr const char *headPatch = "head";
    static constexpr const char *pistonPatch = "piston";
    static constexpr const char *sidePatch = "side";

private:
    void addNodes(double gap);
    void addCells();

    CrossSection section_;
    int layers_ = 1;
    Index nodesPerPlane_ = 0;
    Index cellsPerLayer_ = 0;
    std::vector<Index> boundaryRing_; // in-plane core node of ring 0, per l
    std::vector<std::array<Index, 4>> planeQuads_;
    fv::HexMesh hex_;
    std::vector<double> zeta_;
};

} // namespace euler::chamber
