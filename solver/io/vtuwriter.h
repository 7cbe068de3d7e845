#pragma once

#include "fv/hexmesh.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace euler {

// One cell array of a ParaView file: a name and one value array per
// component (structure of arrays, one value per cell), e.g. "velocity" with
// the three velocity components.
struct VtuCellArray
{
    std::string name;
    std::vector<const std::vector<double> *> components;
};

// Writes hexahedron meshes with cell data as VTK XML UnstructuredGrid files
// (".vtu", ParaView reads them): points, cells and cell arrays in one
// appended raw binary block, Float32 values, Int32 connectivity, UInt64 block
// headers, in the machine's byte order (declared in the file).
//
// VTK's hexahedron lists its bottom face so that its normal points to the
// top face; HexMesh lists it the other way round (hexmesh.h), so the writer
// puts nodes 0 3 2 1 4 7 6 5 of every cell.
class VtuWriter
{
public:
    explicit VtuWriter(const fv::HexMesh &topology);

    // Writes the mesh with the node positions given (one value per node of
    // the topology) and the cell arrays. A value that is not finite, or does
    // not fit a Float32, is refused: RunError (Diverged) naming the array and
    // the cell; RunError (OutputFailed) when the file cannot be written.
    void write(const std::filesystem::path &file, const std::vector<double> &x, const std::vector<double> &y,
               const std::vector<double> &z, const std::vector<VtuCellArray> &arrays);

    // Node order of a VTK hexahedron, as indices into a HexMesh cell.
    static constexpr int vtkOrder[8] = {0, 3, 2, 1, 4, 7, 6, 5};

private:
    template <typename T>
    void appendBlock(const std::vector<T> &values);
    void appendFloats(const std::vector<const std::vector<double> *> &components, std::size_t count,
                      const std::string &what, const char *item);

    std::size_t points_ = 0, cells_ = 0;
    std::vector<std::int32_t> connectivity_, offsets_;
    std::vector<std::uint8_t> types_;
    std::vector<float> scratch_;
    std::string xml_, data_;
};

} // namespace euler
