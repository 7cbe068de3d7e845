#include "kalvex.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QPixmap>
#include <QProgressDialog>
#include <QTextStream>

#include <functional>

#include "messages.h"
#include "post/fieldmapscripts.h"
#include "post/gnuplotjob.h"
#include "post/resultfile.h"
#include "calc/currentdirguard.h"
#include "post/surfacedirs.h"

using namespace FieldMaps;

namespace {

// One map of an output step: the script that draws it and the image it names.
struct MapScript
{
    QString script;
    QString map;
};

// What a surface adds to the procedure all surfaces share.
struct SurfacePlot
{
    const Surface &surface;
    // Sees every data line of output step `step` while its grid copy is written.
    std::function<void(int step, const Fields &fields)> addLine;
    // Runs once all result files are read: prints the extents, fixes the scale.
    std::function<void()> finishReading;
    // Writes the scripts of one step into the current directory and lists the
    // maps to draw; false with the reason in *error when a script is not written.
    std::function<bool(int step, const StepFiles &files, QList<MapScript> *maps, QString *error)>
        writeScripts;
};

QList<MapScript> allMaps(const StepFiles &files)
{
    return {{densityScriptName(), files.density},
            {pressureScriptName(), files.pressure},
            {velocityScriptName(), files.velocity}};
}

// Writes `lines` to `scriptName`; on failure names the file and the reason.
bool writeScript(const QString &scriptName, const QStringList &lines, QString *error)
{
    QString reason;
    if (writeScriptFile(scriptName, lines, &reason))
        return true;
    *error = QStringLiteral("%1: %2").arg(QDir::current().absoluteFilePath(scriptName), reason);
    return false;
}

// The side wall's inputs, read once per run.
struct SideGeometry
{
    double r1;
    double r2;
    int nSuction;
    int nDischarge;
};

QString firstLine(const QString &text)
{
    return text.trimmed().section(QLatin1Char('\n'), 0, 0);
}

} // namespace

// The state of one user request: the plotting job, the progress dialog and
// the problems met on the way.
class Kalvex::FieldMapRun
{
public:
    explicit FieldMapRun(Kalvex *window);
    ~FieldMapRun();

    void plotPlanar(const Surface &surface);
    void plotSide();
    // Shows one message with every problem, if there was any.
    void report() const;

private:
    void plot(const SurfacePlot &plot);
    bool enter(const Surface &surface, const QString &directory);
    QList<bool> copyResultFiles(const SurfacePlot &plot, int steps);
    void drawMaps(const SurfacePlot &plot, int steps, const QList<bool> &hasData);
    bool writeSideColourScript(const QString &scriptName, const ColourQuantity &quantity,
                               const QString &mapName, const QString &gridCopy,
                               const SideGeometry &geometry, const ValueRange &range,
                               QString *error);
    // Runs the maps of one step; false when the run has to stop.
    bool runMaps(const QList<MapScript> &maps);
    void showProgress(const QString &label, int value, int maximum);
    // True once the user has asked to stop; the current map is finished first.
    bool stopRequested();
    void addProblem(const QString &text);

    Kalvex *m_window;
    GnuplotJob m_job;
    QProgressDialog m_progress;
    QStringList m_problems;
    bool m_programMissing = false;
    bool m_cancelled = false;
};

Kalvex::FieldMapRun::FieldMapRun(Kalvex *window)
    : m_window(window), m_job(window), m_progress(window)
{
    m_progress.setWindowTitle(Kalvex::tr("Field maps"));
    m_progress.setCancelButtonText(Kalvex::tr("Cancel"));
    m_progress.setWindowModality(Qt::ApplicationModal);
    m_progress.setMinimumDuration(2000);
    m_progress.setAutoReset(false);
    m_progress.setAutoClose(false);
    m_progress.reset();   // a fresh dialog would otherwise show itself after a while
}

Kalvex::FieldMapRun::~FieldMapRun()
{
    m_progress.hide();
}

void Kalvex::FieldMapRun::addProblem(const QString &text)
{
    qWarning().noquote() << text;
    m_problems << text;
}

void Kalvex::FieldMapRun::report() const
{
    if (m_problems.isEmpty())
        return;
    constexpr int shownProblems = 12;
    QStringList lines = m_problems.mid(0, shownProblems);
    if (m_problems.size() > shownProblems)
        lines << Kalvex::tr("... and %1 more (see the console).").arg(m_problems.size() - shownProblems);
    Messages::warning(m_window, Kalvex::tr("Field maps"),
                      Kalvex::tr("Not every field map could be drawn:") + QStringLiteral("\n\n")
                          + lines.join(QLatin1Char('\n')));
}

void Kalvex::FieldMapRun::showProgress(const QString &label, int value, int maximum)
{
    if (m_progress.maximum() != maximum)
        m_progress.setRange(0, maximum);
    m_progress.setLabelText(label);
    m_progress.setValue(value);   // once shown, the modal dialog handles events itself
    if (!m_progress.isVisible())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool Kalvex::FieldMapRun::stopRequested()
{
    if (m_progress.wasCanceled())
        m_cancelled = true;
    return m_cancelled;
}

bool Kalvex::FieldMapRun::runMaps(const QList<MapScript> &maps)
{
    for (const MapScript &map : maps) {
        // While the modal dialog is up it alone takes input (its cancel button).
        const auto flags = m_progress.isVisible() ? QEventLoop::AllEvents
                                                  : QEventLoop::ExcludeUserInputEvents;
        const JobOutcome outcome = m_job.run(map.script, GnuplotJob::defaultTimeoutMs, flags);
        if (outcome.status == JobOutcome::FailedToStart) {
            m_programMissing = true;
            addProblem(Kalvex::tr("The plotting program %1 could not be started in %2: %3. "
                                  "No further maps were drawn.")
                           .arg(GnuplotJob::program(), QDir::currentPath(), outcome.errorString));
            return false;
        }
        if (!outcome.succeeded()) {
            QString text = QStringLiteral("%1: %2 %3").arg(map.map, GnuplotJob::program(), outcome.describe());
            if (!outcome.errorOutput.trimmed().isEmpty())
                text += QStringLiteral(" (%1)").arg(firstLine(outcome.errorOutput));
            addProblem(text);
        }
        if (stopRequested())
            return false;
    }
    return true;
}

// The steps every surface goes through: enter its directory, copy each result
// file into its grid copy, then write and run the scripts of every step from
// ExecutingFiles. The current directory is back where it belongs on every path.
void Kalvex::FieldMapRun::plot(const SurfacePlot &plot)
{
    if (m_cancelled || m_programMissing)
        return;
    const Surface &surface = plot.surface;
    const QString start = QDir::currentPath();
    const CurrentDirGuard restorer(returnDirectory(start));
    SurfaceDirs dirs;
    QString missing;
    if (!locateSurfaceDirs(start, m_window->lineEdit_CA->text(), surface.subdir, &dirs, &missing)) {
        addProblem(Kalvex::tr("%1: directory not found: %2").arg(surface.title, missing));
        return;
    }
    if (!enter(surface, dirs.surface))
        return;
    qDebug() << qUtf8Printable(surface.firstDiagnostic) << QDir::currentPath();

    const int steps = m_window->stepsToPlot(QFileInfo(dirs.surface).absolutePath());
    qDebug() << "Anzahl Out-Files:" << steps;
    if (steps <= 0)
        addProblem(Kalvex::tr("%1: no output steps to plot (phiMax is \"%2\").")
                       .arg(surface.title, m_window->lineEdit_PA_16->text()));
    const QList<bool> hasData = copyResultFiles(plot, steps);
    plot.finishReading();
    if (!m_cancelled && enter(surface, dirs.executingFiles))
        drawMaps(plot, steps, hasData);
}

bool Kalvex::FieldMapRun::enter(const Surface &surface, const QString &directory)
{
    if (QDir::setCurrent(directory))
        return true;
    addProblem(Kalvex::tr("%1: cannot change into directory %2").arg(surface.title, directory));
    return false;
}

// Copies the result files of steps 1..steps in the current directory into
// their grid copies; tells which steps hold data.
QList<bool> Kalvex::FieldMapRun::copyResultFiles(const SurfacePlot &plot, int steps)
{
    const Surface &surface = plot.surface;
    QList<bool> hasData(steps + 1, false);
    for (int step = 1; step <= steps && !stopRequested(); ++step) {
        showProgress(Kalvex::tr("%1: reading step %2 of %3").arg(surface.title).arg(step).arg(steps),
                     step - 1, 2 * steps);
        const QString resultName = resultFileName(surface, step);
        const QString gridCopyName = gridCopyFileName(surface, step);
        qDebug() << "FileName:" << resultName;
        qDebug() << "FileNameNew:" << gridCopyName;
        const CopyOutcome copied = copyResultFile(
            resultName, gridCopyName, surface.layout,
            [&plot, step](const Fields &fields) { plot.addLine(step, fields); });
        if (copied.status != CopyOutcome::Copied)
            addProblem(QStringLiteral("%1: %2").arg(surface.title, copied.error));
        else if (copied.lines == 0)
            addProblem(Kalvex::tr("%1: %2 holds no data lines").arg(surface.title, resultName));
        else
            hasData[step] = true;
    }
    return hasData;
}

// Writes and runs the scripts of every step that has data, from ExecutingFiles.
void Kalvex::FieldMapRun::drawMaps(const SurfacePlot &plot, int steps, const QList<bool> &hasData)
{
    const Surface &surface = plot.surface;
    const QString caseName = m_window->lineEdit_CA->text();
    for (int step = 1; step <= steps; ++step) {
        if (!hasData[step])
            continue;
        const StepFiles files = stepFiles(caseName, surface, step);
        QList<MapScript> maps;
        QString error;
        if (!plot.writeScripts(step, files, &maps, &error)) {
            addProblem(QStringLiteral("%1: %2").arg(surface.title, error));
            return;
        }
        printJobStart({densityScriptName()});
        showProgress(Kalvex::tr("%1: step %2 of %3").arg(surface.title).arg(step).arg(steps),
                     steps + step - 1, 2 * steps);
        if (!runMaps(maps))
            return;
    }
}

void Kalvex::FieldMapRun::plotPlanar(const Surface &surface)
{
    PlanarExtents extents;
    double scale = 0;
    plot({surface,
          [&extents](int, const Fields &fields) { extents.add(fields); },
          [&extents, &scale] {
              qDebug() << "xmin=" << extents.xmin;
              qDebug() << "xmax=" << extents.xmax;
              qDebug() << "umax=" << extents.umax;
              qDebug() << "vmax=" << extents.vmax;
              scale = arrowScale(extents.umax, extents.vmax, extents.span());
          },
          [&scale](int, const StepFiles &files, QList<MapScript> *maps, QString *error) {
              *maps = allMaps(files);
              return writeScript(densityScriptName(),
                                 planarColourScript(density(), files.density, files.gridCopy), error)
                     && writeScript(pressureScriptName(),
                                    planarColourScript(pressure(), files.pressure, files.gridCopy), error)
                     && writeScript(velocityScriptName(), planarVelocityScript(files, scale), error);
          }});
}

void Kalvex::FieldMapRun::plotSide()
{
    // Valve counts are truncated toward zero like the step count.
    const SideGeometry geometry{m_window->lineEdit_PA_1->text().toDouble() * 0.5,
                                m_window->lineEdit_PA_17->text().toDouble() * 0.5,
                                ResultFile::stepCount(m_window->lineEdit_PA_18->text()),
                                ResultFile::stepCount(m_window->lineEdit_PA_28->text())};
    const bool drawsColourMaps = validValveCount(geometry.nSuction)
                                 && validValveCount(geometry.nDischarge);
    SideExtents extents;
    QMap<int, ColourRanges> ranges;
    double scale = 0;
    plot({sideSurface(),
          [&extents, &ranges](int step, const Fields &fields) {
              extents.add(fields);
              ranges[step].add(fields);
          },
          [&] {
              qDebug() << "xmin=" << 0;
              qDebug() << "xmax=" << extents.xmax;
              qDebug() << "umax=" << extents.umax;
              qDebug() << "vmax=" << extents.vmax;
              scale = arrowScale(extents.umax, extents.vmax, extents.xmax);
              qDebug() << "zmax=" << extents.zmax;
              qDebug() << "sizeRatio=" << sizeRatio(extents.zmax, extents.xmax);
              if (!drawsColourMaps)
                  addProblem(Kalvex::tr("Side: density and pressure maps need 1 to %1 suction and "
                                        "discharge valves (found %2 and %3); only velocity maps "
                                        "were drawn.")
                                 .arg(maxValvesPerKind)
                                 .arg(geometry.nSuction)
                                 .arg(geometry.nDischarge));
          },
          [&](int step, const StepFiles &files, QList<MapScript> *maps, QString *error) {
              const ColourRanges range = ranges.value(step);
              *maps = drawsColourMaps ? allMaps(files)
                                      : QList<MapScript>{{velocityScriptName(), files.velocity}};
              return writeSideColourScript(densityScriptName(), density(), files.density,
                                           files.gridCopy, geometry, range.density, error)
                     && writeSideColourScript(pressureScriptName(), pressure(), files.pressure,
                                              files.gridCopy, geometry, range.pressure, error)
                     && writeScript(velocityScriptName(), sideVelocityScript(files, scale), error);
          }});
}

bool Kalvex::FieldMapRun::writeSideColourScript(const QString &scriptName,
                                                const ColourQuantity &quantity,
                                                const QString &mapName, const QString &gridCopy,
                                                const SideGeometry &geometry,
                                                const ValueRange &range, QString *error)
{
    // The pocket outlines come from gnuplotScript, which writes into a stream.
    QString outlines;
    QTextStream out(&outlines);
    QString gridCopyName = gridCopy;
    m_window->gnuplotScript(quantity.sideField, geometry.nSuction, geometry.nDischarge, out,
                            gridCopyName);
    out.flush();
    const QStringList lines = sideColourScriptHead(quantity, mapName, geometry.r1, geometry.r2, range)
                              + outlines.split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                              + QStringList{sideColourScriptTail()};
    return writeScript(scriptName, lines, error);
}

void Kalvex::plotHPS()
{
    if (!plotCaseReady(tr("Field maps")))
        return;
    FieldMapRun run(this);
    run.plotPlanar(headSurface());
    run.plotPlanar(pistonSurface());
    run.plotSide();
    run.report();
}

void Kalvex::plotHead()
{
    if (!plotCaseReady(tr("Field maps")))
        return;
    FieldMapRun run(this);
    run.plotPlanar(headSurface());
    run.report();
}

void Kalvex::plotPiston()
{
    if (!plotCaseReady(tr("Field maps")))
        return;
    FieldMapRun run(this);
    run.plotPlanar(pistonSurface());
    run.report();
}

void Kalvex::plotSide()
{
    if (!plotCaseReady(tr("Field maps")))
        return;
    FieldMapRun run(this);
    run.plotSide();
    run.report();
}

void Kalvex::gnuplotScript(int iIndex, int _nSuctionValves, int _nDischargeValves,
                           QTextStream &_out, QString &_fileNameNew)
{
    const QLineEdit *const suctionFields[] = {lineEdit_PA_19a, lineEdit_PA_19b, lineEdit_PA_19c,
                                              lineEdit_PA_19d, lineEdit_PA_19e};
    const QLineEdit *const dischargeFields[] = {lineEdit_PA_29a, lineEdit_PA_29b, lineEdit_PA_29c,
                                                lineEdit_PA_29d, lineEdit_PA_29e};
    QList<double> suctionAngles;
    QList<double> dischargeAngles;
    for (const QLineEdit *field : suctionFields)
        suctionAngles << field->text().toDouble();
    for (const QLineEdit *field : dischargeFields)
        dischargeAngles << field->text().toDouble();
    const QStringList lines = pocketPlotLines(iIndex, _nSuctionValves, _nDischargeValves,
                                              _fileNameNew, suctionAngles, dischargeAngles);
    for (const QString &line : lines)
        _out << line << Qt::endl;
}

// The test plot: a sine curve into "test.png", shown in the window.
void Kalvex::plotResults()
{
    const QString scriptName = QStringLiteral("gp.txt");
    const QStringList script{QStringLiteral("set terminal png size 480,320"),
                             QStringLiteral("set output 'test.png'"),
                             QStringLiteral("a = 0.9"),
                             QStringLiteral("f(x) = a * sin(x)"),
                             QStringLiteral("plot f(x) title 'sin(x)' with lines")};
    QString error;
    const bool written = writeScriptFile(scriptName, script, &error);
    if (!written) {
        Messages::fileError(this, scriptName, error);
        return;
    }
    qDebug() << "Flush-State:" << written;
    printJobStart({scriptName});
    GnuplotJob job(this);
    const JobOutcome outcome = job.run(scriptName);
    if (!outcome.succeeded())
        Messages::warning(this, tr("Test plot"),
                          QStringLiteral("%1 %2").arg(GnuplotJob::program(), outcome.describe()));
    label_gpplot->setPixmap(QPixmap(QStringLiteral("test.png")));
}
