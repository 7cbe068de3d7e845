#pragma once

namespace euler {

// Bytes of physical memory the machine has, 0 when the system does not say.
double physicalMemoryBytes();

} // namespace euler
