#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A workspace root in a temporary directory: ExecutingFiles with a stand-in
// euler.exe that records its arguments and working directory in
// ROOT/launch.log, and the reference pocket mesh in the root.
class TestWorkspace
{
public:
    explicit TestWorkspace(const QString &referenceMesh)
    {
        QDir(m_dir.path()).mkdir(QStringLiteral("ExecutingFiles"));
        writeSolver(QStringLiteral("#!/bin/sh\n"
                                   "log=\"$(dirname \"$0\")/../launch.log\"\n"
                                   "{ echo \"args=$#\"; for a in \"$@\"; do echo \"arg=[$a]\"; done;"
                                   " echo \"cwd=$(pwd -P)\"; } > \"$log.tmp\" && mv \"$log.tmp\" \"$log\"\n"));
        QFile::copy(referenceMesh, root() + QStringLiteral("/reference_valve_pocket.msh"));
    }

    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return QDir(m_dir.path()).canonicalPath(); }
    QString executingDir() const { return root() + QStringLiteral("/ExecutingFiles"); }
    QString solver() const { return executingDir() + QStringLiteral("/euler.exe"); }
    QString launchLog() const { return root() + QStringLiteral("/launch.log"); }

    void writeSolver(const QString &script) const
    {
        QFile file(solver());
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(script.toUtf8());
        file.close();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

private:
    QTemporaryDir m_dir;
};
