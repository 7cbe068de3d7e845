#include "fieldmaprun.h"

#include "resultfile.h"
#include "surfacedirs.h"

#include "plotpool.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QThread>

#include <algorithm>

namespace FieldMaps {

namespace {

QList<MapScript> allMaps(const StepFiles &files)
{
    return {{densityScriptName(), files.density},
            {pressureScriptName(), files.pressure},
            {velocityScriptName(), files.velocity}};
}

QString firstLine(const QString &text)
{
    return text.trimmed().section(QLatin1Char('\n'), 0, 0);
}

QList<double> angles(const FieldTexts &texts, ValveSide side)
{
    QList<double> list;
    for (int k = 1; k <= maxValvesPerKind; ++k)
        list << texts.value(pocketAngle(side, k)).toDouble();
    return list;
}

} // namespace

QList<Parameter> RunInputs::parameters()
{
    QList<Parameter> keys{Parameter::CaseName, Parameter::EndAngle, Parameter::PistonDiameter,
                          Parameter::ValveDiameter, Parameter::SuctionValveCount, Parameter::DischargeValveCount};
    for (int k = 1; k <= maxValvesPerKind; ++k)
        keys << pocketAngle(ValveSide::Suction, k) << pocketAngle(ValveSide::Discharge, k);
    return keys;
}

RunInputs RunInputs::fromTexts(const FieldTexts &texts)
{
    RunInputs inputs;
    inputs.caseName = texts.value(Parameter::CaseName);
    inputs.endAngle = texts.value(Parameter::EndAngle);
    inputs.steps = ResultFile::stepCount(inputs.endAngle);
    inputs.pistonDiameter = texts.value(Parameter::PistonDiameter).toDouble();
    inputs.valveDiameter = texts.value(Parameter::ValveDiameter).toDouble();
    // Valve counts are truncated toward zero like the step count.
    inputs.suctionValves = ResultFile::stepCount(texts.value(Parameter::SuctionValveCount));
    inputs.dischargeValves = ResultFile::stepCount(texts.value(Parameter::DischargeValveCount));
    inputs.suctionAngles = angles(texts, ValveSide::Suction);
    inputs.dischargeAngles = angles(texts, ValveSide::Discharge);
    return inputs;
}

// What a surface adds to the procedure all surfaces share.
struct FieldMapRun::SurfacePlot
{
    const Surface &surface;
    // Sees every data line of output step `step` while its grid copy is written.
    std::function<void(int step, const Fields &fields)> addLine;
    // Runs once all result files are read: prints the extents, fixes the scale.
    std::function<void()> finishReading;
    // The scripts of one step and the maps they draw.
    std::function<QList<QStringList>(int step, const StepFiles &files)> scripts;
    std::function<QList<MapScript>(const StepFiles &files)> maps;
};

FieldMapRun::FieldMapRun(const RunInputs &inputs, QObject *processParent, const RunCallbacks &callbacks)
    : m_inputs(inputs)
    , m_processParent(processParent)
    , m_callbacks(callbacks)
    , m_jobs(qMax(1, QThread::idealThreadCount()))
{
}

void FieldMapRun::setJobs(int jobs)
{
    m_jobs = qMax(1, jobs);
}

void FieldMapRun::run(const QString &startDir, const QList<const Surface *> &surfaces)
{
    const int steps = qMax(0, m_inputs.steps);
    m_stepsInAll = int(surfaces.size()) * steps;
    m_stepsDone = 0;
    for (const Surface *surface : surfaces) {
        if (m_cancelled || m_programMissing)
            return;
        const int surfaceStart = m_stepsDone;
        if (surface->id == formats::caselayout::Surface::Side)
            plotSide(startDir);
        else
            plotPlanar(startDir, *surface);
        // Steps a surface could not draw count as done: the bar ends full.
        m_stepsDone = surfaceStart + steps;
    }
}

void FieldMapRun::reportProgress(const QString &activity) const
{
    if (m_callbacks.progress)
        m_callbacks.progress(activity + QLatin1Char('\n')
                                 + tr("%1 of %2 steps done").arg(m_stepsDone).arg(m_stepsInAll),
                             m_stepsDone, m_stepsInAll);
}

void FieldMapRun::addProblem(const QString &text)
{
    qWarning().noquote() << text;
    if (m_callbacks.problem)
        m_callbacks.problem(text);
}

bool FieldMapRun::stopRequested()
{
    if (m_callbacks.cancelRequested && m_callbacks.cancelRequested())
        m_cancelled = true;
    return m_cancelled;
}

// The steps every surface goes through: find its directory, copy each result
// file into its grid copy, then write and run the scripts of every step in
// ExecutingFiles.
void FieldMapRun::plot(const QString &startDir, const SurfacePlot &plot)
{
    const Surface &surface = plot.surface;
    SurfaceDirs dirs;
    QString error;
    if (!locateSurfaceDirs(startDir, m_inputs.caseName, surface.subdir, &dirs, &error)) {
        addProblem(QStringLiteral("%1: %2").arg(surface.title, error));
        return;
    }
    qDebug() << qUtf8Printable(surface.firstDiagnostic) << QFileInfo(dirs.surface).canonicalFilePath();

    const int steps = m_inputs.steps;
    qDebug() << "Anzahl Out-Files:" << steps;
    if (steps <= 0)
        addProblem(tr("%1: no output steps to plot (phiMax is \"%2\").").arg(surface.title, m_inputs.endAngle));
    const QList<bool> hasData = copyResultFiles(plot, dirs.surface, steps);
    plot.finishReading();
    if (!m_cancelled)
        drawMaps(plot, dirs.executingFiles, steps, hasData);
}

// Copies the result files of steps 1..steps into their grid copies; tells
// which steps hold data.
QList<bool> FieldMapRun::copyResultFiles(const SurfacePlot &plot, const QString &directory, int steps)
{
    const Surface &surface = plot.surface;
    const QDir dir(directory);
    QList<bool> hasData(qMax(0, steps) + 1, false);
    for (int step = 1; step <= steps && !stopRequested(); ++step) {
        reportProgress(tr("%1: reading step %2 of %3").arg(surface.title).arg(step).arg(steps));
        const QString resultName = resultFileName(surface, step);
        const QString gridCopyName = gridCopyFileName(surface, step);
        qDebug() << "FileName:" << resultName;
        qDebug() << "FileNameNew:" << gridCopyName;
        int lines = 0;
        QString error;
        if (!copyResultFile(dir.filePath(resultName), dir.filePath(gridCopyName), surface.layout, &lines, &error,
                            [&plot, step](const Fields &fields) { plot.addLine(step, fields); }))
            addProblem(QStringLiteral("%1: %2").arg(surface.title, error));
        else if (lines == 0)
            addProblem(tr("%1: %2 holds no data lines").arg(surface.title, resultName));
        else
            hasData[step] = true;
    }
    return hasData;
}

bool FieldMapRun::writeScript(const QString &directory, const QString &scriptName, const QStringList &lines,
                              QString *error) const
{
    const QString fileName = QDir(directory).absoluteFilePath(scriptName);
    QString reason;
    if (writeScriptFile(fileName, lines, &reason))
        return true;
    *error = QStringLiteral("%1: %2").arg(fileName, reason);
    return false;
}

// The script names of job `slot`: the first job writes the usual names, the
// others their own ("gp_d_1.txt"), so that jobs side by side never share one.
QString FieldMapRun::jobScriptName(const QString &scriptName, int slot)
{
    if (slot == 0)
        return scriptName;
    return QFileInfo(scriptName).completeBaseName() + QStringLiteral("_%1.txt").arg(slot);
}

// Writes and runs the scripts of every step that has data, in ExecutingFiles,
// the steps in order and as many at once as there are jobs. Each step is one
// job: its maps one after the other, each one run of the plotting program.
// Problems are reported in the order of the steps, as one job after the
// other would meet them, and the usual script names end with the scripts of
// the last step started.
void FieldMapRun::drawMaps(const SurfacePlot &plot, const QString &executingFiles, int steps,
                           const QList<bool> &hasData)
{
    const Surface &surface = plot.surface;
    const int stepsWithData = int(std::count(hasData.cbegin(), hasData.cend(), true));
    if (stepsWithData == 0) {
        m_stepsDone += steps;
        return;
    }
    const int jobs = qMin(m_jobs, stepsWithData);
    int step = 0;
    bool stopStarting = false;
    QMap<int, QStringList> problems; // by step
    QHash<int, QList<MapScript>> maps;
    QList<QStringList> lastScripts;
    int lastSlot = 0;

    PlotPool::Callbacks callbacks;
    callbacks.next = [&](int slot, PlotPool::Queue *queue) {
        if (m_programMissing || stopRequested())
            return false;
        while (!stopStarting && ++step <= steps) {
            if (!hasData[step]) {
                ++m_stepsDone;
                continue;
            }
            const StepFiles files = stepFiles(m_inputs.caseName, surface, step);
            const QList<QStringList> scripts = plot.scripts(step, files);
            const QStringList names = scriptNames();
            QString error;
            for (int i = 0; i < names.size(); ++i) {
                if (!writeScript(executingFiles, jobScriptName(names.at(i), slot), scripts.at(i), &error)) {
                    problems[step] << QStringLiteral("%1: %2").arg(surface.title, error);
                    stopStarting = true;
                    return false;
                }
            }
            printJobStart({densityScriptName()});
            reportProgress(tr("%1: step %2 of %3").arg(surface.title).arg(step).arg(steps));
            lastScripts = scripts;
            lastSlot = slot;
            maps[step] = plot.maps(files);
            queue->tag = step;
            for (const MapScript &map : std::as_const(maps[step]))
                queue->scripts << jobScriptName(map.script, slot);
            return true;
        }
        return false;
    };
    callbacks.ran = [&](int tag, int index, const JobOutcome &outcome) {
        if (const QString text = mapProblem(maps.value(tag).at(index), executingFiles, outcome); !text.isEmpty())
            problems[tag] << text;
    };
    callbacks.finished = [this](int) { ++m_stepsDone; };
    callbacks.keepGoing = [this] { return !m_programMissing && !stopRequested(); };
    callbacks.acceptsInput = m_callbacks.acceptsInputWhileDrawing;
    PlotPool(m_processParent, executingFiles, jobs, m_mapTimeoutMs).run(callbacks);

    for (const QStringList &stepProblems : std::as_const(problems)) {
        for (const QString &text : stepProblems)
            addProblem(text);
    }
    finishScripts(executingFiles, jobs, lastSlot, lastScripts);
}

// What went wrong with one map, or nothing. A plotting program that cannot be
// started stops the whole run, and is told once.
QString FieldMapRun::mapProblem(const MapScript &map, const QString &executingFiles, const JobOutcome &outcome)
{
    if (outcome.status == JobOutcome::FailedToStart) {
        if (m_programMissing)
            return {};
        m_programMissing = true;
        return tr("The plotting program %1 could not be started in %2: %3. No further maps were drawn.")
            .arg(GnuplotJob::program(), executingFiles, outcome.errorString);
    }
    if (outcome.succeeded())
        return {};
    QString text = QStringLiteral("%1: %2 %3").arg(map.map, GnuplotJob::program(), outcome.describe());
    if (!outcome.errorOutput.trimmed().isEmpty())
        text += QStringLiteral(" (%1)").arg(firstLine(outcome.errorOutput));
    return text;
}

// The usual script names hold the last step's scripts, as after one job;
// the other jobs' scripts go.
void FieldMapRun::finishScripts(const QString &executingFiles, int jobs, int lastSlot,
                                const QList<QStringList> &lastScripts)
{
    const QStringList names = scriptNames();
    const QDir dir(executingFiles);
    for (int slot = 1; slot < jobs; ++slot) {
        for (const QString &name : names)
            QFile::remove(dir.filePath(jobScriptName(name, slot)));
    }
    if (lastSlot == 0 || lastScripts.isEmpty())
        return;
    QString error;
    for (int i = 0; i < names.size(); ++i) {
        if (!writeScript(executingFiles, names.at(i), lastScripts.at(i), &error)) {
            addProblem(error);
            return;
        }
    }
}

void FieldMapRun::plotPlanar(const QString &startDir, const Surface &surface)
{
    PlanarExtents extents;
    double scale = 0;
    plot(startDir,
         {surface, [&extents](int, const Fields &fields) { extents.add(fields); },
          [&extents, &scale] {
              qDebug() << "xmin=" << extents.xmin;
              qDebug() << "xmax=" << extents.xmax;
              qDebug() << "umax=" << extents.umax;
              qDebug() << "vmax=" << extents.vmax;
              scale = arrowScale(extents.umax, extents.vmax, extents.span());
          },
          [&scale](int, const StepFiles &files) {
              return QList<QStringList>{planarColourScript(density(), files.density, files.gridCopy),
                                        planarColourScript(pressure(), files.pressure, files.gridCopy),
                                        planarVelocityScript(files, scale)};
          },
          allMaps});
}

void FieldMapRun::plotSide(const QString &startDir)
{
    const PocketLayout pockets{m_inputs.pistonDiameter * 0.5, m_inputs.valveDiameter * 0.5,
                               m_inputs.suctionValves,        m_inputs.dischargeValves,
                               m_inputs.suctionAngles,        m_inputs.dischargeAngles};
    const bool drawsColourMaps = validValveCount(pockets.suctionValves) && validValveCount(pockets.dischargeValves);
    SideExtents extents;
    QMap<int, ColourRanges> ranges;
    double scale = 0;
    plot(startDir,
         {sideSurface(),
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
                  addProblem(tr("Side: density and pressure maps need 1 to %1 suction and discharge valves "
                                "(found %2 and %3); only velocity maps were drawn.")
                                 .arg(maxValvesPerKind)
                                 .arg(pockets.suctionValves)
                                 .arg(pockets.dischargeValves));
          },
          [&](int step, const StepFiles &files) {
              const ColourRanges range = ranges.value(step);
              return QList<QStringList>{
                  sideColourScript(density(), files.density, files.gridCopy, pockets, range.density),
                  sideColourScript(pressure(), files.pressure, files.gridCopy, pockets, range.pressure),
                  sideVelocityScript(files, scale)};
          },
          [drawsColourMaps](const StepFiles &files) {
              return drawsColourMaps ? allMaps(files) : QList<MapScript>{{velocityScriptName(), files.velocity}};
          }});
}

} // namespace FieldMaps
