#include "caseresults.h"

#include "calc/entryname.h"
#include "calc/solverrun.h"
#include "formats/caselayout.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

namespace layout = formats::caselayout;

bool isFile(const QDir &dir, const std::string &relative)
{
    return QFileInfo(dir.filePath(QString::fromStdString(relative))).isFile();
}

bool stepFileExists(const QDir &caseDir, layout::Surface surface, int step)
{
    return isFile(caseDir, std::string(layout::surfaceName(surface)) + '/' + layout::resultFileName(surface, step));
}

} // namespace

bool CaseResults::hasAny(const QString &caseDir)
{
    const QDir dir(caseDir);
    return isFile(dir, layout::historyFile)
           || std::any_of(layout::surfaces.begin(), layout::surfaces.end(),
                          [&dir](layout::Surface surface) { return stepFileExists(dir, surface, 1); });
}

int CaseResults::completeSteps(const QString &caseDir, int steps)
{
    const QDir dir(caseDir);
    int step = 0;
    while (step < steps && std::all_of(layout::surfaces.begin(), layout::surfaces.end(), [&](layout::Surface surface) {
               return stepFileExists(dir, surface, step + 1);
           }))
        ++step;
    return step;
}

QString CaseResults::noResults(const QString &caseName, const QString &caseDir, const SolverRun *run)
{
    QString why;
    if (run && run->isActive())
        why = tr("its solver has only just started.");
    else if (run && run->phase() != SolverRun::Phase::Finished)
        why = tr("its solver run %1").arg(howItEnded(*run));
    else
        why = tr("its case directory %1 holds no solver output. Press \"Calculate\" first.")
                  .arg(QDir::toNativeSeparators(caseDir));
    return tr("The case \"%1\" has no results yet: %2").arg(caseName, why);
}

QString CaseResults::howItEnded(const SolverRun &run)
{
    switch (run.phase()) {
    case SolverRun::Phase::Failed: {
        const QString reason = run.failure();
        return tr("failed: %1").arg(reason) + (reason.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral("."));
    }
    case SolverRun::Phase::Stopped:
        return tr("was stopped.");
    default:
        return tr("ended without a result.");
    }
}

QString CaseResults::runNote(const QString &caseName, const SolverRun &run, int steps)
{
    if (run.isActive()) {
        return tr("The solver of the case \"%1\" is still running (at %2 of %3 deg): "
                  "what it has written so far is drawn.")
            .arg(caseName, formatAngle(run.log().reached.value_or(0)),
                 formatAngle(run.log().target.value_or(steps)));
    }
    return tr("The solver run of the case \"%1\" %2 What it wrote before it ended is drawn.")
        .arg(caseName, howItEnded(run));
}

QString CaseResults::missingSteps(int from, int to)
{
    if (from > to)
        return QString();
    return from == to ? tr(" Step %1 is missing.").arg(from)
                      : tr(" Steps %1 to %2 are missing.").arg(from).arg(to);
}

int CaseResults::availableSteps(const QString &caseDir, int steps, const SolverRun *run)
{
    if (!run || run->phase() == SolverRun::Phase::Finished)
        return steps;
    // A step is complete once the log has passed it; the next may be half written.
    if (run->isActive())
        return qBound(0, int(std::floor(run->log().reached.value_or(0))), steps);
    return completeSteps(caseDir, steps);
}

CaseResults CaseResults::check(const QString &caseName, const QString &caseDir, int steps,
                               const SolverRun *run)
{
    CaseResults result;
    QString nameProblem;
    if (!EntryName::isCaseName(caseName, &nameProblem)) {
        result.m_canPlot = false;
        result.m_message = tr("\"%1\" is not a case name (%2), so there is no case directory to plot from.")
                               .arg(caseName, nameProblem);
        return result;
    }
    result.m_steps = availableSteps(caseDir, steps, run);
    if (!hasAny(caseDir) || (run && run->isActive() && result.m_steps == 0)) {
        result.m_canPlot = false;
        result.m_message = noResults(caseName, caseDir, run);
        return result;
    }
    if (run && run->phase() != SolverRun::Phase::Finished)
        result.m_message = runNote(caseName, *run, steps) + missingSteps(result.m_steps + 1, steps);
    return result;
}
