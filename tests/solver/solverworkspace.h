#pragma once

// A temporary workspace root laid out as the front end leaves it before a
// run: ExecutingFiles, the sample case's input files and a small pocket
// mesh, for tests that start the real solver programs.
#include "formats/caselayout.h"
#include "formats/solverlog.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace solvertest {

class SolverWorkspace
{
public:
    QString root() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString caseFile(const QString &name) const { return m_dir.filePath(QStringLiteral("Case680mm/") + name); }

    // The sample inputs and the box pocket mesh "dP=680mm.msh".
    bool prepare()
    {
        namespace layout = formats::caselayout;
        const QString samples = QFINDTESTDATA("../../data/samples");
        return m_dir.isValid() && QDir(root()).mkpath(QLatin1String(layout::executingDirectory))
               && copy(samples + QStringLiteral("/Case680mm_cylinder.txt"), QLatin1String(layout::cylinderInput))
               && copy(samples + QStringLiteral("/Case680mm_valves.txt"), QLatin1String(layout::valveInput))
               && copy(QFINDTESTDATA("data/pocket_box.msh"), QStringLiteral("dP=680mm.msh"))
               && write(QLatin1String(layout::pocketMeshInput),
                        "Mesh file used for valve pockets:\ndP=680mm.msh\n\nGrid scaling factor (m/m)\n0.001\n");
    }

    // Replaces a file of the root by a copy of `source`.
    bool copy(const QString &source, const QString &name)
    {
        QFile::remove(file(name));
        return !source.isEmpty() && QFile::copy(source, file(name))
               && QFile::setPermissions(file(name), QFile::ReadOwner | QFile::WriteOwner);
    }

    bool write(const QString &name, const QByteArray &content)
    {
        QFile out(file(name));
        return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(content) == content.size();
    }

    // Starts a solver program in ExecutingFiles as the front end does; false
    // when it did not end normally (a signal) within `seconds`.
    bool run(const QString &program, const QStringList &arguments, int seconds, int *exitCode)
    {
        QProcess solver;
        solver.setWorkingDirectory(file(QLatin1String(formats::caselayout::executingDirectory)));
        solver.start(program, arguments);
        if (!solver.waitForFinished(seconds * 1000)) {
            solver.kill();
            solver.waitForFinished();
            return false;
        }
        *exitCode = solver.exitCode();
        m_stderr = solver.readAllStandardError();
        return solver.exitStatus() == QProcess::NormalExit;
    }
    QByteArray standardError() const { return m_stderr; }

    // Replaces line `number` (from 1) of a file of the root.
    bool replaceLine(const QString &name, int number, const QByteArray &text)
    {
        QList<QByteArray> lines = readAll(name).split('\n');
        if (number < 1 || number > lines.size())
            return false;
        lines[number - 1] = text;
        return write(name, lines.join('\n'));
    }

    QByteArray readAll(const QString &name) const
    {
        QFile in(file(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_stderr;
};

} // namespace solvertest
