#pragma once

#include <QtGlobal>

// A process started detached is known only by its id: Qt offers no handle to
// it. These two are the only places that ask the system about such a process.
namespace DetachedProcess {

// Whether the process is still running. A process that has ended but was not
// yet reaped by whoever adopted it counts as ended.
bool isRunning(qint64 pid);

// Asks the process to end (SIGTERM; on Windows it is terminated). False when
// there is no such process or it may not be stopped.
bool stop(qint64 pid);

} // namespace DetachedProcess
