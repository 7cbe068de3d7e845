// Draws the field maps of a solver case of many output steps with the real
// gnuplot, once with one job and once with one job per core, and prints the
// speed-up and where the time goes: inside gnuplot, and our own work
// (reading result files, grid copies, scripts, starting the program).
//
// Usage: bench_fieldmaps [steps = 360] [rounds = 1] [workspace directory to keep]
// Each round draws the case with one job, then with all; the figures are the
// best round's, the spread shows how noisy the machine was.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

#include "post/fieldmaprun.h"
#include "post/gnuplotjob.h"
#include "syntheticcase.h"

namespace {

using namespace FieldMaps;

const QString caseName = QStringLiteral("BenchCase");
// Rings x sectors of head and piston, levels x sectors of the side wall.
constexpr SyntheticCase::Grid planarGrid{40, 72};
constexpr SyntheticCase::Grid sideGrid{60, 72};

bool installPlotter(const QString &directory, const QByteArray &script)
{
    QFile plotter(directory + QStringLiteral("/wgnuplot.exe"));
    if (!plotter.open(QIODevice::WriteOnly | QIODevice::Truncate) || plotter.write(script) != script.size())
        return false;
    plotter.close();
    return plotter.setPermissions(plotter.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

// ./wgnuplot.exe that adds the time gnuplot itself took to a log, in
// microseconds. The clock is bash's own, so timing starts no further process.
bool installTimedPlotter(const QString &executingFiles, const QString &log)
{
    return installPlotter(executingFiles, "#!/bin/bash\n"
                                          "start=${EPOCHREALTIME/[.,]/}\n"
                                          "gnuplot \"$@\"\n"
                                          "rc=$?\n"
                                          "echo $(( ${EPOCHREALTIME/[.,]/} - start )) >> '"
                                              + log.toLocal8Bit() + "'\nexit $rc\n");
}

// Seconds inside gnuplot logged since the last call, and the runs they took.
double takeLoggedSeconds(const QString &log, int *runs)
{
    QFile file(log);
    double microseconds = 0;
    *runs = 0;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!file.atEnd()) {
            microseconds += file.readLine().trimmed().toDouble();
            ++*runs;
        }
        file.remove();
    }
    return microseconds * 1e-6;
}

// Mean time of one run of a plotter that does nothing: a bash script like the
// timing wrapper, or a program started directly.
double emptyRunSeconds(const QString &directory, bool throughBash)
{
    QDir(directory).removeRecursively();
    QDir().mkpath(directory);
    if (throughBash)
        installPlotter(directory, "#!/bin/bash\nexit 0\n");
    else
        QFile::link(QStringLiteral("/bin/true"), directory + QStringLiteral("/wgnuplot.exe"));
    QObject parent;
    GnuplotJob job(&parent, directory);
    constexpr int runs = 30;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i)
        job.run(QStringLiteral("none.txt"));
    return timer.nsecsElapsed() * 1e-9 / runs;
}

RunInputs benchInputs(int steps)
{
    RunInputs in;
    in.caseName = caseName;
    in.endAngle = QString::number(steps);
    in.steps = steps;
    in.pistonDiameter = SyntheticCase::pistonDiameter;
    in.valveDiameter = SyntheticCase::valveDiameter;
    in.suctionValves = 2;
    in.dischargeValves = 2;
    in.suctionAngles = {45, 135, 0, 0, 0};
    in.dischargeAngles = {225, 315, 0, 0, 0};
    return in;
}

struct Timing
{
    double wall = 0;      // the whole run
    double inGnuplot = 0; // summed over every run of gnuplot
    int runs = 0;
    int problems = 0;
};

Timing drawAll(const QString &executingFiles, const QString &log, int steps, int jobs)
{
    Timing timing;
    RunCallbacks callbacks;
    callbacks.problem = [&timing](const QString &) { ++timing.problems; };
    QObject parent;
    FieldMapRun run(benchInputs(steps), &parent, callbacks);
    run.setJobs(jobs);
    QElapsedTimer timer;
    timer.start();
    run.run(executingFiles, {&headSurface(), &pistonSurface(), &sideSurface()});
    timing.wall = timer.nsecsElapsed() * 1e-9;
    timing.inGnuplot = takeLoggedSeconds(log, &timing.runs);
    return timing;
}

void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type != QtDebugMsg && type != QtWarningMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0).toDouble() : -1;
}

// Our own share of a run: its wall time beyond what gnuplot needed, with the
// runs spread evenly over the jobs, and less the timing wrapper's own start.
void printRun(const char *what, const Timing &t, int jobs, double wrapperPerRun)
{
    const double gnuplotWall = t.inGnuplot / jobs;
    const double own = t.wall - gnuplotWall - t.runs * wrapperPerRun / jobs;
    std::printf("%-22s %2d job(s) %8.2f s wall, %8.2f s in gnuplot (%d runs, %.1f ms each), "
                "own overhead %6.2f s = %5.2f %% of gnuplot's share%s\n",
                what, jobs, t.wall, t.inGnuplot, t.runs, t.runs ? 1e3 * t.inGnuplot / t.runs : 0.0, own,
                100 * own / gnuplotWall, t.problems ? " (problems reported!)" : "");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int steps = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 360;
    const int rounds = qMax(1, argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1);
    QTemporaryDir temporary;
    const QString root = argc > 3 ? QDir(QString::fromLocal8Bit(argv[3])).absolutePath() : temporary.path();
    const QString executingFiles = root + QStringLiteral("/ExecutingFiles");
    const QString log = root + QStringLiteral("/gnuplot-times.log");
    QString error;
    if (steps <= 0 || !QDir().mkpath(executingFiles) || !installTimedPlotter(executingFiles, log)
        || !SyntheticCase::write(root + QLatin1Char('/') + caseName, steps, planarGrid, sideGrid, &error)) {
        std::fprintf(stderr, "cannot prepare the workspace in %s %s\n", qPrintable(root), qPrintable(error));
        return 1;
    }
    const int jobs = qMax(1, QThread::idealThreadCount());
    std::printf("%d output steps, head/piston %dx%d points, side %dx%d points, %d cores, in %s\n", steps,
                planarGrid.rows, planarGrid.columns, sideGrid.rows, sideGrid.columns + 1, jobs, qPrintable(root));
    const QString empty = root + QStringLiteral("/empty");
    const double wrapperPerRun = emptyRunSeconds(empty, true) - emptyRunSeconds(empty, false);
    std::printf("load average before: %.2f; the timing wrapper's bash costs %.2f ms a run\n", loadAverage(),
                1e3 * wrapperPerRun);

    const QtMessageHandler previous = qInstallMessageHandler(quietMessages);
    QList<Timing> sequential, parallel;
    QList<double> speedUps;
    for (int round = 0; round < rounds; ++round) {
        sequential << drawAll(executingFiles, log, steps, 1);
        parallel << drawAll(executingFiles, log, steps, jobs);
        speedUps << sequential.last().wall / parallel.last().wall;
    }
    qInstallMessageHandler(previous);

    auto byWall = [](const Timing &a, const Timing &b) { return a.wall < b.wall; };
    const Timing bestSequential = *std::min_element(sequential.cbegin(), sequential.cend(), byWall);
    const Timing bestParallel = *std::min_element(parallel.cbegin(), parallel.cend(), byWall);
    printRun("one job after another", bestSequential, 1, wrapperPerRun);
    printRun("jobs side by side", bestParallel, jobs, wrapperPerRun);
    const double speedUp = bestSequential.wall / bestParallel.wall;
    std::sort(speedUps.begin(), speedUps.end());
    std::printf("speed-up %.2f of the best runs; round by round median %.2f, %.2f to %.2f; load average after: "
                "%.2f\n",
                speedUp, speedUps.at(speedUps.size() / 2), speedUps.first(), speedUps.last(), loadAverage());
    // On an idle machine a map takes as long beside another as alone; more
    // means other work took the cores, and the speed-up says less.
    const double alone = bestSequential.inGnuplot / qMax(1, bestSequential.runs);
    const double beside = bestParallel.inGnuplot / qMax(1, bestParallel.runs);
    std::printf("a map inside gnuplot: %.1f ms alone, %.1f ms beside the others (%.2f times)\n", 1e3 * alone,
                1e3 * beside, beside / alone);
    const double ownParallel = bestParallel.wall - bestParallel.inGnuplot / jobs
                               - bestParallel.runs * wrapperPerRun / jobs;
    std::printf("target: speed-up >= 1.7 on 2 cores: %s; own overhead < 5 %% of the time in gnuplot: %s\n",
                speedUp >= 1.7 ? "met" : "NOT met",
                ownParallel < 0.05 * bestParallel.inGnuplot / jobs ? "met" : "NOT met");
    return 0;
}
