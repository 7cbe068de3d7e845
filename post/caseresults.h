#pragma once

#include <QCoreApplication>
#include <QString>

class SolverRun;

// What a plot button finds in a case: results or none, and how far they go
// when the window follows a run on the case that is still going or failed.
class CaseResults
{
    Q_DECLARE_TR_FUNCTIONS(CaseResults)

public:
    // Whether the case directory holds any solver output: the valve history
    // or a result file of the first output step.
    static bool hasAny(const QString &caseDir);
    // The leading steps 1..k, k <= steps, whose head, piston and side files
    // all exist.
    static int completeSteps(const QString &caseDir, int steps);

    // The output steps 1..k, k <= steps, that a plot may read: all of them,
    // unless run, the run the window follows on the case, has not finished.
    static int availableSteps(const QString &caseDir, int steps, const SolverRun *run);

    // caseName as typed, caseDir its directory, steps the output steps phiMax
    // asks for; run as for availableSteps, or nullptr.
    static CaseResults check(const QString &caseName, const QString &caseDir, int steps,
                             const SolverRun *run);

    // False: there is nothing to draw, and message() says so.
    bool canPlot() const { return m_canPlot; }
    // The output steps a field map or coefficient run may read.
    int steps() const { return m_steps; }
    // What the user is told before the plot; empty when there is nothing to say.
    QString message() const { return m_message; }

private:
    static QString noResults(const QString &caseName, const QString &caseDir, const SolverRun *run);
    static QString howItEnded(const SolverRun &run);
    static QString runNote(const QString &caseName, const SolverRun &run, int steps);
    static QString missingSteps(int from, int to);

    bool m_canPlot = true;
    int m_steps = 0;
    QString m_message;
};
