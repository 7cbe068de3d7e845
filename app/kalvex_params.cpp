#include "kalvex.h"

#include "messages.h"

void Kalvex::openFile() {}
void Kalvex::saveCylData() {}
void Kalvex::startSaveCylData() { writeCylinderFile(QStringLiteral("InputCylinder.txt")); }
void Kalvex::saveValveData() {}
void Kalvex::startSaveValveData() { writeValveFile(QStringLiteral("InputValves.txt")); }
void Kalvex::getValveData() {}

bool Kalvex::writeCylinderFile(const QString &) { return false; }
bool Kalvex::writeValveFile(const QString &) { return false; }
