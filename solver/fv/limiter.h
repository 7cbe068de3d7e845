#pragma once

#include "fv/gradient.h"

namespace euler::fv {

// Barth-Jespersen limiter (T. J. Barth and D. C. Jespersen, The design and
// application of upwind schemes on unstructured meshes, AIAA paper 89-0366,
// 1989). For each cell and primitive variable q, with q_min and q_max over
// the cell and its face neighbours (mirror values at boundary faces) and
// Delta_f = grad q . (x_f - x_c) the unlimited change to face centroid f,
//     phi_f = min(1, (q_max - q_c) / Delta_f)   Delta_f > 0
//           = min(1, (q_min - q_c) / Delta_f)   Delta_f < 0
//           = 1                                 Delta_f = 0
// and the gradient is scaled by phi = min_f phi_f. Face values then lie
// within the neighbours' range, so positive densities and pressures stay
// positive and a uniform field stays exactly uniform.
void limitGradients(const Mesh &mesh, const Geometry &geometry, const BoundaryConditions &bc,
                    const FaceMotion &motion, const PrimitiveFields &w, Gradients &g);

} // namespace euler::fv
