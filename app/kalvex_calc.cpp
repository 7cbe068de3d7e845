#include "kalvex.h"

#include "messages.h"

void Kalvex::startCalc() {}
