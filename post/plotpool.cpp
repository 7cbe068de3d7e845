#include "plotpool.h"

#include <QDir>

#include <algorithm>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

// One process of the pool and the queue it works on.
class PlotPool::Process
{
public:
    Process(QObject *parent, const QString &directory, int slot, int timeoutMs)
        : m_process(new QProcess(parent))
        , m_program(QDir::cleanPath(QDir(directory).absoluteFilePath(GnuplotJob::program())))
        , m_slot(slot)
        , m_timeoutMs(timeoutMs)
    {
        m_process->setWorkingDirectory(directory);
        m_deadline.setSingleShot(true);
        QObject::connect(m_process, &QProcess::finished, m_process, [this] { ended(false); });
        QObject::connect(m_process, &QProcess::errorOccurred, m_process, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                ended(true);
        });
        QObject::connect(&m_deadline, &QTimer::timeout, m_process, [this] { ended(false); });
    }

    // Every run has ended by now; the process object goes with the pool.
    ~Process()
    {
        QObject::disconnect(m_process, nullptr, m_process, nullptr);
        m_process->deleteLater();
    }

    bool busy() const { return m_busy; }
    bool stopped() const { return m_stopped; }

    // Takes the next queue and starts its first script; false when there is none.
    bool takeWork(const Callbacks *callbacks, QEventLoop *loop)
    {
        m_callbacks = callbacks;
        m_loop = loop;
        m_queue = {};
        m_index = 0;
        if (!m_callbacks->next(m_slot, &m_queue))
            return false;
        m_busy = true;
        startScript();
        return true;
    }

private:
    void startScript()
    {
        if (m_index >= m_queue.scripts.size()) {
            m_busy = false;
            if (m_callbacks->finished)
                m_callbacks->finished(m_queue.tag);
            m_loop->quit(); // free now: run() offers it the next queue
            return;
        }
        m_running = true;
        m_deadline.start(m_timeoutMs);
        m_process->start(m_program, {m_queue.scripts.at(m_index)});
    }

    // A run ended: it finished, failed to start, or ran out of time.
    void ended(bool failedToStart)
    {
        if (!m_running)
            return;
        m_running = false;
        m_deadline.stop();
        const JobOutcome outcome = endRun(*m_process, failedToStart);
        m_callbacks->ran(m_queue.tag, m_index, outcome);
        ++m_index;
        m_loop->quit(); // lets run() look again whether the user may give input
        if (m_callbacks->keepGoing && !m_callbacks->keepGoing()) {
            m_stopped = true;
            m_busy = false;
            return;
        }
        // Started from the event loop, never from within the signal's emitter.
        QTimer::singleShot(0, m_process, [this] { startScript(); });
    }

    QProcess *m_process;
    QString m_program;
    int m_slot;
    int m_timeoutMs;
    QTimer m_deadline;
    const Callbacks *m_callbacks = nullptr;
    QEventLoop *m_loop = nullptr;
    Queue m_queue;
    qsizetype m_index = 0;
    bool m_busy = false;
    bool m_running = false;
    bool m_stopped = false;
};

PlotPool::PlotPool(QObject *processParent, const QString &directory, int processes, int timeoutMs)
{
    for (int slot = 0; slot < qMax(1, processes); ++slot)
        m_processes << std::make_shared<Process>(processParent, directory, slot, timeoutMs);
}

PlotPool::~PlotPool() = default;

void PlotPool::run(const Callbacks &callbacks)
{
    QEventLoop loop;
    // Every free process is offered work, until one finds none; a queue may
    // be refused now and come later, once others have run.
    auto offerWork = [&] {
        for (const auto &process : std::as_const(m_processes)) {
            if (!process->busy() && !process->stopped() && !process->takeWork(&callbacks, &loop))
                return;
        }
    };
    auto anyBusy = [this] {
        return std::any_of(m_processes.cbegin(), m_processes.cend(), [](const auto &p) { return p->busy(); });
    };
    offerWork();
    // The loop returns after every run, so that a dialog that has come up
    // meanwhile gets its input and a free process its next queue.
    while (anyBusy()) {
        const bool input = callbacks.acceptsInput && callbacks.acceptsInput();
        loop.exec(input ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        offerWork();
    }
}
