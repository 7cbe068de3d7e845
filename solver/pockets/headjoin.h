#pragma once

#include "fv/geometry.h"
#include "fv/hexmesh.h"
#include "fv/interface.h"
#include "fv/mesh.h"

#include <vector>

namespace euler::pockets {

using Index = fv::HexMesh::Index;

// Where the pockets' recesses behind the head open into the chamber: their
// faces on the head plane z = 0 (patch head_opening) and the chamber's head
// faces, which do not match them, joined by their overlaps. Neither side
// moves (the head stands still), so the overlaps are found once: each
// recess face, a convex quadrilateral in (x, y), clipped to every head face
// it meets (Sutherland-Hodgman against the head face's edges). Every piece
// joins the chamber cell to the recess cell by its area vector (0, 0, -A),
// out of the chamber through the head; what a face leaves uncovered is wall,
// its own vector less (a head face) or plus (a recess face) its pieces', so
// that every cell's faces still close exactly.
class HeadJoin
{
public:
    // headFaces: the chamber's head faces; recessFaces: the recesses'
    // head_opening faces; node coordinates from `hex` (the head's and the
    // recesses' nodes never move).
    HeadJoin(const fv::Mesh &mesh, const fv::HexMesh &hex, const std::vector<Index> &headFaces,
             const std::vector<Index> &recessFaces);

    // The faces the pieces stand in for: the head faces some recess meets
    // and every recess face.
    std::vector<Index> interfaceFaces() const;
    Index pieceCount() const;
    // Appends the overlap pieces and the wall pieces (of `geometry`'s face
    // vectors and centroids).
    void append(const fv::Geometry &geometry, fv::InterfacePieces &pieces) const;

    // Per recess face (in the order given), the area its overlaps cover.
    const std::vector<double> &openArea() const { return openArea_; }
    const std::vector<Index> &recessFaces() const { return recessFaces_; }

private:
    struct Piece
    {
        Index chamberCell, recessCell;
        double area, x, y;
    };
    struct JoinedFace
    {
        Index face, cell;
        double sumZ; // sum of its pieces' area vectors' z
    };

    std::vector<Piece> pieces_;
    std::vector<JoinedFace> head_, recess_;
    std::vector<Index> recessFaces_;
    std::vector<double> openArea_;
};

} // namespace euler::pockets
