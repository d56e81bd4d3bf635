#include "directory/csv.h"
#include "results/listexport.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using vg::test::W;

// The saved list reads back as its rows in their order, whatever its fields hold (quotes, the separator, letters
// beyond ASCII), and the progress runs from 0 to every row, never back, telling the rows as they are written.
TEST(ListCsv, SavesTheRowsWithTheProgressRunningToTheEnd) {
    vg::TStrContainer odd;
    vg::test::Fill(odd, {{"213918", W("КИНОТЕАТР \"РОДИНА\""), "8/1", "", W("ООО \"ВЕТ; и К°\"")},
                         {"5", "", "", "", ""},
                         {"41", W("ЁЛКИНА"), W("12А"), "3", W("«ИВАНОВА» Н.Ф.;\"")}});
    const vg::TStrContainer& city = vg::test::BuiltinContainer();
    const struct {
        const vg::TStrContainer& container;
        int rows, expected, reports; // the rows asked for, saved, and the fewest reports
    } cases[] = {{odd, 3, 3, 2},
                 {odd, 0, 0, 1},
                 {odd, 2, 2, 2},
                 {city, 1, 1, 2},
                 {city, city.Count(), city.Count(), 8},
                 {city, city.Count() + 5, city.Count(), 8}};
    const std::string path = (std::filesystem::temp_directory_path() / "vg-listexport-test.csv").string();
    for (const auto& c : cases) {
        std::vector<std::pair<std::int32_t, std::int32_t>> reports;
        std::string error;
        ASSERT_TRUE(vg::SaveListCsv(path, c.container, c.rows, error, [&](std::int32_t position, std::int32_t maximum) {
            reports.emplace_back(position, maximum);
        })) << error;
        std::ifstream file(path, std::ios::binary);
        const std::string csv{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        ASSERT_EQ(csv.substr(0, 33), "\xEF\xBB\xBFphone;street;house;flat;user\r\n");
        const vg::CsvParseResult read = vg::ParseDirectoryCsv(csv);
        ASSERT_EQ(read.error, "");
        ASSERT_EQ(static_cast<int>(read.records.size()), c.expected);
        for (int row = 0; row < c.expected; ++row) {
            const vg::DirectoryRecord want = vg::ToRecord(*c.container.GetItem(row));
            const vg::DirectoryRecord& got = read.records[static_cast<std::size_t>(row)];
            ASSERT_TRUE(got.phone == want.phone && got.street == want.street && got.house == want.house &&
                        got.flat == want.flat && got.user == want.user)
                << "row " << row;
        }
        ASSERT_GE(static_cast<int>(reports.size()), c.reports);
        EXPECT_EQ(reports.front(), std::make_pair(0, c.expected));
        EXPECT_EQ(reports.back(), std::make_pair(c.expected, c.expected));
        for (std::size_t k = 1; k < reports.size(); ++k)
            EXPECT_TRUE(reports[k].first >= reports[k - 1].first && reports[k].second == c.expected);
    }
    std::filesystem::remove(path);
}

} // namespace
