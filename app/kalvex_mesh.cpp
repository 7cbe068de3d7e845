#include "kalvex.h"

#include "messages.h"
#include "params/pocketmesh.h"

#include <QFile>
#include <QSaveFile>

void Kalvex::startSaveMeshData() { writeMeshInput(); }
void Kalvex::vmap() { mapPocketMesh(); }

bool Kalvex::writeMeshInput()
{
    const QString fileName = PocketMesh::inputFileName();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        Messages::fileError(this, fileName, file.errorString());
        return false;
    }
    file.write(PocketMesh::inputFileText(lineEdit_CA_2->text()));
    if (!file.commit()) {
        Messages::fileError(this, fileName, file.errorString());
        return false;
    }
    return true;
}

// Checks everything before the output is opened, and writes through a save
// file, so a refused or broken mapping leaves the previous mesh as it was.
bool Kalvex::mapPocketMesh()
{
    const QString title = tr("Valve pocket mesh");
    PocketGeometry::Dimensions target;
    QString problem;
    const PocketGeometry::FieldTexts texts{lineEdit_PA_1->text(), lineEdit_PA_38->text(),
                                           lineEdit_PA_39->text(), lineEdit_PA_40->text()};
    if (!PocketGeometry::fromTexts(texts, &target, &problem)) {
        Messages::warning(this, title, tr("The valve pocket mesh was not written.\n%1").arg(problem));
        return false;
    }
    const QString meshName = lineEdit_CA_2->text();
    if (meshName.trimmed().isEmpty()) {
        Messages::warning(this, title,
                          tr("The valve pocket mesh was not written: please enter the name of "
                             "the mesh file for the valve pockets on the tab \"Calculation\"."));
        return false;
    }
    QFile reference(PocketMesh::referenceFileName());
    if (!reference.open(QIODevice::ReadOnly | QIODevice::Text)) {
        Messages::warning(this, title,
                          tr("The reference pocket mesh %1 cannot be read:\n%2.")
                              .arg(reference.fileName(), reference.errorString()));
        return false;
    }
    QSaveFile out(meshName);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text)) {
        Messages::fileError(this, meshName, out.errorString());
        return false;
    }
    if (!PocketMesh::map(reference, out, target, &problem)) {
        out.cancelWriting();
        Messages::warning(this, title,
                          tr("The valve pocket mesh %1 was not written from %2:\n%3")
                              .arg(meshName, reference.fileName(), problem));
        return false;
    }
    if (!out.commit()) {
        Messages::fileError(this, meshName, out.errorString());
        return false;
    }
    return true;
}
