#pragma once

#include <QString>

// Puts the process's current directory back where it was when the guard was
// made, on every way out of a scope that moves it.
class CurrentDirGuard
{
public:
    CurrentDirGuard();
    ~CurrentDirGuard();
    CurrentDirGuard(const CurrentDirGuard &) = delete;
    CurrentDirGuard &operator=(const CurrentDirGuard &) = delete;

    const QString &saved() const { return m_saved; }

private:
    QString m_saved;
};
