#include "kalvex.h"

#include "messages.h"

void Kalvex::startSaveMeshData() { writeMeshInput(); }
void Kalvex::vmap() { mapPocketMesh(); }

bool Kalvex::writeMeshInput() { return false; }
bool Kalvex::mapPocketMesh() { return false; }
