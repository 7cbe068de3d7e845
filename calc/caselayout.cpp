#include "caselayout.h"

#include "formats/solverlog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

QString CaseLayout::executingDirName() { return QStringLiteral("ExecutingFiles"); }
QString CaseLayout::solverFileName() { return QStringLiteral("euler.exe"); }
QString CaseLayout::referenceMeshName() { return QStringLiteral("reference_valve_pocket.msh"); }

QStringList CaseLayout::inputFileNames()
{
    return {QStringLiteral("InputCylinder.txt"), QStringLiteral("InputValves.txt"),
            QStringLiteral("InputPocketMesh.txt")};
}

QStringList CaseLayout::rootFileNames()
{
    return inputFileNames() << referenceMeshName();
}

CaseLayout CaseLayout::fromExecutingDir(const QString &executingDir, const QString &caseName)
{
    CaseLayout layout;
    layout.executingDir = QDir::cleanPath(QDir(executingDir).absolutePath());
    layout.root = QFileInfo(layout.executingDir).absolutePath();
    layout.caseName = caseName;
    layout.caseDir = QDir(layout.root).absoluteFilePath(caseName);
    for (const char *sub : {"head", "piston", "side"})
        layout.resultDirs << caseName + QLatin1Char('/') + QLatin1String(sub);
    return layout;
}

QString CaseLayout::solverProgram() const
{
    return executingDir + QLatin1Char('/') + solverFileName();
}

QString CaseLayout::workspaceProblem(const QString &currentDir)
{
    const QDir dir(currentDir);
    const QString path = QDir::toNativeSeparators(dir.absolutePath());
    if (dir.dirName() != executingDirName()) {
        return QCoreApplication::translate("CaseLayout",
                   "The program must run in the directory \"%1\" of the workspace, not in %2.")
            .arg(executingDirName(), path);
    }
    const QFileInfo solver(dir.absoluteFilePath(solverFileName()));
    if (!solver.isFile() || !solver.isExecutable()) {
        return QCoreApplication::translate("CaseLayout",
                   "The solver \"%1\" is missing or not executable in %2.")
            .arg(solverFileName(), path);
    }
    QDir root(dir.absolutePath());
    if (!root.cdUp() || !QFileInfo(root.absoluteFilePath(referenceMeshName())).isFile()) {
        return QCoreApplication::translate("CaseLayout",
                   "The reference pocket mesh \"%1\" is missing in the workspace %2.")
            .arg(referenceMeshName(), QDir::toNativeSeparators(root.absolutePath()));
    }
    return QString();
}

QString CaseLayout::solverLog() const
{
    return QDir(caseDir).filePath(QString::fromLatin1(formats::solverlog::fileName));
}

bool CaseLayout::launchSolver(qint64 *pid, QString *error) const
{
    QFile oldLog(solverLog());
    if (oldLog.exists() && !oldLog.remove()) {
        *error = QCoreApplication::translate("CaseLayout", "The old run log %1 could not be removed: %2.")
                     .arg(QDir::toNativeSeparators(solverLog()), oldLog.errorString());
        return false;
    }
    if (QProcess::startDetached(solverProgram(), {QString()}, executingDir, pid))
        return true;
    *error = QCoreApplication::translate("CaseLayout", "The solver %1 could not be started.")
                 .arg(QDir::toNativeSeparators(solverProgram()));
    return false;
}
