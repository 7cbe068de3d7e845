#include "kalvex.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QProgressDialog>
#include <QTextStream>

#include "messages.h"
#include "calc/caselayout.h"
#include "calc/currentdirguard.h"
#include "post/fieldmaprun.h"
#include "post/gnuplotjob.h"
#include "post/surfacedirs.h"
#include "post/testplot.h"

using namespace FieldMaps;

namespace {

// The window's side of a field-map request: the progress dialog with its
// cancel button, and the problems the run met, shown in one message at the end.
class FieldMapDialog
{
public:
    explicit FieldMapDialog(QWidget *window) : m_window(window), m_progress(window)
    {
        m_progress.setWindowTitle(Kalvex::tr("Field maps"));
        m_progress.setCancelButtonText(Kalvex::tr("Cancel"));
        m_progress.setWindowModality(Qt::ApplicationModal);
        m_progress.setMinimumDuration(2000);
        m_progress.setAutoReset(false);
        m_progress.setAutoClose(false);
        m_progress.reset(); // a fresh dialog would otherwise show itself after a while
    }
    ~FieldMapDialog() { m_progress.hide(); }

    RunCallbacks callbacks()
    {
        return {[this](const QString &label, int value, int maximum) { show(label, value, maximum); },
                [this](const QString &text) { m_problems << text; },
                [this] { return m_progress.wasCanceled(); },
                // While the modal dialog is up it alone takes input (its cancel button).
                [this] { return m_progress.isVisible(); }};
    }

    // Shows one message with every problem, if there was any.
    void report() const
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

private:
    void show(const QString &label, int value, int maximum)
    {
        if (m_progress.maximum() != maximum)
            m_progress.setRange(0, maximum);
        m_progress.setLabelText(label);
        m_progress.setValue(value); // once shown, the modal dialog handles events itself
        if (!m_progress.isVisible())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

    QWidget *m_window;
    QProgressDialog m_progress;
    QStringList m_problems;
};

} // namespace

// The run reads the form once; wherever it started, the slot ends in
// ExecutingFiles, where the scripts lie.
void Kalvex::plotFieldMaps(const QList<const Surface *> &surfaces)
{
    const QString start = QDir::currentPath();
    const CurrentDirGuard backToExecutingFiles(returnDirectory(start));
    FieldMapDialog dialog(this);
    RunInputs inputs = RunInputs::fromTexts(texts(RunInputs::parameters()));
    inputs.steps = stepsToPlot(currentCase().caseDir);
    FieldMapRun run(inputs, this, dialog.callbacks());
    run.run(start, surfaces);
    dialog.report();
}

void Kalvex::plotHPS()
{
    if (plotCaseReady(tr("Field maps")))
        plotFieldMaps({&headSurface(), &pistonSurface(), &sideSurface()});
}

void Kalvex::plotHead()
{
    if (plotCaseReady(tr("Field maps")))
        plotFieldMaps({&headSurface()});
}

void Kalvex::plotPiston()
{
    if (plotCaseReady(tr("Field maps")))
        plotFieldMaps({&pistonSurface()});
}

void Kalvex::plotSide()
{
    if (plotCaseReady(tr("Field maps")))
        plotFieldMaps({&sideSurface()});
}

void Kalvex::gnuplotScript(int iIndex, int _nSuctionValves, int _nDischargeValves,
                           QTextStream &_out, QString &_fileNameNew)
{
    const RunInputs inputs = RunInputs::fromTexts(texts(RunInputs::parameters()));
    const QStringList lines = pocketPlotLines(iIndex, _nSuctionValves, _nDischargeValves, _fileNameNew,
                                              inputs.suctionAngles, inputs.dischargeAngles);
    for (const QString &line : lines)
        _out << line << Qt::endl;
}

// The test plot: a sine curve into "test.png", shown in the window.
void Kalvex::plotResults()
{
    const QString scriptName = TestPlot::scriptName();
    QString error;
    const bool written = writeScriptFile(scriptName, TestPlot::script(), &error);
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
    label_gpplot->setPixmap(QPixmap(TestPlot::imageName()));
}
