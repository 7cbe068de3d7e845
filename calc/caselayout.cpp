#include "caselayout.h"

#include "formats/solverlog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace layout = formats::caselayout;

namespace {

const QString executingDirName = QLatin1String(layout::executingDirectory);
const QString solverFileName = QLatin1String(layout::solverProgram);
const QString referenceMeshName = QLatin1String(layout::referenceMesh);

} // namespace

QStringList CaseLayout::inputFileNames()
{
    QStringList names;
    for (const char *name : layout::inputFiles)
        names << QLatin1String(name);
    return names;
}

QStringList CaseLayout::rootFileNames()
{
    return inputFileNames() << referenceMeshName;
}

CaseLayout CaseLayout::fromExecutingDir(const QString &executingDir, const QString &caseName)
{
    CaseLayout result;
    result.executingDir = QDir::cleanPath(QDir(executingDir).absolutePath());
    result.root = QFileInfo(result.executingDir).absolutePath();
    result.caseName = caseName;
    result.caseDir = QDir(result.root).absoluteFilePath(caseName);
    for (const layout::Surface surface : layout::surfaces)
        result.resultDirs << caseName + QLatin1Char('/') + QLatin1String(layout::surfaceName(surface));
    return result;
}

QString CaseLayout::solverProgram() const
{
    return executingDir + QLatin1Char('/') + solverFileName;
}

bool CaseLayout::isWorkspace(const QString &currentDir, QString *error)
{
    const QDir dir(currentDir);
    const QString path = QDir::toNativeSeparators(dir.absolutePath());
    QDir root(dir.absolutePath());
    if (dir.dirName() != executingDirName) {
        *error = tr("The program must run in the directory \"%1\" of the workspace, not in %2.")
                     .arg(executingDirName, path);
    } else if (const QFileInfo solver(dir.absoluteFilePath(solverFileName));
               !solver.isFile() || !solver.isExecutable()) {
        *error = tr("The solver \"%1\" is missing or not executable in %2.").arg(solverFileName, path);
    } else if (!root.cdUp() || !QFileInfo(root.absoluteFilePath(referenceMeshName)).isFile()) {
        *error = tr("The reference pocket mesh \"%1\" is missing in the workspace %2.")
                     .arg(referenceMeshName, QDir::toNativeSeparators(root.absolutePath()));
    } else {
        return true;
    }
    return false;
}

QString CaseLayout::solverLog() const
{
    return QDir(caseDir).filePath(QString::fromLatin1(formats::solverlog::fileName));
}

bool CaseLayout::launchSolver(qint64 *pid, QString *error) const
{
    QFile oldLog(solverLog());
    if (oldLog.exists() && !oldLog.remove()) {
        *error = tr("The old run log %1 could not be removed: %2.")
                     .arg(QDir::toNativeSeparators(solverLog()), oldLog.errorString());
        return false;
    }
    if (QProcess::startDetached(solverProgram(), {QString()}, executingDir, pid))
        return true;
    *error = tr("The solver %1 could not be started.")
                 .arg(QDir::toNativeSeparators(solverProgram()));
    return false;
}
