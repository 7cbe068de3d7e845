#pragma once

#include <stdexcept>
#include <string>

namespace euler {

// A run cannot go on: a missing or malformed input, a file that cannot be
// written, or a state that is no longer physical. The text names the file and the reason; the run ends with exitCode.
class RunError : public std::runtime_error
{
public:
    enum Code { BadInput = 1, OutputFailed = 2, Diverged = 3 };
    RunError(Code code, const std::string &what) : std::runtime_error(what), code_(code) {}
    int exitCode() const { return code_; }

private:
    Code code_;
};

inline RunError inputError(const std::string &file, const std::string &reason)
{
    return RunError(RunError::BadInput, file + ": " + reason);
}

} // namespace euler
