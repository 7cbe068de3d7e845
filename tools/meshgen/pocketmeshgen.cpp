#include "pocketmeshgen.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace PocketMeshGen {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double R0 = 340.0, r0 = 100.0, k0 = 40.0, h0 = 19.0;
// The cone widens toward the cylinder axis, from the pocket rim at a0 to this
// radius at b0, and stays inside the bore.
constexpr double coneBaseRadius = 1.3 * r0;
// Half width of the O-grid's inner square, as a fraction of the radius.
constexpr double squareHalfWidth = 0.5;

double a0() { return std::sqrt(R0 * R0 - r0 * r0); }
double bore(double y) { return std::sqrt(R0 * R0 - y * y); }

struct Point {
    double x, y, z;
};

// Coordinates are kept in micrometres, so that what is written is what was
// meant, with six decimals and no "-0".
std::int64_t micro(double v) { return std::llround(v * 1e6); }

void appendMicro(std::string &out, std::int64_t v)
{
    if (v < 0) {
        out += '-';
        v = -v;
    }
    std::string fraction = std::to_string(v % 1000000);
    out += std::to_string(v / 1000000);
    out += '.';
    out.append(6 - fraction.size(), '0');
    out += fraction;
}

// One cross-section of the O-grid in unit-circle coordinates (u, v).
class Section
{
public:
    explicit Section(const Resolution &r) : n(r.square), m(r.ring)
    {
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i)
                uv.push_back({squareCoord(i), squareCoord(j)});
        for (int p = 0; p < 4 * n; ++p) {
            const auto inner = uv[perimeter(p)];
            const double angle = (-135.0 + 90.0 * p / n) * pi / 180.0;
            for (int l = 1; l <= m; ++l) {
                const double t = double(l) / m;
                uv.push_back({inner[0] + t * (std::cos(angle) - inner[0]),
                              inner[1] + t * (std::sin(angle) - inner[1])});
            }
        }
        buildCells();
    }

    int size() const { return int(uv.size()); }
    // Local node of the ring at perimeter position p (wrapping) and layer l.
    int ring(int p, int l) const
    {
        p %= 4 * n;
        return l == 0 ? perimeter(p) : (n + 1) * (n + 1) + p * m + (l - 1);
    }
    int outerEdges() const { return 4 * n; }

    const int n, m;
    std::vector<std::array<double, 2>> uv;
    std::vector<std::array<int, 4>> cells;  // clockwise in (u, v)

private:
    double squareCoord(int i) const { return -squareHalfWidth + 2 * squareHalfWidth * i / n; }
    int square(int i, int j) const { return j * (n + 1) + i; }
    // The square's boundary, counter-clockwise from the corner (-q, -q).
    int perimeter(int p) const
    {
        if (p < n) return square(p, 0);
        if (p < 2 * n) return square(n, p - n);
        if (p < 3 * n) return square(3 * n - p, n);
        return square(0, 4 * n - p);
    }
    void addCell(std::array<int, 4> c)
    {
        double area = 0;
        for (int k = 0; k < 4; ++k) {
            const auto &p = uv[c[k]], &q = uv[c[(k + 1) % 4]];
            area += p[0] * q[1] - q[0] * p[1];
        }
        if (area > 0)
            c = {c[0], c[3], c[2], c[1]};
        cells.push_back(c);
    }
    void buildCells()
    {
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i)
                addCell({square(i, j), square(i + 1, j), square(i + 1, j + 1), square(i, j + 1)});
        for (int p = 0; p < 4 * n; ++p)
            for (int l = 0; l < m; ++l)
                addCell({ring(p, l), ring(p + 1, l), ring(p + 1, l + 1), ring(p, l + 1)});
    }
};

class Builder
{
public:
    explicit Builder(const Resolution &r) : res(r), section(r) {}

    std::string text()
    {
        buildNodes();
        std::string out;
        out.reserve(nodes.size() * 40 + 200000);
        out += std::to_string(nodes.size()) + " nodes\n";
        for (const auto &p : nodes) {
            appendMicro(out, p[0]);
            out += '\t';
            appendMicro(out, p[1]);
            out += '\t';
            appendMicro(out, p[2]);
            out += '\n';
        }
        const int layers = sections() - 1;
        out += std::to_string(std::size_t(layers) * section.cells.size()) + " hexahedra\n";
        for (int k = 0; k < layers; ++k)
            for (const auto &c : section.cells)
                out += hexLine(k, c);
        std::vector<std::string> faces = boundaryFaces();
        out += std::to_string(faces.size()) + " boundary faces\n";
        for (std::size_t f = 0; f < faces.size(); ++f) {
            out += faces[f];
            if (f + 1 < faces.size())
                out += '\n';
        }
        return out;
    }

private:
    int sections() const
    {
        return res.coneLayers + res.transitionLayers + res.pocketLayers + 1;
    }
    int node(int k, int local) const { return k * section.size() + local + 1; }
    Point point(int k, int local) const
    {
        const auto &p = nodes[std::size_t(node(k, local) - 1)];
        return {p[0] * 1e-6, p[1] * 1e-6, p[2] * 1e-6};
    }

    // The cone zone runs from b0 to a0 with a widening cross-section, the
    // transition zone from a0 to the bore surface, the pocket zone on to c0.
    Point place(int k, double u, double v) const
    {
        const int cone = res.coneLayers, transition = res.transitionLayers;
        if (k <= cone) {
            const double t = double(k) / cone;
            const double radius = coneBaseRadius + t * (r0 - coneBaseRadius);
            return {a0() - k0 + t * k0, radius * u, radius * v};
        }
        const double y = r0 * u, s0 = bore(y);
        if (k <= cone + transition) {
            const double t = double(k - cone) / transition;
            return {a0() + t * (s0 - a0()), y, r0 * v};
        }
        const double t = double(k - cone - transition) / res.pocketLayers;
        return {s0 + t * (a0() + h0 - s0), y, r0 * v};
    }

    void buildNodes()
    {
        for (int k = 0; k < sections(); ++k)
            for (const auto &q : section.uv) {
                const Point p = place(k, q[0], q[1]);
                nodes.push_back({micro(p.x), micro(p.y), micro(p.z)});
            }
    }

    // Nodes 1-4 on the lower section, clockwise in (y, z), which is
    // counter-clockwise seen from outside the cell; 5-8 above them.
    std::string hexLine(int k, const std::array<int, 4> &c) const
    {
        std::string line;
        for (int layer = 0; layer < 2; ++layer)
            for (int local : c) {
                if (!line.empty())
                    line += ' ';
                line += std::to_string(node(k + layer, local));
            }
        return line + '\n';
    }

    static std::string faceLine(const std::array<int, 4> &f, const char *patch)
    {
        return std::to_string(f[0]) + ' ' + std::to_string(f[1]) + ' ' + std::to_string(f[2])
               + ' ' + std::to_string(f[3]) + ' ' + patch;
    }

    // Lateral faces, ordered so that their normal points away from the axis.
    std::array<int, 4> lateralFace(int k, int p) const
    {
        const int m = section.m;
        std::array<int, 4> f{node(k, section.ring(p, m)), node(k, section.ring(p + 1, m)),
                             node(k + 1, section.ring(p + 1, m)), node(k + 1, section.ring(p, m))};
        const Point a = point(k, section.ring(p, m)), b = point(k, section.ring(p + 1, m));
        const Point c = point(k + 1, section.ring(p + 1, m)), d = point(k + 1, section.ring(p, m));
        // Normal (c - a) x (d - b), compared with the outward direction (y, z).
        const double ey = c.y - a.y, ez = c.z - a.z, ex = c.x - a.x;
        const double fy = d.y - b.y, fz = d.z - b.z, fx = d.x - b.x;
        const double ny = ez * fx - ex * fz, nz = ex * fy - ey * fx;
        if (ny * (a.y + c.y) + nz * (a.z + c.z) < 0)
            f = {f[0], f[3], f[2], f[1]};
        return f;
    }

    std::vector<std::string> boundaryFaces() const
    {
        std::vector<std::string> faces;
        const int last = sections() - 1;
        for (const auto &c : section.cells)
            faces.push_back(faceLine({node(0, c[0]), node(0, c[1]), node(0, c[2]), node(0, c[3])},
                                     "bore_opening"));
        for (int k = 0; k < last; ++k) {
            const bool inBore = k < res.coneLayers + res.transitionLayers;
            for (int p = 0; p < section.outerEdges(); ++p)
                faces.push_back(faceLine(lateralFace(k, p), inBore ? "bore_opening" : "pocket_wall"));
        }
        for (const auto &c : section.cells)
            faces.push_back(faceLine({node(last, c[3]), node(last, c[2]), node(last, c[1]),
                                      node(last, c[0])},
                                     "valve_seat"));
        return faces;
    }

    Resolution res;
    Section section;
    std::vector<std::array<std::int64_t, 3>> nodes;
};

} // namespace

long long nodeCount(const Resolution &r)
{
    const long long perSection = (r.square + 1LL) * (r.square + 1) + 4LL * r.square * r.ring;
    return perSection * (r.coneLayers + r.transitionLayers + r.pocketLayers + 1);
}

std::string generate(const Resolution &resolution)
{
    return Builder(resolution).text();
}

} // namespace PocketMeshGen
