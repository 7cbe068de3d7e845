#pragma once

#include "pockets/pocketproper.h"

namespace euler::pockets {

// Merges the pocket's cells along its axis: each column of cells from an
// opening face on the bore to a valve_seat face becomes one hexahedron
// spanned by those two faces. The mapped mesh has six layers across a pocket
// that is 4 mm deep at its middle in the sample case, 0.7 mm cells whose
// time step would hold the whole run down to that of top dead centre; merged,
// the pocket's cells are no thinner than the chamber's at mid stroke.
//
// The geometry stays exactly what it was when the nodes of every column lie
// on straight lines (the mapping stretches the pocket zone along x only);
// then the pocket's volume, opening and seat are unchanged. Returns false,
// leaving the pocket as it is, when its cells do not form such columns (a
// column ending elsewhere than on the seat, a bent node line, a cell in no
// column or in two, merged faces that do not close a mesh).
bool mergeColumns(PocketProper &pocket);

// The same for the recess behind the head: each column of its cells from the
// face it shares with the pocket on the bore to the cone's far end is merged
// into at most recessSegments hexahedra, cut at the same layers in every
// column and each at least 1/recessSegments of every column long: the
// transition zone's layers, which thin out to nothing at the pocket's rim,
// join the cone's first layer, the cone's other layers two by two (in the
// reference mesh: three cells per column). Gas that comes in through the head plane turns there towards
// the pocket, and a single cell along the column would pass it only with a
// pressure jump of rho a du at the bore. Where a merged cell spans the bend
// of its column (cone to transition zone) the recess's shape changes a
// little; its volume is the merged cells'. True when merged or when there
// is no recess.
inline constexpr int recessSegments = 6;
bool mergeRecessColumns(PocketProper &pocket);

} // namespace euler::pockets
