#include "valvediagram.h"

#include "formats/caselayout.h"
#include "formats/historycolumns.h"

namespace ValveDiagram {

QStringList crankAngleScript(const QString &imageName, const QString &yLabel,
                             const QStringList &curves)
{
    QStringList script{
        QStringLiteral("set terminal png size 600,350"),
        QStringLiteral("set output '%1'").arg(imageName),
        QStringLiteral("set xlabel 'crank angle [deg]'"),
        QStringLiteral("set ylabel '%1'").arg(yLabel),
    };
    for (int i = 0; i < curves.size(); ++i) {
        QString line = i == 0 ? QStringLiteral("plot ") + curves.at(i) : curves.at(i);
        if (i + 1 < curves.size())
            line += QStringLiteral(", \\");
        script << line;
    }
    return script;
}

std::optional<int> valveCount(const QString &text)
{
    bool ok = false;
    const int count = text.toInt(&ok, 10);
    if (!ok || count < 1 || count > maxValvesPerKind)
        return std::nullopt;
    return count;
}

bool usesDischargeCount(Quantity quantity)
{
    return quantity != Quantity::SuctionMassFlow;
}

int column(Quantity quantity, int valveNumber)
{
    namespace valve = formats::historycolumns::valve;
    const int offset = quantity == Quantity::Lift       ? valve::lift
                       : quantity == Quantity::Velocity ? valve::velocity
                                                        : valve::massFlow;
    return formats::historycolumns::valveColumn(valveNumber, offset);
}

QVector<Curve> curves(Quantity quantity, int suctionValves, int dischargeValves)
{
    const bool suction = quantity != Quantity::DischargeMassFlow;
    const bool discharge = quantity != Quantity::SuctionMassFlow;
    QVector<Curve> result;
    if (suction) {
        for (int k = 1; k <= suctionValves; ++k)
            result.append({column(quantity, k), QStringLiteral("Suc. Valve%1").arg(k)});
    }
    if (discharge) {
        for (int k = 1; k <= dischargeValves; ++k)
            result.append({column(quantity, suctionValves + k),
                           QStringLiteral("Disc. Valve%1").arg(k)});
    }
    return result;
}

QString yLabel(Quantity quantity)
{
    switch (quantity) {
    case Quantity::DischargeMassFlow:
    case Quantity::SuctionMassFlow:
        return QStringLiteral("mass flow [kg/s]");
    case Quantity::Lift:
        return QStringLiteral("valve lift [m]");
    case Quantity::Velocity:
        return QStringLiteral("valve velocity [m/s]");
    }
    return {};
}

QStringList plotScript(const QString &caseName, Quantity quantity, int suctionValves,
                       int dischargeValves)
{
    const QString history =
        QStringLiteral("../%1/%2").arg(caseName, QLatin1String(formats::caselayout::historyFile));
    QStringList lines;
    for (const Curve &curve : curves(quantity, suctionValves, dischargeValves)) {
        lines << QStringLiteral("'%1' every::1 u %2:%3 title '%4' w l")
                     .arg(history, QString::number(formats::historycolumns::crankAngle),
                          QString::number(curve.column), curve.title);
    }
    return crankAngleScript(imageName(), yLabel(quantity), lines);
}

} // namespace ValveDiagram
