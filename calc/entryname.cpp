#include "entryname.h"

#include "caselayout.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("EntryName", text);
}

// DOS device names: no directory or file on Windows may carry them, with or
// without an extension.
bool isDeviceName(const QString &name)
{
    static const QRegularExpression device(
        QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return device.match(name).hasMatch();
}

QChar firstForbiddenCharacter(const QString &name)
{
    static const QString forbidden = QStringLiteral("<>:\"/\\|?*");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || forbidden.contains(c))
            return c;
    }
    return QChar();
}

QString describe(QChar c)
{
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
        return tr("a control character");
    return QStringLiteral("\"%1\"").arg(c);
}

bool sameName(const QString &a, const QString &b)
{
    // Windows and macOS compare names without case.
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A name the workspace already uses for something of its own.
QString takenNameProblem(const QString &name, const QString &fileReason)
{
    if (sameName(name, QLatin1String(formats::caselayout::executingDirectory)))
        return tr("\"%1\" is the program directory").arg(name);
    for (const QString &taken : CaseLayout::rootFileNames()) {
        if (sameName(name, taken))
            return fileReason.arg(name);
    }
    return QString();
}

} // namespace

namespace EntryName {

QString problem(const QString &name)
{
    if (name.isEmpty())
        return tr("is empty");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return tr("\"%1\" names no directory of its own").arg(name);
    const QChar bad = firstForbiddenCharacter(name);
    if (!bad.isNull())
        return tr("contains %1, which is not allowed in a name").arg(describe(bad));
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return tr("must not end with a dot or a blank");
    if (name.startsWith(QLatin1Char(' ')))
        return tr("must not begin with a blank");
    if (isDeviceName(name))
        return tr("\"%1\" is a device name on Windows").arg(name);
    return QString();
}

QString caseNameProblem(const QString &name)
{
    const QString general = problem(name);
    if (!general.isEmpty())
        return general;
    // The cylinder data file's reader takes the first token of a data line
    // (split at blanks and "=") and skips lines beginning with "#".
    if (name.contains(QRegularExpression(QStringLiteral("\\s"))) || name.contains(QLatin1Char('=')))
        return tr("must not contain blanks or \"=\" (the cylinder data file could not carry it)");
    if (name.startsWith(QLatin1Char('#')))
        return tr("must not begin with \"#\" (the cylinder data file would read it as a comment)");
    // The plot scripts quote the case's paths with single quotes.
    if (name.contains(QLatin1Char('\'')))
        return tr("must not contain \"'\" (the plot scripts could not name the case)");
    return takenNameProblem(name, tr("\"%1\" is the name of a file in the workspace"));
}

QString meshFileNameProblem(const QString &name)
{
    const QString general = problem(name);
    if (!general.isEmpty())
        return general;
    return takenNameProblem(name, tr("\"%1\" would overwrite a file the calculation needs"));
}

} // namespace EntryName
