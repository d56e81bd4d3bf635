#include "citygen.h"
#include "directory/cp1251.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

TEST(CityGenerator, IsDeterministicAndScales) {
    auto a = vg::GenerateCity(2000);
    auto b = vg::GenerateCity(2000);
    ASSERT_EQ(a.size(), 2000u);
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].phone, b[i].phone);
        ASSERT_EQ(a[i].user, b[i].user);
    }
    std::set<std::string> streets;
    int flats = 0;
    for (const auto& r : a) {
        EXPECT_FALSE(r.user.empty());
        EXPECT_LE(r.house.size(), 3u);
        EXPECT_LE(r.flat.size(), 3u);
        streets.insert(r.street);
        flats += !r.flat.empty();
    }
    EXPECT_GT(streets.size(), 150u); // a city, not a village
    EXPECT_GT(flats, 1000);
}

TEST(CityGenerator, PrivateHousesHaveNoFlats) {
    // On a street of private houses nobody lists a flat; blocks of flats list one for nearly everybody.
    auto city = vg::GenerateCity(vg::CityFigures::kRecords);
    std::map<std::string, std::pair<int, int>> byStreet; // with flat, without
    for (const auto& r : city) {
        if (r.street.empty() || r.street == "NOSTREET") continue;
        auto& p = byStreet[r.street];
        (r.flat.empty() ? p.second : p.first)++;
    }
    int mostlyFlats = 0, mostlyHouses = 0;
    for (const auto& [street, p] : byStreet) {
        if (p.first > 4 * p.second) ++mostlyFlats;
        if (p.second > 4 * p.first) ++mostlyHouses;
    }
    EXPECT_GT(mostlyFlats, 20);
    EXPECT_GT(mostlyHouses, 10);
}

} // namespace
