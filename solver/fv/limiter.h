#pragma once

#include "fv/simd.h"

namespace euler::fv {

// Barth-Jespersen limiter (T. J. Barth and D. C. Jespersen, The design and
// application of upwind schemes on unstructured meshes, AIAA paper 89-0366,
// 1989). For a cell value q_c, the range [q_min, q_max] of the cell and its
// face neighbours (mirror values at boundary faces) and the unlimited change
// Delta_f = grad q . (x_f - x_c) to face centroid f,
//     phi_f = min(1, (q_max - q_c) / Delta_f)   Delta_f > 0
//           = min(1, (q_min - q_c) / Delta_f)   Delta_f < 0
//           = 1                                 Delta_f = 0
// and the gradient is scaled by phi = min_f phi_f. Face values then lie
// within the neighbours' range, so positive densities and pressures stay
// positive, and a uniform field keeps zero gradients.
//
// Since q_max - q_c >= 0 and q_min - q_c <= 0, the quotients fall as the
// change grows (in floating point too: division rounds monotonically), so
// phi comes from the largest rise `up` = max(0, max_f Delta_f) and the
// largest fall `down` = min(0, min_f Delta_f) alone, with the same bits as
// the minimum over the faces and two divisions instead of one per face.
// Written over the number type (simd.h); a lane without a rise or fall
// divides by one instead of zero and keeps its factor.
template <class T>
inline T barthJespersen(T q, T lo, T hi, T up, T down)
{
    const T one = splat<T>(1.0), zero = splat<T>(0.0);
    const auto rises = zero < up, falls = down < zero;
    const T phi = select(rises, minOf(one, (hi - q) / select(rises, up, one)), one);
    return select(falls, minOf(phi, (lo - q) / select(falls, down, one)), phi);
}

} // namespace euler::fv
