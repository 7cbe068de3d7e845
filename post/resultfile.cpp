#include "resultfile.h"

#include "formats/caselayout.h"

#include <cmath>
#include <limits>

namespace ResultFile {

QString stepNumber(int step)
{
    return QString::fromStdString(formats::caselayout::stepNumber(step));
}

int stepCount(const QString &phiMaxText)
{
    const double phiMax = phiMaxText.toDouble();
    if (!std::isfinite(phiMax) || std::fabs(phiMax) >= std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(std::trunc(phiMax));
}

} // namespace ResultFile
