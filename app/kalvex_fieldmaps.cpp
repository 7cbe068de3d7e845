#include "kalvex.h"

#include <QTextStream>

#include "messages.h"

void Kalvex::plotResults() {}
void Kalvex::plotHPS()
{
    plotHead();
    plotPiston();
    plotSide();
}
void Kalvex::plotHead() {}
void Kalvex::plotPiston() {}
void Kalvex::plotSide() {}
void Kalvex::gnuplotScript(int, int, int, QTextStream &, QString &) {}
