#pragma once

#include <algorithm>

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
inline double barthJespersen(double phi, double q, double lo, double hi, double delta)
{
    if (delta > 0)
        return std::min(phi, (hi - q) / delta);
    if (delta < 0)
        return std::min(phi, (lo - q) / delta);
    return phi;
}

} // namespace euler::fv
