#pragma once

#include <cstddef>

namespace pintora {

// Counts the heap in use by the whole process (every malloc, including Qt's),
// so a benchmark can show how much memory an operation needs at its peak.
namespace allocation {

std::size_t bytesInUse();

// What the process has in memory, as the kernel counts it (resident pages):
// unlike bytesInUse(), without the alignment slack of aligned blocks, which
// is address space only.
std::size_t residentBytes();

// Starts a new peak measurement from what is in use now.
void resetPeak();
std::size_t peakBytes();

} // namespace allocation

} // namespace pintora
