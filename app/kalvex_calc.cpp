#include "kalvex.h"

#include "messages.h"

#include "calc/caselayout.h"
#include "calc/currentdirguard.h"
#include "calc/entryname.h"
#include "calc/parametercheck.h"

#include <QDebug>
#include <QDir>

#include <functional>

// Lays down a case and starts the solver on it. Everything is checked before
// the first file is written; any later failure stops the run before the
// solver starts, so it never runs on stale or partial inputs.
void Kalvex::startCalc()
{
    if (!calcCaseIsFree())
        return;
    const CurrentDirGuard guard;
    QDir dir(QDir::currentPath());
    qDebug() << "Current Dir 1" << QDir::currentPath();
    qDebug() << "curDir1=" << dir;
    if (!calcInputsAccepted())
        return;

    const CaseLayout layout = CaseLayout::fromExecutingDir(dir.absolutePath(), text(Parameter::CaseName));
    dir.setPath(layout.root);
    qDebug() << "Current Dir 2" << layout.root;
    qDebug() << "curDir2=" << dir;
    qDebug() << layout.caseName;
    for (const QString &resultDir : layout.resultDirs)
        qDebug() << resultDir;
    if (!createResultDirs(layout.root, layout.resultDirs))
        return;

    qDebug() << "Programmname=" << layout.solverProgram();
    qDebug() << layout.executingDir;

    if (!writeSolverInputs(guard, layout.root, true) || !writeSolverInputs(guard, layout.caseDir, false)
        || !enterDir(guard, layout.executingDir)) {
        return;
    }
    qDebug() << "Working directory=" << layout.executingDir;
    launchSolver(layout);
}

// The refusals: a wrong workspace, an unusable case name, a parameter set
// that would make the solver's run meaningless. Nothing is touched yet.
bool Kalvex::calcInputsAccepted()
{
    const QString title = tr("Calculation not started");
    QString problem;
    if (!CaseLayout::isWorkspace(QDir::currentPath(), &problem)) {
        Messages::warning(this, title, problem);
        return false;
    }
    const QString caseName = text(Parameter::CaseName);
    if (!EntryName::isCaseName(caseName, &problem)) {
        Messages::warning(this, title,
                          tr("Case name \"%1\": %2.\nPlease enter the name of one directory.")
                              .arg(caseName, problem));
        return false;
    }
    const QStringList problems = ParameterCheck::problems(texts(ParameterCheck::parameters()));
    if (!problems.isEmpty()) {
        Messages::warning(this, title,
                          tr("Please correct these entries:\n\n%1").arg(problems.join(QLatin1Char('\n'))));
        return false;
    }
    return true;
}

bool Kalvex::createResultDirs(const QString &root, const QStringList &resultDirs)
{
    const QDir rootDir(root);
    for (const QString &resultDir : resultDirs) {
        if (!rootDir.mkpath(resultDir)) {
            reportCalcStopped(tr("The directory %1 could not be created.")
                                  .arg(QDir::toNativeSeparators(rootDir.absoluteFilePath(resultDir))));
            return false;
        }
    }
    return true;
}

bool Kalvex::enterDir(const CurrentDirGuard &guard, const QString &dir)
{
    if (guard.enter(dir))
        return true;
    reportCalcStopped(tr("The directory %1 could not be entered.").arg(QDir::toNativeSeparators(dir)));
    return false;
}

// The solver's inputs into dir, in the solver's order; the mapped pocket mesh
// only into the root, where the reference mesh lies.
bool Kalvex::writeSolverInputs(const CurrentDirGuard &guard, const QString &dir, bool withPocketMesh)
{
    if (!enterDir(guard, dir))
        return false;
    const QStringList names = CaseLayout::inputFileNames();
    QList<std::pair<QString, std::function<bool()>>> writers = {
        {names.at(0), [this, &names] { return writeCylinderFile(names.at(0)); }},
        {names.at(1), [this, &names] { return writeValveFile(names.at(1)); }},
        {names.at(2), [this] { return writeMeshInput(); }},
    };
    if (withPocketMesh)
        writers.append({text(Parameter::MeshFileName), [this] { return mapPocketMesh(); }});
    for (const auto &[fileName, write] : writers) {
        if (!write()) {
            reportCalcStopped(tr("The file %1 could not be written.")
                                  .arg(QDir::toNativeSeparators(QDir(dir).absoluteFilePath(fileName))));
            return false;
        }
    }
    return true;
}

void Kalvex::reportCalcStopped(const QString &what)
{
    Messages::warning(this, tr("Calculation stopped"), what + tr("\nThe solver was not started."));
}
