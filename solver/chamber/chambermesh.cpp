#include "chamber/chambermesh.h"

#include "io/surfacegrid.h"

#include <algorithm>
#include <cmath>

namespace euler::chamber {
namespace {

// How far the core's boundary is rounded from the square (0) to the circle (1).
constexpr double coreRoundness = 0.5;
// With a rod ring, the core's corners lie at this fraction of the rod radius.
constexpr double coreToRod = 0.6;
// Without one, at this fraction of the bore radius.
constexpr double coreToBoreWithoutRod = 0.25;

struct Point2
{
    double x = 0, y = 0;
};

// A point of the cross-section given by logical coordinates (xi, eta) in
// [-1, 1]^2, computed in the first octant (p >= q >= 0) and reflected, so
// that the mesh is mirror-symmetric bit for bit. `octant(p, q)` gives the
// point for p >= q >= 0.
template <typename Octant>
Point2 reflected(double xi, double eta, const Octant &octant)
{
    const double p = std::fabs(xi), q = std::fabs(eta);
    Point2 r;
    if (p >= q) {
        r = octant(p, q);
    } else {
        const Point2 s = octant(q, p);
        r = {s.y, s.x};
    }
    if (p == q)
        r.x = r.y = 0.5 * (r.x + r.y);
    if (p == 0)
        r.x = 0;
    if (q == 0)
        r.y = 0;
    return {std::copysign(r.x, xi), std::copysign(r.y, eta)};
}

// Radius of the core's boundary, relative to the core radius, in the
// direction theta of the first octant: between the square with its corners
// on the circle (1 / (sqrt 2 cos theta)) and the circle (1).
double boundaryShape(double theta)
{
    return (1.0 - coreRoundness) / (M_SQRT2 * std::cos(theta)) + coreRoundness;
}

// The point at radius factor `radius` and blend w (0: the core's boundary
// shape scaled, 1: the circle) in the direction of the boundary point (1, b).
Point2 ringOctant(double b, double radius, double w)
{
    if (b == 1)
        return {radius * M_SQRT1_2, radius * M_SQRT1_2};
    const double theta = b * M_PI / 4;
    const double rho = radius * ((1.0 - w) * boundaryShape(theta) + w);
    return {rho * std::cos(theta), rho * std::sin(theta)};
}

// Logical coordinate of node i of m along a core side, (2i - m) / m, so that
// nodes i and m - i get exactly opposite values.
double logical(int i, int m)
{
    return static_cast<double>(2 * i - m) / m;
}

bool hasRodRing(const ChamberMeshSpec &spec)
{
    return spec.rodRadius > 0 && spec.n2 >= 1;
}

// Cells across the radius outside the core.
double radialCells(const ChamberMeshSpec &spec)
{
    return static_cast<double>(spec.n1) + (hasRodRing(spec) ? spec.n2 : 0);
}

// m: about two thirds of the cells across the radius, even, at least 2.
double coreCellsOf(const ChamberMeshSpec &spec)
{
    return 2 * std::max(1.0, std::floor((radialCells(spec) + 2) / 3));
}

} // namespace

CrossSection crossSection(const ChamberMeshSpec &spec)
{
    CrossSection s;
    const double R = spec.boreRadius;
    s.rodRing = hasRodRing(spec);
    s.coreCells = static_cast<int>(coreCellsOf(spec));
    s.circumferential = 4 * s.coreCells;
    if (s.rodRing) {
        s.coreRadius = coreToRod * spec.rodRadius;
        s.ringRadii = gradedRadii(s.coreRadius, spec.rodRadius, spec.n2, spec.gradingRod);
        const std::vector<double> outer = gradedRadii(spec.rodRadius, R, spec.n1, spec.gradingPiston);
        s.ringRadii.insert(s.ringRadii.end(), outer.begin() + 1, outer.end());
        s.blendRadius = spec.rodRadius;
    } else {
        s.coreRadius = spec.rodRadius > 0 ? spec.rodRadius : coreToBoreWithoutRod * R;
        s.ringRadii = gradedRadii(s.coreRadius, R, spec.n1, spec.gradingPiston);
        s.blendRadius = s.coreRadius + 0.5 * (R - s.coreRadius);
    }
    return s;
}

MeshCounts meshCounts(const ChamberMeshSpec &spec)
{
    const double m = coreCellsOf(spec), nc = 4 * m, k = radialCells(spec), layers = spec.n3;
    const double quads = m * m + nc * k;
    const double planeNodes = (m + 1) * (m + 1) + nc * k;
    const double edges = 2 * m * (m + 1) + 2 * nc * k;
    return {quads * layers, planeNodes * (layers + 1), quads * (layers + 1) + edges * layers};
}

ChamberMesh::ChamberMesh(const ChamberMeshSpec &spec, double gap)
    : section_(crossSection(spec)), layers_(spec.n3)
{
    const int m = section_.coreCells;
    nodesPerPlane_ = (m + 1) * (m + 1) + section_.circumferential * section_.rings();
    cellsPerLayer_ = m * m + section_.circumferential * section_.rings();
    // Ring 0 is the core's boundary, counter-clockwise from the x axis: right
    // side from its middle, top, left, bottom, right side up to its middle.
    boundaryRing_.resize(static_cast<size_t>(section_.circumferential));
    for (int l = 0; l < section_.circumferential; ++l) {
        const int side = ((l + m / 2) / m) % 4, along = (l + m / 2) % m;
        const int i[4] = {m, m - along, 0, along};
        const int j[4] = {along, m, m - along, 0};
        boundaryRing_[static_cast<size_t>(l)] = coreNode(i[side], j[side]);
    }
    addNodes(gap);
    addCells();
}

Index ChamberMesh::ringNode(int ring, int l) const
{
    const int nc = section_.circumferential;
    l = (l % nc + nc) % nc;
    if (ring == 0)
        return boundaryRing_[static_cast<size_t>(l)];
    const int m = section_.coreCells;
    return (m + 1) * (m + 1) + (ring - 1) * nc + l;
}

void ChamberMesh::addNodes(double gap)
{
    const int m = section_.coreCells, nc = section_.circumferential;
    const double r0 = section_.coreRadius;
    const auto boundary = [r0](double xi, double eta) {
        return reflected(xi, eta, [r0](double, double b) { return ringOctant(b, r0, 0.0); });
    };
    // Transfinite (Coons) interpolation of the core's four sides.
    const auto core = [&](double p, double q) {
        if (p == 1)
            return boundary(p, q);
        const double s = 0.5 * (p + 1), t = 0.5 * (q + 1);
        const Point2 l = boundary(-1, q), r = boundary(1, q), b = boundary(p, -1), u = boundary(p, 1);
        const Point2 c00 = boundary(-1, -1), c10 = boundary(1, -1), c01 = boundary(-1, 1), c11 = boundary(1, 1);
        const auto blend = [&](double Point2::*c) {
            return (1 - s) * l.*c + s * r.*c + (1 - t) * b.*c + t * u.*c
                   - ((1 - s) * (1 - t) * c00.*c + s * (1 - t) * c10.*c + (1 - s) * t * c01.*c + s * t * c11.*c);
        };
        return Point2{blend(&Point2::x), blend(&Point2::y)};
    };

    std::vector<Point2> plane(static_cast<size_t>(nodesPerPlane_));
    for (int j = 0; j <= m; ++j)
        for (int i = 0; i <= m; ++i)
            plane[static_cast<size_t>(coreNode(i, j))] = reflected(logical(i, m), logical(j, m), core);
    for (int k = 1; k <= section_.rings(); ++k) {
        const double radius = section_.ringRadii[static_cast<size_t>(k)];
        const double w = std::clamp((radius - r0) / (section_.blendRadius - r0), 0.0, 1.0);
        for (int l = 0; l < nc; ++l) {
            const Index c = boundaryRing_[static_cast<size_t>(l)];
            const double xi = logical(c % (m + 1), m), eta = logical(c / (m + 1), m);
            plane[static_cast<size_t>(ringNode(k, l))]
                = reflected(xi, eta, [&](double, double b) { return ringOctant(b, radius, w); });
        }
    }

    const size_t total = static_cast<size_t>(nodesPerPlane_) * static_cast<size_t>(layers_ + 1);
    hex_.x.reserve(total);
    hex_.y.reserve(total);
    hex_.z.reserve(total);
    zeta_.reserve(total);
    for (int level = 0; level <= layers_; ++level) {
        const double zeta = level == layers_ ? 1.0 : static_cast<double>(level) / layers_;
        for (const Point2 &p : plane) {
            hex_.addNode(p.x, p.y, zeta * gap);
            zeta_.push_back(zeta);
        }
    }
}

void ChamberMesh::addCells()
{
    const int m = section_.coreCells, nc = section_.circumferential, rings = section_.rings();
    std::vector<std::array<Index, 4>> &quads = planeQuads_;
    quads.reserve(static_cast<size_t>(cellsPerLayer_));
    for (int j = 0; j < m; ++j)
        for (int i = 0; i < m; ++i)
            quads.push_back({coreNode(i, j), coreNode(i + 1, j), coreNode(i + 1, j + 1), coreNode(i, j + 1)});
    for (int k = 0; k < rings; ++k)
        for (int l = 0; l < nc; ++l)
            quads.push_back({ringNode(k, l), ringNode(k + 1, l), ringNode(k + 1, l + 1), ringNode(k, l + 1)});

    const Index head = hex_.patch(headPatch), piston = hex_.patch(pistonPatch), side = hex_.patch(sidePatch);
    hex_.cells.reserve(quads.size() * static_cast<size_t>(layers_));
    for (int level = 0; level < layers_; ++level) {
        // Nodes 0-3 on the lower plane, clockwise seen from +z so that their
        // normal points down, away from nodes 4-7 above them.
        for (const auto &q : quads)
            hex_.cells.push_back({node(level, q[0]), node(level, q[3]), node(level, q[2]), node(level, q[1]),
                                  node(level + 1, q[0]), node(level + 1, q[3]), node(level + 1, q[2]),
                                  node(level + 1, q[1])});
    }
    for (const auto &q : quads)
        hex_.boundary.push_back({{node(0, q[0]), node(0, q[3]), node(0, q[2]), node(0, q[1])}, head});
    for (const auto &q : quads)
        hex_.boundary.push_back({{node(layers_, q[0]), node(layers_, q[1]), node(layers_, q[2]), node(layers_, q[3])},
                                 piston});
    for (int level = 0; level < layers_; ++level)
        for (int l = 0; l < nc; ++l)
            hex_.boundary.push_back({{node(level, ringNode(rings, l)), node(level, ringNode(rings, l + 1)),
                                      node(level + 1, ringNode(rings, l + 1)), node(level + 1, ringNode(rings, l))},
                                     side});
}

} // namespace euler::chamber
