#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace euler {

// The run's log ("euler.log" in the case directory, or in the working
// directory while the case is not yet known). Every line is also echoed to
// the console when echo is on. Log lines are flushed at once so that a
// crashed or stopped run still shows how far it got.
class RunLog
{
public:
    explicit RunLog(bool echo) : echo_(echo) {}
    ~RunLog();
    RunLog(const RunLog &) = delete;
    RunLog &operator=(const RunLog &) = delete;

    // Opens the log file; lines logged before are written into it first.
    // Returns false (and keeps logging to the console) when it cannot.
    bool open(const std::filesystem::path &file);
    void line(const std::string &text);

private:
    bool echo_;
    std::FILE *file_ = nullptr;
    std::string pending_;
};

} // namespace euler
