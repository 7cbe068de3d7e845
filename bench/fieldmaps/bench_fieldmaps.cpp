// Draws the field maps of a solver case of many output steps with the real
// gnuplot and prints where the time goes: inside gnuplot, and our own work
// (reading result files, grid copies, scripts, starting the program).
//
// Usage: bench_fieldmaps [steps = 360] [workspace directory to keep]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

#include "kalvex.h"
#include "post/fieldmapscripts.h"
#include "post/gnuplotjob.h"
#include "syntheticcase.h"

namespace {

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

double loggedSeconds(const QString &log, int *runs)
{
    QFile file(log);
    double microseconds = 0;
    *runs = 0;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!file.atEnd()) {
            microseconds += file.readLine().trimmed().toDouble();
            ++*runs;
        }
    }
    return microseconds * 1e-6;
}

// Mean time of one GnuplotJob run of a plotter that does nothing: a bash
// script like the timing wrapper, or a program started directly.
double emptyRunSeconds(const QString &directory, bool throughBash)
{
    const QString previous = QDir::currentPath();
    QDir(directory).removeRecursively();
    QDir().mkpath(directory);
    QDir::setCurrent(directory);
    if (throughBash)
        installPlotter(directory, "#!/bin/bash\nexit 0\n");
    else
        QFile::link(QStringLiteral("/bin/true"), directory + QStringLiteral("/wgnuplot.exe"));
    QObject parent;
    GnuplotJob job(&parent);
    constexpr int runs = 30;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i)
        job.run(QStringLiteral("none.txt"));
    const double seconds = timer.nsecsElapsed() * 1e-9 / runs;
    QDir::setCurrent(previous);
    return seconds;
}

// Our own share without any plotting: what the slots do besides waiting for
// gnuplot, measured on the same files.
double ownWorkSeconds(const QString &root, int steps)
{
    using namespace FieldMaps;
    QElapsedTimer timer;
    timer.start();
    for (const Surface *surface : {&headSurface(), &pistonSurface(), &sideSurface()}) {
        const QDir dir(root + QLatin1Char('/') + caseName + QLatin1Char('/') + surface->subdir);
        PlanarExtents extents;
        int lines = 0;
        QString error;
        for (int step = 1; step <= steps; ++step)
            copyResultFile(dir.filePath(resultFileName(*surface, step)),
                           dir.filePath(gridCopyFileName(*surface, step)), surface->layout, &lines, &error,
                           [&extents](const Fields &fields) { extents.add(fields); });
        const double scale = arrowScale(extents.umax, extents.vmax, extents.span());
        for (int step = 1; step <= steps; ++step) {
            const StepFiles files = stepFiles(caseName, *surface, step);
            const QString scripts = root + QStringLiteral("/ExecutingFiles/");
            writeScriptFile(scripts + densityScriptName(),
                            planarColourScript(density(), files.density, files.gridCopy), nullptr);
            writeScriptFile(scripts + pressureScriptName(),
                            planarColourScript(pressure(), files.pressure, files.gridCopy), nullptr);
            writeScriptFile(scripts + velocityScriptName(), planarVelocityScript(files, scale), nullptr);
        }
    }
    return timer.nsecsElapsed() * 1e-9;
}

void setField(Kalvex &window, const char *name, const QString &text)
{
    if (auto *field = window.findChild<QLineEdit *>(QString::fromLatin1(name)))
        field->setText(text);
}

void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

void fillForm(Kalvex &window, int steps)
{
    setField(window, "lineEdit_CA", caseName);
    setField(window, "lineEdit_PA_16", QString::number(steps));
    setField(window, "lineEdit_PA_1", QString::number(SyntheticCase::pistonDiameter));
    setField(window, "lineEdit_PA_17", QString::number(SyntheticCase::valveDiameter));
    setField(window, "lineEdit_PA_18", QStringLiteral("2"));
    setField(window, "lineEdit_PA_28", QStringLiteral("2"));
    setField(window, "lineEdit_PA_19a", QStringLiteral("45"));
    setField(window, "lineEdit_PA_19b", QStringLiteral("135"));
    setField(window, "lineEdit_PA_29a", QStringLiteral("225"));
    setField(window, "lineEdit_PA_29b", QStringLiteral("315"));
}

void printShare(const char *what, double seconds, double total)
{
    std::printf("%-34s %8.2f s  %6.2f %%\n", what, seconds, 100 * seconds / total);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int steps = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 360;
    QTemporaryDir temporary;
    const QString root = argc > 2 ? QDir(QString::fromLocal8Bit(argv[2])).absolutePath() : temporary.path();
    const QString executingFiles = root + QStringLiteral("/ExecutingFiles");
    const QString log = root + QStringLiteral("/gnuplot-times.log");
    QString error;
    if (steps <= 0 || !QDir().mkpath(executingFiles) || !installTimedPlotter(executingFiles, log)
        || !SyntheticCase::write(root + QLatin1Char('/') + caseName, steps, planarGrid, sideGrid, &error)) {
        std::fprintf(stderr, "cannot prepare the workspace in %s %s\n", qPrintable(root), qPrintable(error));
        return 1;
    }
    QFile::remove(log);
    std::printf("%d output steps, head/piston %dx%d points, side %dx%d points, in %s\n", steps,
                planarGrid.rows, planarGrid.columns, sideGrid.rows, sideGrid.columns + 1,
                qPrintable(root));

    QDir::setCurrent(executingFiles);
    Kalvex window;
    fillForm(window, steps);
    const QtMessageHandler previous = qInstallMessageHandler(quietMessages);
    QElapsedTimer timer;
    timer.start();
    window.plotHPS();
    const double total = timer.nsecsElapsed() * 1e-9;
    qInstallMessageHandler(previous);

    int runs = 0;
    const double inGnuplot = loggedSeconds(log, &runs);
    const double own = total - inGnuplot;
    const QString empty = root + QStringLiteral("/empty");
    const double wrapper = runs * (emptyRunSeconds(empty, true) - emptyRunSeconds(empty, false));
    const double reading = ownWorkSeconds(root, steps);
    std::printf("%d gnuplot runs, %.1f ms each inside gnuplot\n", runs, runs ? 1e3 * inGnuplot / runs : 0.0);
    printShare("plotHPS total", total, total);
    printShare("inside gnuplot", inGnuplot, total);
    printShare("own overhead (total - gnuplot)", own, total);
    printShare("  parsing, copies, scripts", reading, total);
    printShare("  process starts and waits", own - reading, total);
    printShare("    of which the timing wrapper's bash", wrapper, total);
    printShare("own overhead without the wrapper", own - wrapper, total);
    std::printf("target: own overhead < 5 %% of total: %s (%s with the wrapper's start-up)\n",
                own - wrapper < 0.05 * total ? "met" : "NOT met", own < 0.05 * total ? "met" : "not met");
    return 0;
}
