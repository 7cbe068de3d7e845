#pragma once

namespace euler {

// A point or vector in metres; the small algebra the geometry needs.
struct Vec3
{
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator-(const Vec3 &a, const Vec3 &b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator+(const Vec3 &a, const Vec3 &b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator*(double s, const Vec3 &a) { return {s * a.x, s * a.y, s * a.z}; }
inline double dot(const Vec3 &a, const Vec3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3 &a, const Vec3 &b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// Six times the signed volume of the tetrahedron (o, a, b, c).
inline double sixTetVolume(const Vec3 &o, const Vec3 &a, const Vec3 &b, const Vec3 &c)
{
    return dot(a - o, cross(b - o, c - o));
}

} // namespace euler
