#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace euler {

// A ParaView collection file (".pvd") listing data files by a time value,
// here the crank angle in degrees. It is rewritten whole after every added
// file, through a temporary file renamed over it, so that a run that stops
// still leaves a collection of the files it wrote.
class PvdCollection
{
public:
    explicit PvdCollection(std::filesystem::path file) : file_(std::move(file)) {}

    // Adds a data file, named relative to the collection's directory, and
    // rewrites the collection. Throws RunError (OutputFailed).
    void add(double time, const std::string &relativeFile);
    const std::filesystem::path &file() const { return file_; }

private:
    struct Entry
    {
        double time;
        std::string file;
    };
    std::filesystem::path file_;
    std::vector<Entry> entries_;
};

} // namespace euler
