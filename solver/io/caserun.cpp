#include "io/caserun.h"

#include "io/inputerror.h"
#include "io/runlog.h"

#include "formats/solverlog.h"

namespace euler {

RunStatus runInCase(const std::filesystem::path &root, bool echo, const std::string &banner, const ModelRun &model)
{
    RunStatus status;
    RunLog log(echo);
    log.line(banner);
    const auto stop = [&](int exitCode, const std::string &reason) {
        status.exitCode = exitCode;
        status.message = reason;
        // Without a case directory the log goes beside the input files.
        if (status.caseDirectory.empty())
            log.open(root / formats::solverlog::fileName);
        log.line(formats::solverlog::errorPrefix + reason);
        log.line(formats::solverlog::stoppedPrefix + std::to_string(exitCode) + ".");
    };
    try {
        status.caseDirectory = openCaseDirectory(root, log);
        model(readCaseInputs(root), status.caseDirectory, log);
    } catch (const RunError &e) {
        stop(e.exitCode(), e.what());
    } catch (const std::exception &e) {
        stop(RunError::OutputFailed, e.what());
    }
    return status;
}

} // namespace euler
