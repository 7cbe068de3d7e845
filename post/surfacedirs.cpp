#include "surfacedirs.h"

#include "formats/caselayout.h"

#include <QDir>
#include <QFileInfo>

namespace FieldMaps {

namespace {

const QString executingFilesName = QLatin1String(formats::caselayout::executingDirectory);

// Steps from `dir` into `name`, or names the missing directory.
bool enter(QDir &dir, const QString &name, QString *missing)
{
    if (!name.isEmpty() && dir.cd(name))
        return true;
    if (missing)
        *missing = QDir::cleanPath(dir.absoluteFilePath(name));
    return false;
}

} // namespace

bool locateSurfaceDirs(const QString &startDir, const QString &caseName,
                       const QString &subdir, SurfaceDirs *dirs, QString *missing)
{
    QDir root(startDir);
    if (!root.cdUp()) {
        if (missing)
            *missing = QDir::cleanPath(startDir + QStringLiteral("/.."));
        return false;
    }
    QDir executing(root);
    QDir surface(root);
    if (!enter(surface, caseName, missing) || !enter(surface, subdir, missing)
        || !enter(executing, executingFilesName, missing))
        return false;
    dirs->surface = surface.absolutePath();
    dirs->executingFiles = executing.absolutePath();
    return true;
}

QString returnDirectory(const QString &startDir)
{
    QDir root(startDir);
    if (root.cdUp() && root.exists(executingFilesName)
        && QFileInfo(root.filePath(executingFilesName)).isDir())
        return root.absoluteFilePath(executingFilesName);
    return startDir;
}

} // namespace FieldMaps
