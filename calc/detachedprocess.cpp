#include "detachedprocess.h"

#if defined(Q_OS_WIN)
#include <qt_windows.h>
#else
#include <QFile>
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#endif

namespace DetachedProcess {

#if defined(Q_OS_WIN)

bool isRunning(qint64 pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD exitCode = 0;
    const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

bool stop(qint64 pid)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, DWORD(pid));
    if (!process)
        return false;
    const bool stopped = TerminateProcess(process, 1);
    CloseHandle(process);
    return stopped;
}

#else

bool isRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
#if defined(Q_OS_LINUX)
    // The state follows the command name in parentheses, which may itself
    // hold blanks and parentheses: "1234 (euler.exe) S ...".
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const qsizetype state = line.lastIndexOf(')') + 2;
        return state >= 2 && state < line.size() && line.at(state) != 'Z' && line.at(state) != 'X';
    }
#endif
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

bool stop(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), SIGTERM) == 0;
}

#endif

} // namespace DetachedProcess
