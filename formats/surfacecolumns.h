#pragma once

// The columns of the per-step result files of head, piston and side wall
// ("head007.txt" and so on): one line per grid point, rows in order, fields
// separated by one blank, no header. Columns count from 1, as gnuplot's
// "using" and the front end's field splitting count them. A new row of the
// grid starts where the row index changes; the front end's grid copies break
// the lines there for gnuplot's pm3d. SI units throughout.
namespace formats::surfacecolumns {

// Head (z = 0) and piston (z = the gap): discs of rings about the axis.
namespace planar {
inline constexpr int point = 1;        // point number in the file
inline constexpr int ring = 2;         // ring number, 1 = centre: the row index
inline constexpr int pointInRing = 3;
inline constexpr int x = 4;            // m
inline constexpr int y = 5;            // m
inline constexpr int z = 6;            // m
inline constexpr int density = 7;      // kg/m3
inline constexpr int pressure = 8;     // Pa
inline constexpr int velocityX = 9;    // m/s
inline constexpr int velocityY = 10;   // m/s
inline constexpr int velocityZ = 11;   // m/s: 0 on the head, the piston's on the piston
inline constexpr int temperature = 12; // K
inline constexpr int count = 12;

inline constexpr int rowIndex = ring;
} // namespace planar

// Side wall: rings of the bore from the head (z = 0) to the piston.
namespace side {
inline constexpr int point = 1;             // point number in the file
inline constexpr int pointInRing = 2;
inline constexpr int ring = 3;              // ring number, 1 at the head: the row index
inline constexpr int x = 4;                 // m
inline constexpr int y = 5;                 // m
inline constexpr int z = 6;                 // m, height along the cylinder axis
inline constexpr int arcLength = 7;         // m, position along the wall: radius times angle
inline constexpr int density = 8;           // kg/m3
inline constexpr int pressure = 9;          // Pa
inline constexpr int velocityAlongWall = 10; // m/s, along arcLength
inline constexpr int velocityAxial = 11;    // m/s, along z
inline constexpr int velocityRadial = 12;   // m/s, outward
inline constexpr int temperature = 13;      // K
inline constexpr int count = 13;

inline constexpr int rowIndex = ring;
} // namespace side

} // namespace formats::surfacecolumns
