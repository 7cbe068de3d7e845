#pragma once

#include <QString>

// Puts the process's current directory back, on every way out of a scope that
// moves it: to where it was when the guard was made, or to a given directory.
class CurrentDirGuard
{
public:
    CurrentDirGuard();
    explicit CurrentDirGuard(const QString &returnTo);
    ~CurrentDirGuard();
    CurrentDirGuard(const CurrentDirGuard &) = delete;
    CurrentDirGuard &operator=(const CurrentDirGuard &) = delete;

    const QString &saved() const { return m_saved; }

private:
    QString m_saved;
};
