#include "currentdirguard.h"

#include <QDir>

CurrentDirGuard::CurrentDirGuard()
    : m_saved(QDir::currentPath())
{
}

CurrentDirGuard::~CurrentDirGuard()
{
    QDir::setCurrent(m_saved);
}
