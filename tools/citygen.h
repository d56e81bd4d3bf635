#pragma once

#include "directory/writer.h"

#include <cstdint>
#include <vector>

namespace vg {

// The published figures of the city's directory, which the generator reproduces exactly.
struct CityFigures {
    static constexpr int kRecords = 45129;
    static constexpr int kEmptyKeys = 5137;
    static constexpr int kSixDigitKeys = 381;
    static constexpr int kRepeatedNumbers = 585;
    static constexpr int kEmptyStreets = 5529;
    static constexpr int kNoStreet = 15;
    static constexpr int kEmptyHouses = 2971;
    static constexpr int kEmptyFlats = 12145;
    static constexpr std::int64_t kInflatedBytes = 2135563;
};

// Generates the directory of Ветлоград, deterministically, sorted by key. With CityFigures::kRecords records
// every published figure holds exactly; other sizes keep the same proportions (for benchmarks at scale).
std::vector<DirectoryRecord> GenerateCity(int records);

} // namespace vg
