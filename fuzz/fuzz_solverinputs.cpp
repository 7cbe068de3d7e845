// The solver's input files: any bytes as the cylinder file, the valve file
// and the pocket mesh input file, each read and checked against the input
// rules, under the trap build's floating-point traps. A refusal is a RunError
// with a reason; nothing else may escape.
#include "fptraps.h"
#include "fuzzinput.h"

#include "io/inputerror.h"
#include "io/inputfiles.h"

#include <cstddef>
#include <cstdint>

namespace {

template <typename Read>
void refusedOrRead(Read read)
{
    try {
        read();
    } catch (const euler::RunError &error) {
        fuzz::require(error.exitCode() == euler::RunError::BadInput, "an input file is refused as bad input");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::filesystem::path &file = fuzz::scratchFile(data, size);
    const fuzz::FloatingPointTraps traps;
    refusedOrRead([&] { euler::validate(euler::readCylinderInput(file), file.string()); });
    refusedOrRead([&] { euler::validate(euler::readValveInput(file), file.string()); });
    refusedOrRead([&] { euler::readPocketMeshInput(file); });
    return 0;
}
