#include "io/pocketmesh.h"

#include "formats/inputrules.h"
#include "io/inputerror.h"
#include "io/numberformat.h"
#include "io/textinput.h"

#include <cmath>
#include <string>

namespace euler {

double hexahedronVolume(const std::array<Vec3, 8> &n)
{
    // Faces as 0-based node indices, each ordered so that its normal points
    // out of a cell whose bottom face 1-2-3-4 is counter-clockwise seen from
    // outside.
    static const int faces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 3, 7, 4},
                                    {3, 2, 6, 7}, {2, 1, 5, 6}, {1, 0, 4, 5}};
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

    // A block's count, which the lines after it must be able to hold: the
    // block is read into memory, so a count is never trusted beyond the file.
    int count(const char *what)
    {
        const std::vector<std::string> tokens = next(what);
        int n = 0;
        if (!parseInteger(tokens.front(), n) || n < 0)
            fail(std::string(what) + " is not a count");
        const size_t following = lines_.size() - pos_;
        if (static_cast<size_t>(n) > following)
            fail("ends early: " + std::string(what) + " " + std::to_string(n) + " but only "
                 + std::to_string(following) + " lines follow");
        return n;
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

// A node's coordinates in metres, each within the shared rule's extent; the
// bound is compared unscaled so that no coordinate can overflow.
Vec3 readNode(MeshReader &reader, double scale)
{
    const std::vector<std::string> t = reader.next("node line");
    Vec3 node;
    if (t.size() < 3 || !parseReal(t[0], node.x) || !parseReal(t[1], node.y) || !parseReal(t[2], node.z))
        reader.fail("a node needs three numeric coordinates");
    const double extent = formats::inputrules::meshExtent;
    for (double *c : {&node.x, &node.y, &node.z}) {
        if (!(std::fabs(*c) <= extent / scale))
            reader.fail("node \"" + t[0] + " " + t[1] + " " + t[2] + "\" lies more than " + formatNumber(extent)
                        + " m from the origin at the scale " + formatNumber(scale) + " m per unit");
        *c *= scale;
    }
    return node;
}

} // namespace

PocketMeshSummary readPocketMesh(const std::filesystem::path &file, double scale)
{
    MeshReader reader(file);
    PocketMeshSummary summary;
    summary.nodes = reader.count("node count");
    std::vector<Vec3> nodes(static_cast<size_t>(summary.nodes));
    for (Vec3 &node : nodes) {
        node = readNode(reader, scale);
        summary.maxAbsY = std::max(summary.maxAbsY, std::fabs(node.y));
    }
    summary.hexahedra = reader.count("hexahedron count");
    for (int h = 0; h < summary.hexahedra; ++h) {
        const std::vector<std::string> t = reader.next("hexahedron line");
        if (t.size() < 8)
            reader.fail("a hexahedron needs eight node numbers");
        std::array<Vec3, 8> corners;
        for (int k = 0; k < 8; ++k) {
            int index = 0;
            if (!parseInteger(t[k], index) || index < 1 || index > summary.nodes)
                reader.fail("node number \"" + t[k] + "\" out of range 1.." + std::to_string(summary.nodes));
            corners[k] = nodes[static_cast<size_t>(index - 1)];
        }
        summary.volume += hexahedronVolume(corners);
    }
    return summary;
}

} // namespace euler
