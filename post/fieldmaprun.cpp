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

// What a surface adds to the procedure all surfaces share. The functions
// share the surface's extents and colour ranges among themselves.
struct FieldMapRun::SurfacePlot
{
    const Surface *surface;
    // Sees every data line of output step `step` while its grid copy is written.
    std::function<void(int step, const Fields &fields)> addLine;
    // Runs once all result files are read: prints the extents, fixes the scale.
    std::function<void()> finishReading;
    // The scripts of one step and the maps they draw.
    std::function<QList<QStringList>(int step, const StepFiles &files)> scripts;
    std::function<QList<MapScript>(const StepFiles &files)> maps;
};

// A surface on its way through the run, with the problems it met: those of
// finding and reading it, then those of its steps' maps, by step.
struct FieldMapRun::SurfaceState
{
    SurfacePlot plot;
    QList<bool> hasData; // by step; empty until read
    int nextStep = 1;    // the next step to hand out
    bool open = false;   // read, and its steps may be started
    QStringList readingProblems;
    QMap<int, QStringList> mapProblems;
};

// One step started: its surface and the maps its job draws.
struct FieldMapRun::Job
{
    SurfaceState *surface;
    int step;
    int slot;
    QList<MapScript> maps;
    QList<QStringList> scripts;
};

FieldMapRun::FieldMapRun(const RunInputs &inputs, QObject *processParent, const RunCallbacks &callbacks)
    : m_inputs(inputs)
    , m_processParent(processParent)
    , m_callbacks(callbacks)
    , m_jobs(qMax(1, QThread::idealThreadCount()))
{
}

FieldMapRun::~FieldMapRun() = default;

void FieldMapRun::setJobs(int jobs)
{
    m_jobs = qMax(1, jobs);
}

void FieldMapRun::run(const QString &startDir, const QList<const Surface *> &surfaces)
{
    m_startDir = startDir;
    m_executingFiles = QDir::cleanPath(startDir + QStringLiteral("/../")
                                       + QLatin1String(formats::caselayout::executingDirectory));
    m_stepsInAll = int(surfaces.size()) * qMax(0, m_inputs.steps);
    m_stepsDone = 0;
    m_surfaces.clear();
    m_started.clear();
    m_current = -1;
    m_runningSteps = 0;
    m_programStarts = false;
    for (const Surface *surface : surfaces) {
        auto state = std::make_shared<SurfaceState>();
        state->plot = surface->id == formats::caselayout::Surface::Side ? sidePlot() : planarPlot(*surface);
        m_surfaces << state;
    }

    PlotPool::Callbacks callbacks;
    callbacks.next = [this](int slot, PlotPool::Queue *queue) { return nextJob(slot, queue); };
    callbacks.ran = [this](int job, int index, const JobOutcome &outcome) { mapRan(job, index, outcome); };
    callbacks.finished = [this](int) {
        ++m_stepsDone;
        --m_runningSteps;
    };
    callbacks.keepGoing = [this] { return !m_programMissing && !stopRequested(); };
    callbacks.acceptsInput = m_callbacks.acceptsInputWhileDrawing;
    PlotPool(m_processParent, m_executingFiles, m_jobs, m_mapTimeoutMs).run(callbacks);

    reportProblems();
    finishScripts(m_jobs);
}

void FieldMapRun::reportProgress(const QString &activity) const
{
    if (m_callbacks.progress)
        m_callbacks.progress(activity + QLatin1Char('\n')
                                 + tr("%1 of %2 steps done").arg(m_stepsDone).arg(m_stepsInAll),
                             m_stepsDone, m_stepsInAll);
}

// While a surface is read its problems are kept with it; reportProblems()
// tells them all in order.
void FieldMapRun::addProblem(const QString &text)
{
    if (m_problems) {
        *m_problems << text;
        return;
    }
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

// Hands the next step with data to a free job: of the surface being drawn, or
// of the next one, which is found and read first.
bool FieldMapRun::nextJob(int slot, PlotPool::Queue *queue)
{
    const int steps = qMax(0, m_inputs.steps);
    while (m_current < m_surfaces.size() && !m_programMissing && !stopRequested()) {
        if (m_current >= 0) {
            SurfaceState &state = *m_surfaces.at(m_current);
            while (state.open && state.nextStep <= steps) {
                const int step = state.nextStep++;
                if (state.hasData.at(step))
                    return startStep(state, step, slot, queue);
                ++m_stepsDone;
            }
            // The next surface is read while this one's last steps are drawn,
            // but only once the plotting program is known to start: without
            // it no further surface would be read.
            if (m_runningSteps > 0 && !m_programStarts)
                return false;
            // The steps it will not start count as done: the bar ends full.
            m_stepsDone += steps + 1 - state.nextStep;
            state.nextStep = steps + 1;
        }
        if (++m_current < m_surfaces.size())
            prepare(*m_surfaces.at(m_current));
    }
    return false;
}

// Writes the step's scripts under the job's names and hands out its maps.
bool FieldMapRun::startStep(SurfaceState &state, int step, int slot, PlotPool::Queue *queue)
{
    const SurfacePlot &plot = state.plot;
    const StepFiles files = stepFiles(m_inputs.caseName, *plot.surface, step);
    const QList<QStringList> scripts = plot.scripts(step, files);
    const QStringList names = scriptNames();
    QString error;
    for (int i = 0; i < names.size(); ++i) {
        if (!writeScript(jobScriptName(names.at(i), slot), scripts.at(i), &error)) {
            // As one job after the other would: the surface's other steps are left out.
            state.mapProblems[step] << QStringLiteral("%1: %2").arg(plot.surface->title, error);
            state.open = false;
            ++m_stepsDone;
            return nextJob(slot, queue);
        }
    }
    printJobStart({densityScriptName()});
    reportProgress(tr("%1: step %2 of %3").arg(plot.surface->title).arg(step).arg(m_inputs.steps));
    Job job{&state, step, slot, plot.maps(files), scripts};
    queue->tag = int(m_started.size());
    for (const MapScript &map : std::as_const(job.maps))
        queue->scripts << jobScriptName(map.script, slot);
    m_started << job;
    ++m_runningSteps;
    return true;
}

// Finds the surface's directory and copies each result file into its grid
// copy; its steps may then be drawn.
void FieldMapRun::prepare(SurfaceState &state)
{
    const SurfacePlot &plot = state.plot;
    const Surface &surface = *plot.surface;
    SurfaceDirs dirs;
    QString error;
    m_problems = &state.readingProblems;
    if (!locateSurfaceDirs(m_startDir, m_inputs.caseName, surface.subdir, &dirs, &error)) {
        addProblem(QStringLiteral("%1: %2").arg(surface.title, error));
        return;
    }
    qDebug() << qUtf8Printable(surface.firstDiagnostic) << QFileInfo(dirs.surface).canonicalFilePath();
    const int steps = m_inputs.steps;
    qDebug() << "Anzahl Out-Files:" << steps;
    if (steps <= 0)
        addProblem(tr("%1: no output steps to plot (phiMax is \"%2\").").arg(surface.title, m_inputs.endAngle));
    state.hasData = copyResultFiles(plot, dirs.surface, steps);
    plot.finishReading();
    state.open = !m_cancelled;
}

// Copies the result files of steps 1..steps into their grid copies; tells
// which steps hold data.
QList<bool> FieldMapRun::copyResultFiles(const SurfacePlot &plot, const QString &directory, int steps)
{
    const Surface &surface = *plot.surface;
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

bool FieldMapRun::writeScript(const QString &scriptName, const QStringList &lines, QString *error) const
{
    const QString fileName = QDir(m_executingFiles).absoluteFilePath(scriptName);
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

void FieldMapRun::mapRan(int job, int index, const JobOutcome &outcome)
{
    m_programStarts = m_programStarts || outcome.status != JobOutcome::FailedToStart;
    const Job &started = m_started.at(job);
    const QString text = mapProblem(started.maps.at(index), outcome);
    if (!text.isEmpty())
        started.surface->mapProblems[started.step] << text;
}

// What went wrong with one map, or nothing. A plotting program that cannot be
// started stops the whole run, and is told once.
QString FieldMapRun::mapProblem(const MapScript &map, const JobOutcome &outcome)
{
    if (outcome.status == JobOutcome::FailedToStart) {
        if (m_programMissing)
            return {};
        m_programMissing = true;
        return tr("The plotting program %1 could not be started in %2: %3. No further maps were drawn.")
            .arg(GnuplotJob::program(), m_executingFiles, outcome.errorString);
    }
    if (outcome.succeeded())
        return {};
    QString text = QStringLiteral("%1: %2 %3").arg(map.map, GnuplotJob::program(), outcome.describe());
    if (!outcome.errorOutput.trimmed().isEmpty())
        text += QStringLiteral(" (%1)").arg(firstLine(outcome.errorOutput));
    return text;
}

// The problems in the order one job after the other meets them: surface by
// surface, first finding and reading it, then its maps step by step.
void FieldMapRun::reportProblems()
{
    m_problems = nullptr;
    for (const auto &state : std::as_const(m_surfaces)) {
        for (const QString &text : std::as_const(state->readingProblems))
            addProblem(text);
        for (const QStringList &stepProblems : std::as_const(state->mapProblems)) {
            for (const QString &text : stepProblems)
                addProblem(text);
        }
    }
}

// The usual script names hold the last step's scripts, as after one job;
// the other jobs' scripts go.
void FieldMapRun::finishScripts(int jobs)
{
    const QStringList names = scriptNames();
    const QDir dir(m_executingFiles);
    for (int slot = 1; slot < jobs; ++slot) {
        for (const QString &name : names)
            QFile::remove(dir.filePath(jobScriptName(name, slot)));
    }
    if (m_started.isEmpty() || m_started.last().slot == 0)
        return;
    QString error;
    for (int i = 0; i < names.size(); ++i) {
        if (!writeScript(names.at(i), m_started.last().scripts.at(i), &error)) {
            addProblem(error);
            return;
        }
    }
}

FieldMapRun::SurfacePlot FieldMapRun::planarPlot(const Surface &surface) const
{
    struct Shared
    {
        PlanarExtents extents;
        double scale = 0;
    };
    const auto shared = std::make_shared<Shared>();
    return {&surface, [shared](int, const Fields &fields) { shared->extents.add(fields); },
            [shared] {
                const PlanarExtents &e = shared->extents;
                qDebug() << "xmin=" << e.xmin;
                qDebug() << "xmax=" << e.xmax;
                qDebug() << "umax=" << e.umax;
                qDebug() << "vmax=" << e.vmax;
                shared->scale = arrowScale(e.umax, e.vmax, e.span());
            },
            [shared](int, const StepFiles &files) {
                return QList<QStringList>{planarColourScript(density(), files.density, files.gridCopy),
                                          planarColourScript(pressure(), files.pressure, files.gridCopy),
                                          planarVelocityScript(files, shared->scale)};
            },
            allMaps};
}

FieldMapRun::SurfacePlot FieldMapRun::sidePlot()
{
    struct Shared
    {
        PocketLayout pockets;
        bool drawsColourMaps = false;
        SideExtents extents;
        QMap<int, ColourRanges> ranges;
        double scale = 0;
    };
    const auto shared = std::make_shared<Shared>();
    shared->pockets = {m_inputs.pistonDiameter * 0.5, m_inputs.valveDiameter * 0.5, m_inputs.suctionValves,
                       m_inputs.dischargeValves,      m_inputs.suctionAngles,       m_inputs.dischargeAngles};
    shared->drawsColourMaps =
        validValveCount(shared->pockets.suctionValves) && validValveCount(shared->pockets.dischargeValves);
    return {&sideSurface(),
            [shared](int step, const Fields &fields) {
                shared->extents.add(fields);
                shared->ranges[step].add(fields);
            },
            [this, shared] {
                const SideExtents &e = shared->extents;
                qDebug() << "xmin=" << 0;
                qDebug() << "xmax=" << e.xmax;
                qDebug() << "umax=" << e.umax;
                qDebug() << "vmax=" << e.vmax;
                shared->scale = arrowScale(e.umax, e.vmax, e.xmax);
                qDebug() << "zmax=" << e.zmax;
                qDebug() << "sizeRatio=" << sizeRatio(e.zmax, e.xmax);
                if (!shared->drawsColourMaps)
                    addProblem(tr("Side: density and pressure maps need 1 to %1 suction and discharge valves "
                                  "(found %2 and %3); only velocity maps were drawn.")
                                   .arg(maxValvesPerKind)
                                   .arg(shared->pockets.suctionValves)
                                   .arg(shared->pockets.dischargeValves));
            },
            [shared](int step, const StepFiles &files) {
                const ColourRanges range = shared->ranges.value(step);
                const PocketLayout &pockets = shared->pockets;
                return QList<QStringList>{
                    sideColourScript(density(), files.density, files.gridCopy, pockets, range.density),
                    sideColourScript(pressure(), files.pressure, files.gridCopy, pockets, range.pressure),
                    sideVelocityScript(files, shared->scale)};
            },
            [shared](const StepFiles &files) {
                return shared->drawsColourMaps ? allMaps(files)
                                               : QList<MapScript>{{velocityScriptName(), files.velocity}};
            }};
}

} // namespace FieldMaps
