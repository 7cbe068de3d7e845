#include "kalvex.h"

#include "messages.h"
#include "formats/caselayout.h"
#include "params/pocketmesh.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

void Kalvex::startSaveMeshData() { writeMeshInput(); }
void Kalvex::vmap() { mapPocketMesh(); }

bool Kalvex::writeMeshInput()
{
    const QString fileName = QLatin1String(formats::caselayout::pocketMeshInput);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        Messages::fileError(this, fileName, file.errorString());
        return false;
    }
    file.write(PocketMesh::inputFileText(text(Parameter::MeshFileName)));
    if (!file.commit()) {
        Messages::fileError(this, fileName, file.errorString());
        return false;
    }
    return true;
}

namespace {

// Why the form cannot give a pocket mesh; empty when it can.
QString formProblem(const FieldTexts &texts, const QString &meshName,
                    PocketGeometry::Dimensions *target)
{
    QString problem;
    if (!PocketGeometry::fromTexts(texts, target, &problem))
        return problem;
    if (meshName.trimmed().isEmpty())
        return Kalvex::tr("Please enter the name of the mesh file for the valve pockets on the tab "
                      "\"Calculation\".");
    if (QFileInfo(meshName).absoluteFilePath()
        == QFileInfo(QLatin1String(formats::caselayout::referenceMesh)).absoluteFilePath())
        return Kalvex::tr("The mesh must not replace the reference pocket mesh %1; please enter "
                      "another name.")
            .arg(QLatin1String(formats::caselayout::referenceMesh));
    return {};
}

} // namespace

// Checks everything before the output is opened, and writes through a save
// file, so a refused or broken mapping leaves the previous mesh as it was.
bool Kalvex::mapPocketMesh()
{
    const QString title = tr("Valve pocket mesh");
    const QString meshName = text(Parameter::MeshFileName);
    PocketGeometry::Dimensions target;
    const QString problem = formProblem(texts({Parameter::PistonDiameter, Parameter::PocketRadius,
                                               Parameter::ConeHeight, Parameter::PocketHeight}),
                                        meshName, &target);
    if (!problem.isEmpty()) {
        Messages::warning(this, title, tr("The valve pocket mesh was not written.\n%1").arg(problem));
        return false;
    }
    QFile reference(QLatin1String(formats::caselayout::referenceMesh));
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
    QString mapProblem;
    if (!PocketMesh::map(reference, out, target, &mapProblem)) {
        out.cancelWriting();
        Messages::warning(this, title,
                          tr("The valve pocket mesh %1 was not written from %2:\n%3")
                              .arg(meshName, reference.fileName(), mapProblem));
        return false;
    }
    if (!out.commit()) {
        Messages::fileError(this, meshName, out.errorString());
        return false;
    }
    return true;
}
