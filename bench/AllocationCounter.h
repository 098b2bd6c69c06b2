#pragma once

#include <cstddef>

namespace pintora {

// Counts the heap in use by the whole process (every malloc, including Qt's),
// so a benchmark can show how much memory an operation needs at its peak.
namespace allocation {

std::size_t bytesInUse();

// Starts a new peak measurement from what is in use now.
void resetPeak();
std::size_t peakBytes();

} // namespace allocation

} // namespace pintora
