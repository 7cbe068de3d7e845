#pragma once

#include <QCoreApplication>
#include <QString>

#include <utility>

// The directories a field-map run moves through. The run starts in a directory
// directly under the root (normally ExecutingFiles); the case directory and
// ExecutingFiles lie in the root.
namespace FieldMaps {

struct SurfaceDirs
{
    QString surface;          // <root>/<case>/<subdir>, absolute
    QString executingFiles;   // <root>/ExecutingFiles, absolute
};

// Finds the directories from startDir. On failure returns false and names the
// first directory that is missing in *error: "directory not found: <path>".
bool locateSurfaceDirs(const QString &startDir, const QString &caseName,
                       const QString &subdir, SurfaceDirs *dirs, QString *error);

// The directory a run must end in: <parent of startDir>/ExecutingFiles when
// it exists, otherwise startDir itself.
QString returnDirectory(const QString &startDir);

} // namespace FieldMaps
