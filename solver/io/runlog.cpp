#include "io/runlog.h"

namespace euler {

RunLog::~RunLog()
{
    if (file_)
        std::fclose(file_);
}

bool RunLog::open(const std::filesystem::path &file)
{
    if (file_)
        std::fclose(file_);
    file_ = std::fopen(file.string().c_str(), "wb");
    if (!file_)
        return false;
    std::fputs(pending_.c_str(), file_);
    std::fflush(file_);
    pending_.clear();
    return true;
}

void RunLog::line(const std::string &text)
{
    if (echo_)
        std::fprintf(stderr, "%s\n", text.c_str());
    if (file_) {
        std::fprintf(file_, "%s\n", text.c_str());
        std::fflush(file_);
    } else {
        pending_ += text;
        pending_ += '\n';
    }
}

} // namespace euler
