#include "fv/boxmesh.h"

namespace euler::fv {

HexMesh boxMesh(const BoxSpec &b)
{
    HexMesh m;
    for (int k = 0; k <= b.nz; ++k)
        for (int j = 0; j <= b.ny; ++j)
            for (int i = 0; i <= b.nx; ++i)
                m.addNode(b.lx * i / b.nx, b.ly * j / b.ny, b.lz * k / b.nz);
    auto node = [&](int i, int j, int k) { return static_cast<HexMesh::Index>(i + (b.nx + 1) * (j + (b.ny + 1) * k)); };
    const HexMesh::Index patches[6] = {m.patch("xmin"), m.patch("xmax"), m.patch("ymin"),
                                       m.patch("ymax"), m.patch("zmin"), m.patch("zmax")};
    for (int k = 0; k < b.nz; ++k)
        for (int j = 0; j < b.ny; ++j)
            for (int i = 0; i < b.nx; ++i) {
                // Bottom face counter-clockwise seen from below, top above it.
                const std::array<HexMesh::Index, 8> n = {node(i, j, k),         node(i, j + 1, k),
                                                         node(i + 1, j + 1, k), node(i + 1, j, k),
                                                         node(i, j, k + 1),     node(i, j + 1, k + 1),
                                                         node(i + 1, j + 1, k + 1), node(i + 1, j, k + 1)};
                m.cells.push_back(n);
                // Boundary quads in the cell's outward order (hexmesh.h).
                if (i == 0)
                    m.boundary.push_back({{n[1], n[0], n[4], n[5]}, patches[0]});
                if (i == b.nx - 1)
                    m.boundary.push_back({{n[3], n[2], n[6], n[7]}, patches[1]});
                if (j == 0)
                    m.boundary.push_back({{n[0], n[3], n[7], n[4]}, patches[2]});
                if (j == b.ny - 1)
                    m.boundary.push_back({{n[2], n[1], n[5], n[6]}, patches[3]});
                if (k == 0)
                    m.boundary.push_back({{n[0], n[1], n[2], n[3]}, patches[4]});
                if (k == b.nz - 1)
                    m.boundary.push_back({{n[4], n[7], n[6], n[5]}, patches[5]});
            }
    return m;
}

} // namespace euler::fv
