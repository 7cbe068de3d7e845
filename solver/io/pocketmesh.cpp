#include "io/pocketmesh.h"

#include "formats/inputrules.h"
#include "io/inputerror.h"
#include "io/numberformat.h"
#include "io/textinput.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

namespace euler {

double hexahedronVolume(const std::array<Vec3, 8> &n)
{
    // Each face's normal points out of a cell whose bottom face 1-2-3-4 is
    // counter-clockwise seen from outside.
    const auto &faces = fv::hexFaces;
    Vec3 centre;
    for (const Vec3 &p : n)
        centre = centre + 0.125 * p;
    double sixVolume = 0;
    for (const auto &f : faces) {
        const Vec3 fc = 0.25 * (n[f[0]] + n[f[1]] + n[f[2]] + n[f[3]]);
        for (int e = 0; e < 4; ++e) {
            const Vec3 a = n[f[e]] - centre;
            const Vec3 b = n[f[(e + 1) % 4]] - centre;
            sixVolume += dot(a, cross(b, fc - centre));
        }
    }
    return std::fabs(sixVolume) / 6.0;
}

namespace {

class MeshReader
{
public:
    explicit MeshReader(const std::filesystem::path &file) : file_(file.string()), lines_(readLines(file)) {}

    const std::vector<std::string> next(const char *what)
    {
        while (pos_ < lines_.size()) {
            const TextLine &l = lines_[pos_++];
            std::vector<std::string> tokens = splitTokens(l.text);
            if (!tokens.empty()) {
                lineNumber_ = l.number;
                return tokens;
            }
        }
        throw inputError(file_, std::string("ends early: ") + what + " missing");
    }

    // A count line. A count beyond the lines left cannot be met, and is
    // refused before anything is sized by it.
    int count(const char *what)
    {
        const std::vector<std::string> tokens = next(what);
        int n = 0;
        if (!parseInteger(tokens.front(), n) || n < 0)
            fail(std::string(what) + " is not a count");
        if (static_cast<size_t>(n) > lines_.size() - pos_)
            fail(std::string("ends early: ") + what + " " + std::to_string(n) + " exceeds the " + std::to_string(lines_.size() - pos_)
                 + " lines that follow");
        return n;
    }

    // A 1-based node number of the hexahedron or face lines, 0-based.
    fv::HexMesh::Index nodeNumber(const std::string &token, int nodes)
    {
        int index = 0;
        if (!parseInteger(token, index) || index < 1 || index > nodes)
            fail("node number \"" + token + "\" out of range 1.." + std::to_string(nodes));
        return index - 1;
    }

    [[noreturn]] void fail(const std::string &reason) const
    {
        throw inputError(file_, "line " + std::to_string(lineNumber_) + ": " + reason);
    }

private:
    std::string file_;
    std::vector<TextLine> lines_;
    size_t pos_ = 0;
    int lineNumber_ = 0;
};

// Each coordinate within the shared rule's extent once scaled; the bound is
// compared unscaled so that no coordinate can overflow.
void requireWithinExtent(MeshReader &reader, const std::vector<std::string> &t, const double (&xyz)[3], double scale)
{
    const double extent = formats::inputrules::meshExtent;
    for (double c : xyz) {
        if (!(std::fabs(c) <= extent / scale))
            reader.fail("node \"" + t[0] + " " + t[1] + " " + t[2] + "\" lies more than " + formatNumber(extent)
                        + " m from the origin at the scale " + formatNumber(scale) + " m per unit");
    }
}

void readNodes(MeshReader &reader, double scale, fv::HexMesh &mesh)
{
    const int nodes = reader.count("node count");
    mesh.x.reserve(static_cast<size_t>(nodes));
    mesh.y.reserve(static_cast<size_t>(nodes));
    mesh.z.reserve(static_cast<size_t>(nodes));
    for (int n = 0; n < nodes; ++n) {
        const std::vector<std::string> t = reader.next("node line");
        double x = 0, y = 0, z = 0;
        if (t.size() < 3 || !parseReal(t[0], x) || !parseReal(t[1], y) || !parseReal(t[2], z))
            reader.fail("a node needs three numeric coordinates");
        requireWithinExtent(reader, t, {x, y, z}, scale);
        mesh.addNode(scale * x, scale * y, scale * z);
    }
}

void readHexahedra(MeshReader &reader, fv::HexMesh &mesh)
{
    const int cells = reader.count("hexahedron count");
    mesh.cells.resize(static_cast<size_t>(cells));
    for (auto &cell : mesh.cells) {
        const std::vector<std::string> t = reader.next("hexahedron line");
        if (t.size() < 8)
            reader.fail("a hexahedron needs eight node numbers");
        for (int k = 0; k < 8; ++k)
            cell[static_cast<size_t>(k)] = reader.nodeNumber(t[static_cast<size_t>(k)], mesh.nodeCount());
    }
}

void readBoundaryFaces(MeshReader &reader, fv::HexMesh &mesh)
{
    for (const char *name : pocketPatches)
        mesh.patch(name);
    const int faces = reader.count("boundary face count");
    mesh.boundary.resize(static_cast<size_t>(faces));
    for (auto &face : mesh.boundary) {
        const std::vector<std::string> t = reader.next("boundary face line");
        if (t.size() < 5)
            reader.fail("a boundary face needs four node numbers and a patch");
        for (int k = 0; k < 4; ++k)
            face.nodes[static_cast<size_t>(k)] = reader.nodeNumber(t[static_cast<size_t>(k)], mesh.nodeCount());
        const auto known = std::find(std::begin(pocketPatches), std::end(pocketPatches), t[4]);
        if (known == std::end(pocketPatches))
            reader.fail("unknown patch \"" + t[4] + "\" (bore_opening, pocket_wall or valve_seat)");
        face.patch = static_cast<fv::HexMesh::Index>(known - std::begin(pocketPatches));
    }
}

} // namespace

fv::HexMesh readPocketHexMesh(const std::filesystem::path &file, double scale)
{
    MeshReader reader(file);
    fv::HexMesh mesh;
    readNodes(reader, scale, mesh);
    readHexahedra(reader, mesh);
    readBoundaryFaces(reader, mesh);
    return mesh;
}

PocketMeshSummary summarize(const fv::HexMesh &mesh)
{
    PocketMeshSummary summary;
    summary.nodes = mesh.nodeCount();
    summary.hexahedra = mesh.cellCount();
    for (double y : mesh.y)
        summary.maxAbsY = std::max(summary.maxAbsY, std::fabs(y));
    return summary;
}

} // namespace euler
