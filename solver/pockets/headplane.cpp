#include "pockets/headplane.h"

#include "io/inputerror.h"
#include "pockets/pocketproper.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace euler::pockets {

namespace {

using Index = fv::HexMesh::Index;

using fv::hexEdges;
constexpr int quadEdges[4][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};

// -1 behind the head plane (z < 0), +1 in front of it (the chamber side), 0 on it.
int sideOf(double z) { return z < -headPlaneTolerance ? -1 : z > headPlaneTolerance ? 1 : 0; }

class Splitter
{
public:
    Splitter(const fv::HexMesh &in, double boreRadius, const std::string &file)
        : in_(in), R_(boreRadius), file_(file)
    {
        out_.hex.x = in.x;
        out_.hex.y = in.y;
        out_.hex.z = in.z;
        out_.hex.patchNames = in.patchNames;
    }

    HeadPlaneSplit split()
    {
        for (Index c = 0; c < in_.cellCount(); ++c)
            splitCell(c);
        for (const auto &q : in_.boundary)
            splitQuad(q);
        return std::move(out_);
    }

private:
    int side(Index node) const { return sideOf(in_.z[static_cast<size_t>(node)]); }

    // The node where the edge between two nodes on opposite sides meets the
    // plane, made once per edge.
    Index crossing(Index a, Index b)
    {
        const auto key = std::minmax(a, b);
        const auto found = crossings_.find(key);
        if (found != crossings_.end())
            return found->second;
        const size_t i = static_cast<size_t>(key.first), j = static_cast<size_t>(key.second);
        const double t = in_.z[i] / (in_.z[i] - in_.z[j]);
        double x = in_.x[i] + t * (in_.x[j] - in_.x[i]), y = in_.y[i] + t * (in_.y[j] - in_.y[i]);
        const auto onBore = [&](size_t n) {
            return std::fabs(std::hypot(in_.x[n], in_.y[n]) - R_) <= onBoreTolerance * R_;
        };
        if (onBore(i) && onBore(j) && std::hypot(x, y) > 0) {
            const double scale = R_ / std::hypot(x, y);
            x *= scale;
            y *= scale;
        }
        const Index node = out_.hex.addNode(x, y, 0.0);
        crossings_.emplace(key, node);
        return node;
    }

    // Each node of the cell on the other side than `keep` replaced by the
    // crossing on its one edge to a node on the `keep` side.
    template <size_t N, size_t E>
    bool part(const std::array<Index, N> &nodes, const int (&edges)[E][2], int keep, std::array<Index, N> &out)
    {
        out = nodes;
        for (size_t k = 0; k < N; ++k) {
            if (side(nodes[k]) != -keep)
                continue;
            int partners = 0;
            for (const auto &e : edges) {
                const int other = e[0] == static_cast<int>(k) ? e[1] : e[1] == static_cast<int>(k) ? e[0] : -1;
                if (other >= 0 && side(nodes[static_cast<size_t>(other)]) == keep) {
                    out[k] = crossing(nodes[k], nodes[static_cast<size_t>(other)]);
                    ++partners;
                }
            }
            if (partners != 1)
                return false;
        }
        return true;
    }

    struct Sides
    {
        int behind = 0, front = 0, on = 0;
        bool across() const { return behind > 0 && front > 0; }
    };

    template <size_t N>
    Sides sidesOf(const std::array<Index, N> &nodes) const
    {
        Sides s;
        for (Index n : nodes) {
            const int k = side(n);
            s.behind += k < 0;
            s.front += k > 0;
            s.on += k == 0;
        }
        return s;
    }

    // The two parts of a cell or quad across the plane, when every node has
    // its one edge across (half the nodes on either side, none on the plane).
    template <size_t N, size_t E>
    bool cut(const std::array<Index, N> &nodes, const int (&edges)[E][2], std::array<Index, N> &behind,
             std::array<Index, N> &front)
    {
        const Sides s = sidesOf(nodes);
        return s.on == 0 && 2 * s.behind == static_cast<int>(N) && part(nodes, edges, -1, behind)
               && part(nodes, edges, 1, front);
    }

    void add(const std::array<Index, 8> &cell, Index source)
    {
        out_.hex.cells.push_back(cell);
        out_.sourceCell.push_back(source);
    }

    void splitCell(Index c)
    {
        const auto &nodes = in_.cells[static_cast<size_t>(c)];
        if (!sidesOf(nodes).across()) {
            add(nodes, c);
            return;
        }
        std::array<Index, 8> behindPart, frontPart;
        if (!cut(nodes, hexEdges, behindPart, frontPart))
            throw inputError(file_, "hexahedron " + std::to_string(c + 1)
                                        + " crosses the head plane z = 0 other than through four parallel edges");
        add(behindPart, c);
        add(frontPart, c);
    }

    void splitQuad(const fv::HexMesh::BoundaryQuad &q)
    {
        if (!sidesOf(q.nodes).across()) {
            out_.hex.boundary.push_back(q);
            return;
        }
        fv::HexMesh::BoundaryQuad behindPart = q, frontPart = q;
        if (!cut(q.nodes, quadEdges, behindPart.nodes, frontPart.nodes))
            throw inputError(file_, "a boundary face crosses the head plane z = 0 other than through two opposite edges");
        out_.hex.boundary.push_back(behindPart);
        out_.hex.boundary.push_back(frontPart);
    }

    const fv::HexMesh &in_;
    double R_;
    std::string file_;
    HeadPlaneSplit out_;
    std::map<std::pair<Index, Index>, Index> crossings_;
};

} // namespace

HeadPlaneSplit splitAtHeadPlane(const fv::HexMesh &mapped, double boreRadius, const std::string &file)
{
    return Splitter(mapped, boreRadius, file).split();
}

} // namespace euler::pockets
