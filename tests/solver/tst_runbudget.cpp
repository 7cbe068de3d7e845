// The check before the first step: a run whose estimate exceeds the memory,
// the 10^9 time steps or the free disk space is refused with every figure,
// one within all of them goes on; unknown limits are not checked.
#include "io/inputerror.h"
#include "io/runbudget.h"
#include "io/runlog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace euler;

class TstRunBudget : public QObject
{
    Q_OBJECT

private slots:
    void refusesWhatExceedsALimit_data();
    void refusesWhatExceedsALimit();
    void freeDiskSpaceOfTheTemporaryDirectory();
};

void TstRunBudget::refusesWhatExceedsALimit_data()
{
    QTest::addColumn<double>("memory");
    QTest::addColumn<double>("steps");
    QTest::addColumn<double>("output");
    QTest::addColumn<double>("diskLimit"); // memory limit 16 GB
    QTest::addColumn<QStringList>("reasons"); // empty: the run goes on

    QTest::newRow("within every limit") << 1e9 << 1e6 << 1e8 << 1e11 << QStringList();
    QTest::newRow("at every limit") << 16e9 << 1e9 << 1e11 << 1e11 << QStringList();
    QTest::newRow("memory") << 20e9 << 1e6 << 1e8 << 1e11
                            << QStringList{"about 20 GB of memory, the machine has 16 GB"};
    QTest::newRow("time steps") << 1e9 << 1.5e15 << 1e8 << 1e11
                                << QStringList{"about 1.5e+15 time steps, more than 1e+09"};
    QTest::newRow("result files") << 1e9 << 1e6 << 4.9e10 << 2e10
                                  << QStringList{"about 49 GB of result files, the case directory's disk has 20 GB free"};
    QTest::newRow("all three") << 20e9 << 2e9 << 4.9e10 << 2e10
                               << QStringList{"memory, the machine has", "time steps, more than", "result files"};
    QTest::newRow("disk space unknown") << 1e9 << 1e6 << 4.9e10 << 0.0 << QStringList();
    QTest::newRow("no figure: not a number") << 1e9 << qQNaN() << 1e8 << 1e11 << QStringList{"about nan time steps"};
}

void TstRunBudget::refusesWhatExceedsALimit()
{
    QFETCH(double, memory);
    QFETCH(double, steps);
    QFETCH(double, output);
    QFETCH(double, diskLimit);
    QFETCH(QStringList, reasons);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString refusal;
    {
        RunLog log(false);
        QVERIFY(log.open(dir.filePath(QStringLiteral("euler.log")).toStdString()));
        RunLimits limits;
        limits.memoryBytes = 16e9;
        limits.diskBytes = diskLimit;
        try {
            checkRunCost({memory, steps, output}, limits, log, "InputCylinder.txt");
        } catch (const RunError &e) {
            QCOMPARE(e.exitCode(), int(RunError::BadInput));
            refusal = QString::fromStdString(e.what());
        }
    }
    QCOMPARE(refusal.isEmpty(), reasons.isEmpty());
    for (const QString &reason : reasons)
        QVERIFY2(refusal.contains(reason), qPrintable(refusal));
    if (!refusal.isEmpty())
        QVERIFY(refusal.startsWith(QStringLiteral("InputCylinder.txt: the run would need ")));

    QFile logFile(dir.filePath(QStringLiteral("euler.log")));
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    const QByteArray log = logFile.readAll();
    QVERIFY(log.contains("Run cost (estimate before the first step):"));
    QVERIFY(log.contains("  time steps "));
    QCOMPARE(log.contains("free disk space") && log.contains(" of unknown free disk space"), diskLimit == 0);
}

void TstRunBudget::freeDiskSpaceOfTheTemporaryDirectory()
{
    QTemporaryDir dir;
    QVERIFY(freeDiskBytes(dir.path().toStdString()) > 0);
    QCOMPARE(freeDiskBytes("/no/such/directory/anywhere"), 0.0);
}

QTEST_GUILESS_MAIN(TstRunBudget)
#include "tst_runbudget.moc"
