#pragma once

#include "fv/geometry.h"

#include <vector>

namespace euler::fv {

// A motion in which some nodes stretch along z, z = lambda zeta with x and
// y fixed, while the others stay: the chamber under its piston beside
// pockets that do not move. For it the geometry needs no node positions:
//  - a planar face all of whose nodes stretch is the affine image of itself
//    at lambda = 1: area vector (lambda A_x, lambda A_y, A_z), centroid and
//    mean point (x, y, lambda z); a cell all of whose faces are such faces
//    has volume lambda V and centroid (x, y, lambda z) (the face and pyramid
//    weights all scale alike);
//  - every face sweeps (lambda1 - lambda0) K_f between two factors, K_f the
//    volume it sweeps from lambda = 0 to 1: with x and y fixed and z affine
//    in lambda, each term of the swept volume (geometry.cpp) is a z
//    displacement times an area in x and y. A face that stays sweeps zero.
// The other faces and cells that move (some nodes stretch and some stay, or
// a warped face) are computed from node positions as in general.
class AxialStretch
{
public:
    enum class Kind : char { Static, Affine, General };

    AxialStretch() = default;
    // Nodes `nodes` stretch with their `zeta`; all others stay where
    // `current` has them. Throws MeshError for a node out of range or
    // lists of different lengths.
    AxialStretch(const Mesh &mesh, const NodePositions &current, const std::vector<Index> &nodes,
                 const std::vector<double> &zeta);

    bool active() const { return active_; }
    // All node positions at factor lambda.
    void positions(double lambda, NodePositions &out) const;
    // The geometry of the faces and cells that move, at factor lambda.
    // `scratch` holds node positions when some faces need them.
    void update(const Mesh &mesh, double lambda, Geometry &g, NodePositions &scratch) const;
    // Volume face f sweeps from lambda0 to lambda1.
    double swept(Index f, double lambda0, double lambda1) const { return (lambda1 - lambda0) * unitSwept_[f]; }

    Kind cellKind(Index c) const { return cellKind_[c]; }
    // Cells whose least-squares stencil moves other than affinely (a
    // neighbour or face that moves otherwise or stays while they stretch):
    // their coefficients are recomputed from the geometry after each move.
    const std::vector<Index> &generalStencils() const { return generalStencils_; }
    // Whether cell c and every cell next to it are affine: its coefficients
    // follow from reference offsets and the factor (gradient.h).
    bool affineStencil(Index c) const { return affineStencil_[c] != 0; }

    std::size_t bytes() const;

private:
    bool active_ = false;
    std::vector<Index> nodes_;
    std::vector<double> zeta_;
    NodePositions base_; // the nodes that stay, and x, y of all
    std::vector<Kind> cellKind_;
    std::vector<char> affineStencil_;
    std::vector<Index> affineFaces_, generalFaces_, affineCells_, generalCells_, generalStencils_;
    // Per affine face A_x, A_y and the centroid's and mean point's z at
    // lambda = 1 (the rest does not change); per affine cell V and z.
    std::vector<double> faceReference_, cellReference_;
    std::vector<double> unitSwept_;
};

} // namespace euler::fv
