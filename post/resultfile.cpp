#include "resultfile.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace ResultFile {

QStringList splitFields(const QString &line)
{
    static const QRegularExpression separators(QStringLiteral("\\s+|="));
    return line.split(separators, Qt::SkipEmptyParts);
}

double number(const QStringList &fields, int oneBased, bool *ok)
{
    bool converted = false;
    double value = 0;
    if (oneBased >= 1 && oneBased <= fields.size())
        value = fields.at(oneBased - 1).toDouble(&converted);
    if (ok)
        *ok = converted;
    return converted ? value : 0.0;
}

int integer(const QStringList &fields, int oneBased, bool *ok)
{
    bool converted = false;
    int value = 0;
    if (oneBased >= 1 && oneBased <= fields.size())
        value = fields.at(oneBased - 1).toInt(&converted, 10);
    if (ok)
        *ok = converted;
    return converted ? value : 0;
}

QString stepNumber(int step)
{
    return QStringLiteral("%1").arg(step, 3, 10, QLatin1Char('0'));
}

int stepCount(const QString &phiMaxText)
{
    const double phiMax = phiMaxText.toDouble();
    if (!std::isfinite(phiMax) || std::fabs(phiMax) >= std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(std::trunc(phiMax));
}

} // namespace ResultFile
