#include "currentdirguard.h"

#include <QDebug>
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
    if (QDir::currentPath() != m_saved && !QDir::setCurrent(m_saved))
        qWarning().noquote() << "Cannot return to the directory" << m_saved;
}

bool CurrentDirGuard::enter(const QString &dir) const
{
    return QDir::setCurrent(dir);
}
