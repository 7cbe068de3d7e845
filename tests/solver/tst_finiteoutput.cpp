// No infinity or NaN reaches a result file: the writers of Output.txt, the
// surface files and Summary.txt stop the run (exit status 3) naming the
// quantity and the crank angle, and leave the file unwritten.
#include "io/historywriter.h"
#include "io/inputerror.h"
#include "io/summarywriter.h"
#include "io/surfacefile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using namespace euler;

class TstFiniteOutput : public QObject
{
    Q_OBJECT

private slots:
    void historyLineRefused_data();
    void historyLineRefused();
    void surfaceStepRefused_data();
    void surfaceStepRefused();
    void summaryRefused();
};

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

Compressor compressor()
{
    Compressor m;
    m.pistonArea = 0.36;
    m.suction = {2e6, 300};
    m.discharge = {4.5e6, 360};
    Valve valve;
    valve.number = 1;
    m.valves.push_back(valve);
    return m;
}

HistoryInstant instant()
{
    HistoryInstant h;
    h.time = 1e-3;
    h.volume = 1e-3;
    h.pressure = 2e6;
    h.temperature = 300;
    h.density = 14;
    h.valves.resize(1);
    return h;
}

// The message of the RunError `write` throws, or "" when it throws none.
template <typename Write>
QString refusal(Write write, int *exitCode)
{
    try {
        write();
    } catch (const RunError &e) {
        *exitCode = e.exitCode();
        return QString::fromStdString(e.what());
    }
    return QString();
}

} // namespace

void TstFiniteOutput::historyLineRefused_data()
{
    QTest::addColumn<QString>("spoil");
    QTest::addColumn<QString>("message"); // empty: the line is written
    QTest::newRow("finite") << "" << "";
    QTest::newRow("pressure NaN") << "pressure" << " is not a number at crank angle ";
    QTest::newRow("mass infinite") << "mass" << " is infinite at crank angle ";
    QTest::newRow("valve lift NaN") << "lift" << "S1_";
}

void TstFiniteOutput::historyLineRefused()
{
    QFETCH(QString, spoil);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const Compressor m = compressor();
    HistoryInstant h = instant();
    if (spoil == QLatin1String("pressure"))
        h.pressure = notANumber;
    else if (spoil == QLatin1String("mass"))
        h.mass = infinity;
    else if (spoil == QLatin1String("lift"))
        h.valves[0].lift = notANumber;
    const QString file = dir.filePath(QStringLiteral("Output.txt"));
    int exitCode = 0;
    const QString reason = refusal(
        [&] {
            HistoryWriter history(file.toStdString(), m);
            history.append(0, h);
            history.close();
        },
        &exitCode);
    QCOMPARE(reason.isEmpty(), message.isEmpty());
    if (message.isEmpty())
        return;
    QCOMPARE(exitCode, int(RunError::Diverged));
    QVERIFY2(reason.contains(message), qPrintable(reason));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(!written.readAll().contains('\n' + QByteArray("0 ")));
}

void TstFiniteOutput::surfaceStepRefused_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("message");
    namespace planar = surfacefile::planar;
    QTest::newRow("density infinite") << planar::density << infinity << "head density is infinite at crank angle 7 deg";
    QTest::newRow("temperature NaN") << planar::temperature << notANumber << "head temperature is not a number at crank angle 7";
    QTest::newRow("piston speed -infinity") << planar::velocityZ << -infinity << "head velocity w is infinite";
}

void TstFiniteOutput::surfaceStepRefused()
{
    QFETCH(int, column);
    QFETCH(double, value);
    QFETCH(QString, message);
    namespace planar = surfacefile::planar;
    using formats::caselayout::Surface;
    QTemporaryDir dir;
    for (const Surface surface : formats::caselayout::surfaces)
        QVERIFY(QDir(dir.path()).mkpath(QString::fromLatin1(formats::caselayout::surfaceName(surface))));
    const auto text = [&](Surface) {
        double f[planar::count + 1] = {};
        f[column] = value;
        std::string out = surfacefile::planarPrefix(1, 1, 1, 0, 0);
        surfacefile::appendPlanarValues(out, f);
        return out;
    };
    int exitCode = 0;
    const QString reason = refusal([&] { surfacefile::writeStep(dir.path().toStdString(), 7, text); }, &exitCode);
    QCOMPARE(exitCode, int(RunError::Diverged));
    QVERIFY2(reason.contains(message), qPrintable(reason));
    for (const Surface surface : formats::caselayout::surfaces)
        QVERIFY(!QFile::exists(QString::fromStdString(surfacefile::stepFile(dir.path().toStdString(), surface, 7).string())));
}

void TstFiniteOutput::summaryRefused()
{
    CycleResult cycle;
    cycle.startDeg = 360;
    cycle.endDeg = 720;
    cycle.massFlow = notANumber;
    int exitCode = 0;
    const QString reason = refusal([&] { summaryText("Case", compressor(), cycle, {}, {{}}); }, &exitCode);
    QCOMPARE(exitCode, int(RunError::Diverged));
    QVERIFY2(reason.contains(QStringLiteral("Mass flow (kg/s) is not a number at crank angle 720 deg")), qPrintable(reason));
}

QTEST_GUILESS_MAIN(TstFiniteOutput)
#include "tst_finiteoutput.moc"
