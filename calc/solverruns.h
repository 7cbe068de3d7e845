#pragma once

#include "solverrun.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

// The solver runs the window has started, one per case (the latest), followed
// without blocking: a timer looks at every run that goes on.
class SolverRuns : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultIntervalMs = 250;
    // How many runs the status line names; the others are in its tool tip.
    static constexpr int shownRuns = 3;

    explicit SolverRuns(QObject *parent = nullptr, int intervalMs = defaultIntervalMs,
                        SolverRun::Probe probe = {});

    // Follows the solver just started on caseDir; an earlier run of the case,
    // which must have ended, is forgotten.
    void follow(const QString &caseName, const QString &caseDir, qint64 pid);
    // The latest run on caseDir, or nullptr.
    const SolverRun *latest(const QString &caseDir) const;
    // The run going on in caseDir, or nullptr.
    const SolverRun *activeOn(const QString &caseDir) const;
    // Asks the run going on in caseDir to end.
    bool stop(const QString &caseDir);

    // One line per run, the latest started first.
    QStringList statusLines() const;
    // The status bar's line: the first shownRuns runs, then how many more.
    QString statusSummary() const;

    // Looks at every run going on once (the timer calls it).
    void poll();

signals:
    void changed();
    // Once per run, when it has failed.
    void failed(const QString &caseName, const QString &reason);

private:
    SolverRun *find(const QString &caseDir) const;

    QTimer m_timer;
    SolverRun::Probe m_probe;
    std::vector<std::unique_ptr<SolverRun>> m_runs; // the latest last
};

// Two spellings of one directory give one key (a link, or letter case where
// the file system ignores it).
QString caseDirKey(const QString &caseDir);
