#include "testworkspace.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace {

bool makeExecutable(const QString &fileName)
{
    return QFile::setPermissions(fileName,
                                 QFile::permissions(fileName) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

} // namespace

TestWorkspace::TestWorkspace()
    : m_startDir(QDir::currentPath())
{
    if (m_dir.isValid() && QDir(m_dir.path()).mkdir(QLatin1String(formats::caselayout::executingDirectory)))
        m_root = QDir(m_dir.path()).canonicalPath();
}

TestWorkspace::~TestWorkspace()
{
    QDir::setCurrent(m_startDir);
}

bool TestWorkspace::writeProgram(const QString &name, const QByteArray &content) const
{
    QFile file(program(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return false;
    file.close();
    return makeExecutable(file.fileName());
}

bool TestWorkspace::copyProgram(const QString &source, const QString &name) const
{
    return QFile::copy(source, program(name)) && makeExecutable(program(name));
}

bool TestWorkspace::installGnuplot() const
{
    return writeProgram(QStringLiteral("wgnuplot.exe"), "#!/bin/sh\nexec gnuplot \"$@\"\n");
}

bool TestWorkspace::copyReferenceMesh(const QString &source) const
{
    return QFile::copy(source, path(referenceMeshName()));
}

QStringList TestWorkspace::listing() const
{
    QStringList entries;
    QDirIterator it(m_root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QString entry = QDir(m_root).relativeFilePath(path);
        QFile file(path);
        if (it.fileInfo().isFile() && file.open(QIODevice::ReadOnly))
            entry += QLatin1Char(' ') + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex();
        else if (it.fileInfo().isDir())
            entry += QLatin1Char('/');
        entries << entry;
    }
    entries.sort();
    return entries;
}
