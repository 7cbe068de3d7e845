#include "kalvex.h"

#include "messages.h"

#include "calc/caselayout.h"
#include "calc/solverruns.h"
#include "post/caseresults.h"
#include "post/resultfile.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>

void Kalvex::setUpRunStatus()
{
    m_runs = new SolverRuns(this);
    m_runStatus = new QLabel(statusbar);
    m_runStatus->setObjectName(QStringLiteral("runStatus"));
    statusbar->addWidget(m_runStatus, 1);
    connect(m_runs, &SolverRuns::changed, this, [this] { showRunStatus(); });
    connect(m_runs, &SolverRuns::failed, this,
            [this](const QString &caseName, const QString &reason) { reportRunFailure(caseName, reason); });
}

CaseLayout Kalvex::currentCase() const
{
    return CaseLayout::fromExecutingDir(QDir::currentPath(), text(Parameter::CaseName));
}

bool Kalvex::calcCaseIsFree()
{
    m_runs->poll(); // a run that ended since the last look does not stand in the way
    const CaseLayout layout = currentCase();
    const SolverRun *run = m_runs->activeOn(layout.caseDir);
    if (!run)
        return true;
    QMessageBox box(QMessageBox::Warning, tr("Calculation not started"),
                    tr("The solver is still running on the case \"%1\" (%2). A second run would "
                       "write the same files and spoil the results of both.\n\n"
                       "Stop the running solver? Press \"Calculate\" again once it has stopped.")
                        .arg(layout.caseName, run->statusText()),
                    QMessageBox::NoButton, this);
    QPushButton *stop = box.addButton(tr("Stop the solver"), QMessageBox::DestructiveRole);
    box.setDefaultButton(box.addButton(tr("Keep it running"), QMessageBox::RejectRole));
    box.exec();
    if (box.clickedButton() == stop && !m_runs->stop(layout.caseDir)) {
        Messages::warning(this, tr("Calculation not started"),
                          tr("The solver of the case \"%1\" (process %2) could not be stopped.")
                              .arg(layout.caseName)
                              .arg(run->pid()));
    }
    return false;
}

void Kalvex::launchSolver(const CaseLayout &layout)
{
    qint64 pid = 0;
    QString error;
    if (layout.launchSolver(&pid, &error))
        m_runs->follow(layout.caseName, layout.caseDir, pid);
    else
        Messages::warning(this, tr("Calculation stopped"), error);
}

bool Kalvex::plotCaseReady(const QString &title)
{
    m_runs->poll();
    const CaseLayout layout = currentCase();
    const CaseResults results = CaseResults::check(layout.caseName, layout.caseDir,
                                                   ResultFile::stepCount(text(Parameter::EndAngle)),
                                                   m_runs->latest(layout.caseDir));
    if (!results.message().isEmpty()) {
        QMessageBox::Icon icon = results.canPlot() ? QMessageBox::Information : QMessageBox::Warning;
        QMessageBox(icon, title, results.message(), QMessageBox::Ok, this).exec();
    }
    return results.canPlot();
}

int Kalvex::stepsToPlot(const QString &caseDir) const
{
    return CaseResults::availableSteps(caseDir, ResultFile::stepCount(text(Parameter::EndAngle)),
                                       m_runs->latest(caseDir));
}

void Kalvex::showRunStatus()
{
    m_runStatus->setText(m_runs->statusSummary());
    m_runStatus->setToolTip(m_runs->statusLines().join(QLatin1Char('\n')));
}

// Comes from the timer that follows the runs: the box must not hold up the
// event loop, or the other runs would stop being followed while it is open.
void Kalvex::reportRunFailure(const QString &caseName, const QString &reason)
{
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Solver run failed"),
                                tr("The solver run of the case \"%1\" failed:\n%2").arg(caseName, reason),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
