#include "currentdirguard.h"

#include <QDir>

CurrentDirGuard::CurrentDirGuard()
    : m_saved(QDir::currentPath())
{
}

CurrentDirGuard::CurrentDirGuard(const QString &returnTo)
    : m_saved(returnTo)
{
}

CurrentDirGuard::~CurrentDirGuard()
{
    QDir::setCurrent(m_saved);
}
