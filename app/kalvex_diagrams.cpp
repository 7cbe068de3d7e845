#include "kalvex.h"

#include "messages.h"

void Kalvex::plotValves() {}
void Kalvex::plotAlpha() { plotAlphaCurves(); }
void Kalvex::plotAlphaCurves() {}
