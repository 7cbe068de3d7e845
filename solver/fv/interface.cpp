#include "fv/interface.h"

namespace euler::fv {

void InterfacePieces::reserve(Index pieces)
{
    for (auto *v : {&owner, &neighbour})
        v->resize(pieces);
    for (auto *v : {&areaX, &areaY, &areaZ, &centreX, &centreY, &centreZ})
        v->resize(pieces);
    if (count > pieces)
        count = pieces;
}

bool InterfacePieces::add(Index own, Index other, double ax, double ay, double az, double cx, double cy, double cz)
{
    if (count >= capacity())
        return false;
    owner[count] = own;
    neighbour[count] = other;
    areaX[count] = ax;
    areaY[count] = ay;
    areaZ[count] = az;
    centreX[count] = cx;
    centreY[count] = cy;
    centreZ[count] = cz;
    ++count;
    return true;
}

} // namespace euler::fv
