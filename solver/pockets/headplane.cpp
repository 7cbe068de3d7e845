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

constexpr int hexEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                 {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
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

    static bool crosses(int behind, int front, int on) { return behind > 0 && front > 0 && on == 0; }

    template <size_t N>
    void count(const std::array<Index, N> &nodes, int &behind, int &front, int &on) const
    {
        behind = front = on = 0;
        for (Index n : nodes) {
            const int s = side(n);
            behind += s < 0;
            front += s > 0;
            on += s == 0;
        }
    }

    void add(const std::array<Index, 8> &cell, Index source)
    {
        out_.hex.cells.push_back(cell);
        out_.sourceCell.push_back(source);
    }

    void splitCell(Index c)
    {
        const auto &nodes = in_.cells[static_cast<size_t>(c)];
        int behind, front, on;
        count(nodes, behind, front, on);
        if (behind == 0 || front == 0) {
            add(nodes, c);
            return;
        }
        std::array<Index, 8> behindPart, frontPart;
        if (!crosses(behind, front, on) || behind != 4 || !part(nodes, hexEdges, -1, behindPart)
            || !part(nodes, hexEdges, 1, frontPart))
            throw inputError(file_, "hexahedron " + std::to_string(c + 1)
                                        + " crosses the head plane z = 0 other than through four parallel edges");
        add(behindPart, c);
        add(frontPart, c);
    }

    void splitQuad(const fv::HexMesh::BoundaryQuad &q)
    {
        int behind, front, on;
        count(q.nodes, behind, front, on);
        if (behind == 0 || front == 0) {
            out_.hex.boundary.push_back(q);
            return;
        }
        fv::HexMesh::BoundaryQuad behindPart = q, frontPart = q;
        // The cells' cuts already refused every other way of crossing.
        if (!crosses(behind, front, on) || behind != 2 || !part(q.nodes, quadEdges, -1, behindPart.nodes)
            || !part(q.nodes, quadEdges, 1, frontPart.nodes))
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
