#include "surfacedirs.h"

#include "formats/caselayout.h"

#include <QDir>
#include <QFileInfo>

namespace FieldMaps {

namespace {

const QString executingFilesName = QLatin1String(formats::caselayout::executingDirectory);

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(FieldMaps)
};

bool notFound(const QString &path, QString *error)
{
    *error = Texts::tr("directory not found: %1").arg(QDir::cleanPath(path));
    return false;
}

// Steps from `dir` into `name`, or names the missing directory.
bool enter(QDir &dir, const QString &name, QString *error)
{
    if (!name.isEmpty() && dir.cd(name))
        return true;
    return notFound(dir.absoluteFilePath(name), error);
}

} // namespace

bool locateSurfaceDirs(const QString &startDir, const QString &caseName,
                       const QString &subdir, SurfaceDirs *dirs, QString *error)
{
    QDir root(startDir);
    if (!root.cdUp())
        return notFound(startDir + QStringLiteral("/.."), error);
    QDir executing(root);
    QDir surface(root);
    if (!enter(surface, caseName, error) || !enter(surface, subdir, error)
        || !enter(executing, executingFilesName, error))
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
