#pragma once

#include <QString>

// The one way the front end moves the process's current directory: each move
// is checked, and the guard puts the directory back on every way out of its
// scope, to where it was when the guard was made or to a given directory.
class CurrentDirGuard
{
public:
    CurrentDirGuard();
    explicit CurrentDirGuard(const QString &returnTo);
    ~CurrentDirGuard();
    CurrentDirGuard(const CurrentDirGuard &) = delete;
    CurrentDirGuard &operator=(const CurrentDirGuard &) = delete;

    // Makes dir the current directory; false when it cannot be entered.
    bool enter(const QString &dir) const;

    const QString &saved() const { return m_saved; }

private:
    QString m_saved;
};
