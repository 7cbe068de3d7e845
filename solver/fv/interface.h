#pragma once

#include "fv/mesh.h"

#include <vector>

namespace euler::fv {

// Faces the driver adds to the mesh's own: the pieces in which two mesh
// parts meet without matching faces (a pocket face and the chamber side-wall
// faces it overlaps, cut into overlap pieces), and wall pieces where one side
// overlaps nothing. The faces they replace are boundary faces of kind
// Interface. Each piece has an owner cell, a neighbour cell (-1 for a wall
// piece), an area vector pointing from owner to neighbour (out of the owner
// for a wall piece) and a centroid; the driver recomputes them whenever the
// nodes move. Pieces do not move along their normal (the parts slide along
// the surface they share), so they sweep no volume. The flux loop and the
// gather treat them like any other face.
struct InterfacePieces
{
    Index count = 0;
    std::vector<Index> owner, neighbour;
    std::vector<double> areaX, areaY, areaZ, centreX, centreY, centreZ;

    Index capacity() const { return static_cast<Index>(owner.size()); }
    // Room for that many pieces; the time loop never grows it.
    void reserve(Index pieces);
    // Appends a piece; false when the reserved room is full.
    bool add(Index own, Index other, double ax, double ay, double az, double cx, double cy, double cz);
    void clear() { count = 0; }
};

} // namespace euler::fv
