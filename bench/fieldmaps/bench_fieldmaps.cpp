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

// ./wgnuplot.exe that adds the time gnuplot itself took to a log.
bool installTimedPlotter(const QString &executingFiles, const QString &log)
{
    QFile plotter(executingFiles + QStringLiteral("/wgnuplot.exe"));
    if (!plotter.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream(&plotter) << "#!/bin/sh\n"
                          << "start=$(date +%s%N)\n"
                          << "gnuplot \"$@\"\n"
                          << "rc=$?\n"
                          << "echo $(( $(date +%s%N) - start )) >> '" << log << "'\n"
                          << "exit $rc\n";
    plotter.close();
    return plotter.setPermissions(plotter.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

double loggedSeconds(const QString &log, int *runs)
{
    QFile file(log);
    double nanoseconds = 0;
    *runs = 0;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!file.atEnd()) {
            nanoseconds += file.readLine().trimmed().toDouble();
            ++*runs;
        }
    }
    return nanoseconds * 1e-9;
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
        for (int step = 1; step <= steps; ++step)
            copyResultFile(dir.filePath(resultFileName(*surface, step)),
                           dir.filePath(gridCopyFileName(*surface, step)), surface->layout,
                           [&extents](const QStringList &fields) { extents.add(fields); });
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

    const QtMessageHandler previous = qInstallMessageHandler(quietMessages);
    QElapsedTimer timer;
    timer.start();
    window.plotHPS();
    const double total = timer.nsecsElapsed() * 1e-9;
    qInstallMessageHandler(previous);

    int runs = 0;
    const double inGnuplot = loggedSeconds(log, &runs);
    const double own = ownWorkSeconds(root, steps);
    const double overhead = total - inGnuplot;
    std::printf("plotHPS total:               %9.2f s (%d gnuplot runs)\n", total, runs);
    std::printf("inside gnuplot:              %9.2f s (%.1f ms per map)\n", inGnuplot,
                runs ? 1e3 * inGnuplot / runs : 0.0);
    std::printf("own overhead (total - gnuplot): %6.2f s = %.2f %% of total\n", overhead,
                100 * overhead / total);
    std::printf("  parsing, copies, scripts:  %9.2f s = %.2f %% of total\n", own, 100 * own / total);
    std::printf("  process starts and waits:  %9.2f s = %.2f %% of total\n", overhead - own,
                100 * (overhead - own) / total);
    std::printf("target: own overhead < 5 %%: %s\n", overhead < 0.05 * total ? "met" : "NOT met");
    return 0;
}
