#pragma once

#include "formats/caselayout.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Where a calculation run puts things. The program runs in ExecutingFiles;
// its parent is the workspace root, which holds the reference pocket mesh,
// the latest solver inputs and one directory per case.
struct CaseLayout
{
    Q_DECLARE_TR_FUNCTIONS(CaseLayout)

public:
    QString root;          // absolute path of the workspace root
    QString executingDir;  // absolute path of ExecutingFiles
    QString caseName;      // relative to the root
    QString caseDir;       // absolute path of the case directory
    QStringList resultDirs; // relative to the root: C/head, C/piston, C/side

    // Files the run writes or reads in the root under fixed names
    // (formats/caselayout.h): the solver inputs in the order they are
    // written, then the reference pocket mesh.
    static QStringList inputFileNames();
    static QStringList rootFileNames();

    // The layout seen from ExecutingFiles (absolute path) for one case.
    static CaseLayout fromExecutingDir(const QString &executingDir, const QString &caseName);

    // absolute path of ExecutingFiles + "/euler.exe"
    QString solverProgram() const;
    // absolute path of the case's run log
    QString solverLog() const;

    // Whether the directory can host a run, else why not in *error: it must be
    // a directory named ExecutingFiles holding an executable euler.exe, inside
    // a root that holds the reference pocket mesh.
    static bool isWorkspace(const QString &currentDir, QString *error);

    // Starts the solver on its own with one empty argument, working in
    // ExecutingFiles, and tells its process id. The case's old run log goes
    // first: until the new run rewrites it, it would pass for the new run's.
    // False with the reason in *error when the solver was not started.
    bool launchSolver(qint64 *pid, QString *error) const;
};
