// The finite-volume mesh builder on hexahedron meshes gone wrong: a box of a
// few cells, then edits read from the input (node numbers, patches, cells and
// quads dropped or repeated, nodes moved onto each other or by small
// amounts). The builder refuses a mesh with a MeshError or builds one whose
// cells have positive finite volumes, under the trap build's floating-point
// traps.
#include "fptraps.h"
#include "fuzzinput.h"

#include "fv/boxmesh.h"
#include "fv/geometry.h"
#include "fv/mesh.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

using euler::fv::HexMesh;

class Bytes
{
public:
    Bytes(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    unsigned next() { return at_ < size_ ? data_[at_++] : 0; }
    unsigned next16() { return next() | next() << 8; }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// One edit of the mesh; indices wrap round the mesh's sizes.
void edit(HexMesh &hex, Bytes &in)
{
    const unsigned kind = in.next() % 8;
    const unsigned index = in.next16();
    const int value = static_cast<int>(in.next16()) - 8;
    const auto nodes = static_cast<unsigned>(hex.nodeCount());
    switch (kind) {
    case 0:
        if (!hex.cells.empty())
            hex.cells[index / 8 % hex.cells.size()][index % 8] = value;
        break;
    case 1:
        if (!hex.boundary.empty())
            hex.boundary[index / 4 % hex.boundary.size()].nodes[index % 4] = value;
        break;
    case 2:
        if (!hex.boundary.empty())
            hex.boundary[index % hex.boundary.size()].patch = value % 9 - 1;
        break;
    case 3:
        if (!hex.cells.empty())
            hex.cells.erase(hex.cells.begin() + index % hex.cells.size());
        break;
    case 4:
        if (!hex.boundary.empty())
            hex.boundary.erase(hex.boundary.begin() + index % hex.boundary.size());
        break;
    case 5:
        if (!hex.cells.empty())
            hex.cells.push_back(hex.cells[index % hex.cells.size()]);
        break;
    case 6: { // a node onto another
        const unsigned to = index % nodes, from = static_cast<unsigned>(value + 8) % nodes;
        hex.x[to] = hex.x[from];
        hex.y[to] = hex.y[from];
        hex.z[to] = hex.z[from];
        break;
    }
    default: { // a node moved by up to two cell widths
        std::vector<double> &axis = index % 3 == 0 ? hex.x : index % 3 == 1 ? hex.y : hex.z;
        axis[index / 3 % nodes] += value * (1.0 / 16384);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Bytes in(data, size);
    euler::fv::BoxSpec spec;
    spec.nx = 1 + static_cast<int>(in.next() % 4);
    spec.ny = 1 + static_cast<int>(in.next() % 4);
    spec.nz = 1 + static_cast<int>(in.next() % 4);
    spec.lx = spec.nx * 0.25;
    spec.ly = spec.ny * 0.25;
    spec.lz = spec.nz * 0.25;
    HexMesh hex = euler::fv::boxMesh(spec);
    for (int edits = 0; edits < 64 && !in.empty(); ++edits)
        edit(hex, in);

    const fuzz::FloatingPointTraps traps;
    try {
        const euler::fv::Mesh mesh(hex);
        euler::fv::NodePositions nodes;
        nodes.assign(hex);
        euler::fv::Geometry geometry;
        geometry.resize(mesh);
        geometry.update(mesh, nodes);
        for (double volume : geometry.volume)
            fuzz::require(std::isfinite(volume) && volume > 0, "a built mesh's cells have positive volumes");
    } catch (const euler::fv::MeshError &) {
    }
    return 0;
}
