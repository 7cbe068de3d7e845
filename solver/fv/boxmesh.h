#pragma once

#include "fv/hexmesh.h"

namespace euler::fv {

// A box [0, lx] x [0, ly] x [0, lz] of nx x ny x nz equal hexahedra, with
// the patches "xmin", "xmax", "ymin", "ymax", "zmin", "zmax". Channels for
// the verification cases and the benchmark box; node (i, j, k) is number
// i + (nx + 1) (j + (ny + 1) k).
struct BoxSpec
{
    int nx = 1, ny = 1, nz = 1;
    double lx = 1, ly = 1, lz = 1;
};

HexMesh boxMesh(const BoxSpec &spec);

} // namespace euler::fv
