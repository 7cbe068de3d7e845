#include "chamber/wallgrid.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

namespace euler::chamber {
namespace {

using Weights = std::map<Index, double>; // face -> weight

struct Plane
{
    std::vector<double> x, y;             // in-plane node positions
    std::vector<Weights> nodeWeights;     // in-plane node -> faces of a disc
};

double quadArea(const Plane &p, const std::array<Index, 4> &q)
{
    double twice = 0;
    for (int k = 0; k < 4; ++k) {
        const size_t a = static_cast<size_t>(q[k]), b = static_cast<size_t>(q[(k + 1) % 4]);
        twice += p.x[a] * p.y[b] - p.x[b] * p.y[a];
    }
    return 0.5 * twice;
}

Plane planeOf(const ChamberMesh &mesh)
{
    Plane p;
    const fv::HexMesh &hex = mesh.hex();
    p.x.assign(hex.x.begin(), hex.x.begin() + mesh.nodesPerPlane());
    p.y.assign(hex.y.begin(), hex.y.begin() + mesh.nodesPerPlane());
    p.nodeWeights.resize(static_cast<size_t>(mesh.nodesPerPlane()));
    const auto &quads = mesh.planeQuads();
    for (size_t c = 0; c < quads.size(); ++c) {
        const double area = quadArea(p, quads[c]);
        for (Index n : quads[c])
            p.nodeWeights[static_cast<size_t>(n)][static_cast<Index>(c)] += area;
    }
    for (Weights &w : p.nodeWeights) {
        double sum = 0;
        for (const auto &entry : w)
            sum += entry.second;
        for (auto &entry : w)
            entry.second /= sum;
    }
    return p;
}

// Bilinear coordinates (s, t) of point (px, py) in quad q, by Newton's
// method; false when the point lies outside it.
bool bilinearCoordinates(const Plane &p, const std::array<Index, 4> &q, double px, double py, double &s, double &t)
{
    double X[4], Y[4];
    for (int k = 0; k < 4; ++k) {
        X[k] = p.x[static_cast<size_t>(q[k])];
        Y[k] = p.y[static_cast<size_t>(q[k])];
    }
    s = t = 0.5;
    for (int it = 0; it < 30; ++it) {
        const double fx = (1 - s) * (1 - t) * X[0] + s * (1 - t) * X[1] + s * t * X[2] + (1 - s) * t * X[3] - px;
        const double fy = (1 - s) * (1 - t) * Y[0] + s * (1 - t) * Y[1] + s * t * Y[2] + (1 - s) * t * Y[3] - py;
        const double xs = (1 - t) * (X[1] - X[0]) + t * (X[2] - X[3]), xt = (1 - s) * (X[3] - X[0]) + s * (X[2] - X[1]);
        const double ys = (1 - t) * (Y[1] - Y[0]) + t * (Y[2] - Y[3]), yt = (1 - s) * (Y[3] - Y[0]) + s * (Y[2] - Y[1]);
        const double det = xs * yt - xt * ys;
        s -= (fx * yt - fy * xt) / det;
        t -= (xs * fy - ys * fx) / det;
    }
    const double tolerance = 1e-9;
    return s > -tolerance && s < 1 + tolerance && t > -tolerance && t < 1 + tolerance;
}

Weights interpolated(const ChamberMesh &mesh, const Plane &p, double px, double py)
{
    const int coreQuads = mesh.section().coreCells * mesh.section().coreCells;
    for (int c = 0; c < coreQuads; ++c) {
        const auto &q = mesh.planeQuads()[static_cast<size_t>(c)];
        double s = 0, t = 0;
        if (!bilinearCoordinates(p, q, px, py, s, t))
            continue;
        s = std::clamp(s, 0.0, 1.0);
        t = std::clamp(t, 0.0, 1.0);
        const double w[4] = {(1 - s) * (1 - t), s * (1 - t), s * t, (1 - s) * t};
        Weights result;
        for (int k = 0; k < 4; ++k)
            if (w[k] > 0)
                for (const auto &[face, share] : p.nodeWeights[static_cast<size_t>(q[k])])
                result[face] += w[k] * share;
        return result;
    }
    throw std::logic_error("wall grid point outside the core block");
}

class GridBuilder
{
public:
    explicit GridBuilder(WallGrid &grid) : grid_(grid) { grid_.start.push_back(0); }

    void add(double x, double y, double zeta, double arc, int row, int inRow, const Weights &weights)
    {
        grid_.x.push_back(x);
        grid_.y.push_back(y);
        grid_.zeta.push_back(zeta);
        grid_.arc.push_back(arc);
        grid_.row.push_back(row);
        grid_.inRow.push_back(inRow);
        for (const auto &[face, w] : weights) {
            grid_.face.push_back(face);
            grid_.weight.push_back(w);
        }
        grid_.start.push_back(static_cast<Index>(grid_.face.size()));
    }

private:
    WallGrid &grid_;
};

} // namespace

void WallGrid::sample(const std::vector<double> &faceValues, std::vector<double> &pointValues) const
{
    pointValues.resize(x.size());
    for (size_t p = 0; p < x.size(); ++p) {
        double v = 0;
        for (Index k = start[p]; k < start[p + 1]; ++k)
            v += weight[static_cast<size_t>(k)] * faceValues[static_cast<size_t>(face[static_cast<size_t>(k)])];
        pointValues[p] = v;
    }
}

WallGrid discGrid(const ChamberMesh &mesh, bool onPiston)
{
    const Plane plane = planeOf(mesh);
    const int m = mesh.section().coreCells, nc = mesh.section().circumferential, rings = mesh.section().rings();
    const double zeta = onPiston ? 1.0 : 0.0;
    WallGrid grid;
    grid.pointsPerRow_ = nc + 1;
    GridBuilder builder(grid);
    int row = 0;
    const auto addRow = [&](const auto &pointOf) {
        ++row;
        for (int l = 0; l <= nc; ++l) {
            const auto [x, y, weights] = pointOf(l % nc);
            builder.add(x, y, zeta, 0.0, row, l + 1, weights);
        }
    };
    const auto nodePoint = [&](Index n) {
        const size_t i = static_cast<size_t>(n);
        return std::make_tuple(plane.x[i], plane.y[i], plane.nodeWeights[i]);
    };
    const Index centre = mesh.coreNode(m / 2, m / 2);
    addRow([&](int) { return nodePoint(centre); });
    const int inner = m / 2;
    for (int i = 1; i < inner; ++i) {
        const double f = static_cast<double>(i) / inner;
        addRow([&](int l) {
            const size_t b = static_cast<size_t>(mesh.ringNode(0, l));
            const double x = f * plane.x[b], y = f * plane.y[b];
            return std::make_tuple(x, y, interpolated(mesh, plane, x, y));
        });
    }
    for (int k = 0; k <= rings; ++k)
        addRow([&](int l) { return nodePoint(mesh.ringNode(k, l)); });
    return grid;
}

WallGrid sideGrid(const ChamberMesh &mesh)
{
    const int nc = mesh.section().circumferential, rings = mesh.section().rings(), layers = mesh.layers();
    const fv::HexMesh &hex = mesh.hex();
    const double R = mesh.boreRadius();
    WallGrid grid;
    grid.pointsPerRow_ = nc + 1;
    GridBuilder builder(grid);
    for (int j = 0; j <= layers; ++j) {
        for (int l = 0; l <= nc; ++l) {
            const size_t n = static_cast<size_t>(mesh.node(j, mesh.ringNode(rings, l)));
            // Side faces of one layer all have the same area: equal weights.
            Weights weights;
            for (int layer : {j - 1, j})
                for (int column : {l - 1, l})
                    if (layer >= 0 && layer < layers)
                        weights[layer * nc + (column + nc) % nc] = 1;
            for (auto &entry : weights)
                entry.second = 1.0 / static_cast<double>(weights.size());
            const double arc = l == nc ? 2 * M_PI * R : R * 2 * M_PI * l / nc;
            builder.add(hex.x[n], hex.y[n], mesh.zeta()[n], arc, j + 1, l + 1, weights);
        }
    }
    return grid;
}

} // namespace euler::chamber
