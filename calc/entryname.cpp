#include "entryname.h"

#include "caselayout.h"

#include "formats/caselayout.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

namespace {

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
        return EntryName::tr("a control character");
    return QStringLiteral("\"%1\"").arg(c);
}

bool sameName(const QString &a, const QString &b)
{
    // Windows and macOS compare names without case.
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

// A name the workspace already uses for something of its own.
bool EntryName::isFreeName(const QString &name, const QString &fileReason, QString *reason)
{
    if (sameName(name, QLatin1String(formats::caselayout::executingDirectory))) {
        *reason = tr("\"%1\" is the program directory").arg(name);
        return false;
    }
    for (const QString &taken : CaseLayout::rootFileNames()) {
        if (sameName(name, taken)) {
            *reason = fileReason.arg(name);
            return false;
        }
    }
    return true;
}

bool EntryName::isEntryName(const QString &name, QString *reason)
{
    if (name.isEmpty())
        *reason = tr("is empty");
    else if (name == QLatin1String(".") || name == QLatin1String(".."))
        *reason = tr("\"%1\" names no directory of its own").arg(name);
    else if (const QChar bad = firstForbiddenCharacter(name); !bad.isNull())
        *reason = tr("contains %1, which is not allowed in a name").arg(describe(bad));
    else if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        *reason = tr("must not end with a dot or a blank");
    else if (name.startsWith(QLatin1Char(' ')))
        *reason = tr("must not begin with a blank");
    else if (isDeviceName(name))
        *reason = tr("\"%1\" is a device name on Windows").arg(name);
    else if (std::size_t(name.toUtf8().size()) > formats::caselayout::longestName)
        *reason = tr("is longer than %1 bytes, more than a file name can be").arg(formats::caselayout::longestName);
    else
        return true;
    return false;
}

bool EntryName::isCaseName(const QString &name, QString *reason)
{
    if (!isEntryName(name, reason))
        return false;
    // The cylinder data file's reader takes the first token of a data line
    // (split at blanks and "=") and skips lines beginning with "#".
    if (name.contains(QRegularExpression(QStringLiteral("\\s"))) || name.contains(QLatin1Char('=')))
        *reason = tr("must not contain blanks or \"=\" (the cylinder data file could not carry it)");
    else if (name.startsWith(QLatin1Char('#')))
        *reason = tr("must not begin with \"#\" (the cylinder data file would read it as a comment)");
    // The plot scripts quote the case's paths with single quotes.
    else if (name.contains(QLatin1Char('\'')))
        *reason = tr("must not contain \"'\" (the plot scripts could not name the case)");
    else
        return isFreeName(name, tr("\"%1\" is the name of a file in the workspace"), reason);
    return false;
}

bool EntryName::isMeshFileName(const QString &name, QString *reason)
{
    return isEntryName(name, reason)
           && isFreeName(name, tr("\"%1\" would overwrite a file the calculation needs"), reason);
}
