#pragma once

#include "directory/loader.h"

#include <cstdint>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace vg::test {

// What a load leaves behind: every record's key, lines and tag, the progress reports, and the failure's
// message. Two loads that end alike have equal outcomes.
struct LoadOutcome {
    std::vector<std::string> records;
    std::vector<std::pair<int, int>> reports;
    std::string failure;
    bool operator==(const LoadOutcome&) const = default;
};

// What load(container, progress) leaves.
template <typename Load> LoadOutcome SeeLoad(Load&& load) {
    LoadOutcome o;
    TStrContainer c;
    try {
        load(c, [&o](std::int32_t p, std::int32_t m) { o.reports.emplace_back(p, m); });
    } catch (const std::exception& e) {
        o.failure = e.what();
    }
    for (int i = 0; i < c.Count(); ++i) {
        std::string record(c.GetKey(i));
        const TLineList lines = c.GetItem(i)->Lines();
        for (int k = 0; k < lines.Count(); ++k)
            record.append("|").append(lines.Get(k));
        o.records.push_back(record + '#' + std::to_string(c.GetItem(i)->Tag));
    }
    return o;
}

// Loads from compressed bytes in memory or from a stream of them.
template <typename Source> LoadOutcome LoadAndSee(Source&& source) {
    return SeeLoad([&source](TStrContainer& c, const ProgressCallback& p) { LoadDirectory(c, source, p); });
}

} // namespace vg::test
