#include "progress.h"

#include <cfenv>
#include <cmath>

namespace vg {

int RoundedShare(std::int32_t position, std::int32_t count) {
    // nearbyint rounds in the current mode, which is to-nearest with ties to even unless someone changed it.
    long double share = static_cast<long double>(position) / (static_cast<long double>(count) / 100.0L);
    return static_cast<int>(std::nearbyint(share));
}

int ProgressPercent(std::int32_t position, std::int32_t maximum) {
    if (position <= 0) return 0;
    if (maximum <= position) return 100;
    return RoundedShare(position, maximum);
}

} // namespace vg
