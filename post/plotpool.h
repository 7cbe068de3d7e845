#pragma once

#include "gnuplotjob.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QObject;

// Runs the plotting program on queues of scripts, several processes at once:
// each queue goes to one process, which runs its scripts one after the other,
// one run per script. A free process is offered the next queue after every
// run, until there is none and no process runs; one that is told to stop
// finishes its current run and takes nothing more.
// Everything happens on the caller's thread, in a local event loop.
class PlotPool
{
public:
    struct Queue
    {
        int tag = 0;          // the caller's name for it
        QStringList scripts;  // in the directory the pool runs in
    };

    struct Callbacks
    {
        // Fills the next queue for process `slot` (0 to processes - 1); false
        // when there is none now.
        std::function<bool(int slot, Queue *queue)> next;
        // After each run: the queue's tag, the script's index in it, the outcome.
        std::function<void(int tag, int index, const JobOutcome &outcome)> ran;
        // After the last run of a queue that ran to its end.
        std::function<void(int tag)> finished;
        // Polled after each run; false stops every process after its run.
        std::function<bool()> keepGoing;
        // Whether user input may reach the window while the pool waits.
        std::function<bool()> acceptsInput;
    };

    // Processes belong to processParent until the pool goes; they start
    // "./wgnuplot.exe" in directory.
    PlotPool(QObject *processParent, const QString &directory, int processes,
             int timeoutMs = GnuplotJob::defaultTimeoutMs);
    ~PlotPool();
    PlotPool(const PlotPool &) = delete;
    PlotPool &operator=(const PlotPool &) = delete;

    // Returns once no process runs and none has a queue left.
    void run(const Callbacks &callbacks);

private:
    class Process;
    QList<std::shared_ptr<Process>> m_processes;
};
