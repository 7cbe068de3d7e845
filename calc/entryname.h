#pragma once

#include <QCoreApplication>
#include <QString>

// Checks of names that become one directory entry under the workspace root.
// Each returns whether the name is good and otherwise puts why it is refused
// into *reason ("is empty", "contains \"/\", ...").
class EntryName
{
    Q_DECLARE_TR_FUNCTIONS(EntryName)

public:
    // A single file or directory name that every common file system accepts.
    static bool isEntryName(const QString &name, QString *reason);

    // The case name: also the solver's output directory, recorded on its own
    // data line of the cylinder data file, so it must survive that line's
    // tokenising.
    static bool isCaseName(const QString &name, QString *reason);

    // The mapped pocket mesh file, written into the root beside the solver inputs.
    static bool isMeshFileName(const QString &name, QString *reason);

private:
    static bool isFreeName(const QString &name, const QString &fileReason, QString *reason);
};
