#pragma once

#include "formats/caselayout.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A workspace root in a temporary directory, laid out like the installed one:
// the programs in ROOT/ExecutingFiles, the reference pocket mesh in ROOT.
// Tests step into it with QDir::setCurrent; the current directory found at
// construction is restored when the workspace goes.
class TestWorkspace
{
public:
    TestWorkspace();
    ~TestWorkspace();
    TestWorkspace(const TestWorkspace &) = delete;
    TestWorkspace &operator=(const TestWorkspace &) = delete;

    bool isValid() const { return m_dir.isValid() && !m_root.isEmpty(); }
    // Canonical, as the current directory reads once inside.
    QString root() const { return m_root; }
    QString executingDir() const
    {
        return m_root + QLatin1Char('/') + QLatin1String(formats::caselayout::executingDirectory);
    }
    QString path(const QString &relative) const { return m_root + QLatin1Char('/') + relative; }
    QString program(const QString &name) const { return executingDir() + QLatin1Char('/') + name; }

    // Writes an executable ExecutingFiles/name holding content (from "#!").
    bool writeProgram(const QString &name, const QByteArray &content) const;
    // Copies an executable into ExecutingFiles under name.
    bool copyProgram(const QString &source, const QString &name) const;
    // A wgnuplot.exe that hands its arguments over to gnuplot.
    bool installGnuplot() const;
    bool copyReferenceMesh(const QString &source) const;
    // Every entry below the root with a hash of each file's content, sorted:
    // two listings differ when anything was written, created or removed.
    QStringList listing() const;

    static QString referenceMeshName() { return QLatin1String(formats::caselayout::referenceMesh); }

private:
    QTemporaryDir m_dir;
    QString m_root;
    QString m_startDir;
};
