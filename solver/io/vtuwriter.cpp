#include "io/vtuwriter.h"

#include "io/inputerror.h"
#include "io/numberformat.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace euler {
namespace {

constexpr std::uint8_t vtkHexahedron = 12;

const char *byteOrder()
{
    const std::uint16_t one = 1;
    unsigned char first = 0;
    std::memcpy(&first, &one, 1);
    return first ? "LittleEndian" : "BigEndian";
}

void dataArray(std::string &xml, const char *type, const std::string &name, std::size_t components,
               std::size_t offset)
{
    xml += "        <DataArray type=\"";
    xml += type;
    xml += '"';
    if (!name.empty())
        xml += " Name=\"" + name + '"';
    if (components > 1) {
        xml += " NumberOfComponents=\"";
        appendInteger(xml, static_cast<long long>(components));
        xml += '"';
    }
    xml += " format=\"appended\" offset=\"";
    appendInteger(xml, static_cast<long long>(offset));
    xml += "\"/>\n";
}

} // namespace

VtuWriter::VtuWriter(const fv::HexMesh &topology)
    : points_(static_cast<std::size_t>(topology.nodeCount())), cells_(static_cast<std::size_t>(topology.cellCount()))
{
    connectivity_.reserve(8 * cells_);
    offsets_.reserve(cells_);
    for (const auto &cell : topology.cells) {
        for (int k : vtkOrder)
            connectivity_.push_back(cell[static_cast<std::size_t>(k)]);
        offsets_.push_back(static_cast<std::int32_t>(connectivity_.size()));
    }
    types_.assign(cells_, vtkHexahedron);
}

template <typename T>
void VtuWriter::appendBlock(const std::vector<T> &values)
{
    const std::uint64_t bytes = values.size() * sizeof(T);
    data_.append(reinterpret_cast<const char *>(&bytes), sizeof bytes);
    data_.append(reinterpret_cast<const char *>(values.data()), bytes);
}

void VtuWriter::appendFloats(const std::vector<const std::vector<double> *> &components, std::size_t count,
                             const std::string &what, const char *item)
{
    const std::size_t n = components.size();
    scratch_.resize(n * count);
    for (std::size_t c = 0; c < n; ++c) {
        const std::vector<double> &values = *components[c];
        if (values.size() != count)
            throw RunError(RunError::OutputFailed, what + ": " + std::to_string(values.size()) + " values for "
                                                       + std::to_string(count) + " " + item + "s");
        for (std::size_t i = 0; i < count; ++i) {
            const double v = values[i];
            if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
                throw RunError(RunError::Diverged, what + " is not finite in " + item + " " + std::to_string(i));
            scratch_[i * n + c] = static_cast<float>(v);
        }
    }
    appendBlock(scratch_);
}

void VtuWriter::write(const std::filesystem::path &file, const std::vector<double> &x, const std::vector<double> &y,
                      const std::vector<double> &z, const std::vector<VtuCellArray> &arrays)
{
    data_.clear();
    std::vector<std::size_t> offsets;
    offsets.push_back(data_.size());
    appendFloats({&x, &y, &z}, points_, "node coordinate", "node");
    offsets.push_back(data_.size());
    appendBlock(connectivity_);
    offsets.push_back(data_.size());
    appendBlock(offsets_);
    offsets.push_back(data_.size());
    appendBlock(types_);
    for (const VtuCellArray &a : arrays) {
        offsets.push_back(data_.size());
        appendFloats(a.components, cells_, a.name, "cell");
    }

    xml_ = "<?xml version=\"1.0\"?>\n<VTKFile type=\"UnstructuredGrid\" version=\"1.0\" byte_order=\"";
    xml_ += byteOrder();
    xml_ += "\" header_type=\"UInt64\">\n  <UnstructuredGrid>\n    <Piece NumberOfPoints=\"";
    appendInteger(xml_, static_cast<long long>(points_));
    xml_ += "\" NumberOfCells=\"";
    appendInteger(xml_, static_cast<long long>(cells_));
    xml_ += "\">\n      <Points>\n";
    dataArray(xml_, "Float32", "", 3, offsets[0]);
    xml_ += "      </Points>\n      <Cells>\n";
    dataArray(xml_, "Int32", "connectivity", 1, offsets[1]);
    dataArray(xml_, "Int32", "offsets", 1, offsets[2]);
    dataArray(xml_, "UInt8", "types", 1, offsets[3]);
    xml_ += "      </Cells>\n      <CellData>\n";
    for (std::size_t i = 0; i < arrays.size(); ++i)
        dataArray(xml_, "Float32", arrays[i].name, arrays[i].components.size(), offsets[4 + i]);
    xml_ += "      </CellData>\n    </Piece>\n  </UnstructuredGrid>\n  <AppendedData encoding=\"raw\">\n_";
    xml_ += data_;
    xml_ += "\n  </AppendedData>\n</VTKFile>\n";
    writeFile(file, xml_);
}

} // namespace euler
