#pragma once

#include "fv/mesh.h"

#include <array>
#include <vector>

namespace euler::fv {

// Named indices of the conservative variables U = (rho, rho u, rho v, rho w, E)
// (E the total energy per volume) and of the primitive variables
// W = (rho, u, v, w, p).
enum Conserved : int { Density = 0, MomentumX, MomentumY, MomentumZ, Energy, ConservedCount };
enum Primitive : int { Rho = 0, VelocityX, VelocityY, VelocityZ, Pressure, PrimitiveCount };

// One array per variable over the cells (structure of arrays).
template <int N>
struct CellFields
{
    std::array<std::vector<double>, N> v;

    void resize(Index cells)
    {
        for (auto &a : v)
            a.resize(cells);
    }
    std::vector<double> &operator[](int i) { return v[i]; }
    const std::vector<double> &operator[](int i) const { return v[i]; }
    Index size() const { return static_cast<Index>(v[0].size()); }
};

using ConservedFields = CellFields<ConservedCount>;
using PrimitiveFields = CellFields<PrimitiveCount>;

// A primitive state at one point.
struct PointState
{
    double rho = 0, u = 0, v = 0, w = 0, p = 0;
};

} // namespace euler::fv
