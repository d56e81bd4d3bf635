#pragma once

#include <cstdint>
#include <functional>

namespace vg {

// Reports (position, maximum) of a long operation; may be empty, and then nothing is reported.
using ProgressCallback = std::function<void(std::int32_t position, std::int32_t maximum)>;

// The percentage a progress bar shows for (position, maximum): 0 for position <= 0, 100 for
// maximum <= position, otherwise position / (maximum / 100) in extended precision, halves to even.
int ProgressPercent(std::int32_t position, std::int32_t maximum);

// position / (count / 100) in floating point, halves to even: the sort's progress figure.
int RoundedShare(std::int32_t position, std::int32_t count);

} // namespace vg
