#pragma once

// Helpers every fuzz target shares: the input as a Qt device or as a file,
// and a check that stops the run like a sanitizer report does.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace fuzz {

// A property of the code under test that an input broke: reported and
// aborted, so that libFuzzer keeps the input as a crash.
[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

inline void require(bool holds, const char *what)
{
    if (!holds)
        fail(what);
}

// The solver's readers open files by name: every input is written to one
// scratch file per process (in TMPDIR, removed at exit) and read from there.
inline const std::filesystem::path &scratchFile(const std::uint8_t *data, std::size_t size)
{
    struct Scratch
    {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("kalvex-fuzz-" + std::to_string(::getpid()));
        ~Scratch()
        {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    };
    static const Scratch scratch;
    std::FILE *file = std::fopen(scratch.path.string().c_str(), "wb");
    if (!file)
        fail("the scratch file cannot be opened");
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        fail("the scratch file cannot be written");
    return scratch.path;
}

} // namespace fuzz
