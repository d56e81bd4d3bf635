#include "directory/loader.h"
#include "directory/progress.h"
#include "directory/writer.h"
#include "dirstats.h"
#include "resources/builtin_directory.h"
#include "results/columnsort.h"
#include "testdata.h"

#include <gtest/gtest.h>

namespace {

TEST(Loader, BuiltInDirectoryReportsProgress103Times) {
    vg::TStrContainer c;
    std::vector<std::pair<int, int>> reports;
    vg::LoadDirectory(c, vg::BuiltinDirectory(), [&](int pos, int max) { reports.emplace_back(pos, max); });
    ASSERT_EQ(c.Count(), 45129);
    ASSERT_EQ(reports.size(), 103u);
    EXPECT_EQ(reports[0], std::make_pair(0, 45129));
    for (int k = 1; k <= 101; ++k)
        EXPECT_EQ(reports[static_cast<std::size_t>(k)].first, (k - 1) * 451);
    EXPECT_EQ(reports[101].first, 45100);
    EXPECT_EQ(reports[102], std::make_pair(45128, 45129));
    for (int i = 0; i < c.Count(); ++i)
        ASSERT_EQ(c.GetItem(i)->Lines().Count(), 4) << i;
    for (int i = 0; i < 5137; ++i)
        ASSERT_TRUE(c.GetKey(i).empty());
    EXPECT_FALSE(c.GetKey(5137).empty());
}

TEST(Loader, SmallDirectoriesReportEveryRecordAndReloadsReplaceTheContent) {
    std::vector<vg::DirectoryRecord> recs;
    for (int i = 0; i < 7; ++i)
        recs.push_back({std::to_string(10000 + i), "S", "1", "", "U"});
    std::string bytes = vg::test::Compressed(recs);
    vg::TStrContainer c;
    std::vector<int> positions;
    vg::LoadDirectory(c, bytes, [&](int pos, int) { positions.push_back(pos); });
    EXPECT_EQ(positions, (std::vector<int>{0, 0, 1, 2, 3, 4, 5, 6}));
    c.Delete(3);
    vg::LoadDirectory(c, bytes);
    vg::LoadDirectory(c, bytes);
    ASSERT_EQ(c.Count(), 7);
    EXPECT_EQ(c.GetKey(3), "10003");
}

TEST(Loader, BuiltInDirectoryHasThePublishedFigures) {
    vg::DirectoryStats st = vg::MeasureDirectory(vg::BuiltinDirectory());
    EXPECT_EQ(st.records, 45129);
    EXPECT_EQ(st.headerValue, 0);
    EXPECT_EQ(st.emptyKeys, 5137);
    EXPECT_EQ(st.fiveDigitKeys, 39611);
    EXPECT_EQ(st.sixDigitKeys, 381);
    EXPECT_EQ(st.otherKeys, 0);
    EXPECT_EQ(st.repeatedNumbers, 585);
    EXPECT_EQ(st.emptyStreets, 5529);
    EXPECT_EQ(st.noStreet, 15);
    EXPECT_EQ(st.emptyHouses, 2971);
    EXPECT_EQ(st.emptyFlats, 12145);
    EXPECT_EQ(st.nonZeroTags, 0);
    EXPECT_EQ(st.recordsWithoutFourLines, 0);
    EXPECT_EQ(st.shortestText, 10);
    EXPECT_EQ(st.longestText, 62);
    EXPECT_EQ(st.longestStreet, 24);
    EXPECT_EQ(st.longestHouse, 3);
    EXPECT_EQ(st.longestFlat, 3);
    EXPECT_EQ(st.longestUser, 37);
    EXPECT_EQ(st.inflatedBytes, 2135563);
    std::string_view raw = vg::BuiltinDirectory();
    ASSERT_GT(raw.size(), 4u);
    EXPECT_EQ(static_cast<unsigned char>(raw[0]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(raw[1]), 0xDA);
    EXPECT_EQ(raw.substr(raw.size() - 2), std::string_view("\0\0", 2));
}

TEST(Loader, KeysAreStoredInAscendingByteOrder) {
    const vg::TStrContainer& c = vg::test::BuiltinContainer();
    for (int i = 1; i < c.Count(); ++i)
        ASSERT_LE(c.GetKey(i - 1), c.GetKey(i)) << i;
}

TEST(ProgressPercent, RoundsHalvesToEvenAndNeverDividesByZero) {
    struct Case {
        int pos, max, percent;
    };
    for (Case k : {Case{0, 100, 0},
                   {100, 100, 100},
                   {150, 100, 100},
                   {1, 200, 0},
                   {3, 200, 2},
                   {5, 200, 2},
                   {999, 1000, 100},
                   {1, 3, 33},
                   {2, 3, 67},
                   {0, 0, 0},
                   {5, 0, 100},
                   {-5, -10, 0},
                   {451, 45129, 1},
                   {45128, 45129, 100},
                   {22564, 45129, 50}})
        EXPECT_EQ(vg::ProgressPercent(k.pos, k.max), k.percent) << k.pos << " of " << k.max;
}

} // namespace

namespace {

std::vector<vg::DirectoryRecord> Records(const vg::TStrContainer& c) {
    std::vector<vg::DirectoryRecord> out;
    for (int i = 0; i < c.Count(); ++i)
        out.push_back(vg::ToRecord(*c.GetItem(i)));
    return out;
}

bool Same(const std::vector<vg::DirectoryRecord>& a, const std::vector<vg::DirectoryRecord>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].phone != b[i].phone || a[i].street != b[i].street || a[i].house != b[i].house ||
            a[i].flat != b[i].flat || a[i].user != b[i].user)
            return false;
    return true;
}

TEST(DirectoryMaster, EveryLoadGivesTheRecordsOrderAndProgressOfARealLoad) {
    vg::TStrContainer real;
    std::vector<std::pair<int, int>> realReports;
    vg::LoadDirectory(real, vg::BuiltinDirectory(), [&](int pos, int max) { realReports.emplace_back(pos, max); });
    const std::vector<vg::DirectoryRecord> stored = Records(real);

    vg::TDirectoryMaster master(vg::BuiltinDirectory());
    EXPECT_FALSE(master.Parsed());
    vg::TStrContainer c;
    for (int load = 0; load < 3; ++load) {
        std::vector<std::pair<int, int>> reports;
        master.Load(c, [&](int pos, int max) { reports.emplace_back(pos, max); });
        EXPECT_TRUE(master.Parsed());
        EXPECT_EQ(reports, realReports) << "load " << load;
        EXPECT_TRUE(Same(Records(c), stored)) << "load " << load;
        EXPECT_EQ(c.HeaderValue, real.HeaderValue);
    }
}

TEST(DirectoryMaster, AReloadAfterASortOrASearchRestoresTheStoredOrder) {
    vg::TDirectoryMaster master(vg::BuiltinDirectory());
    vg::TStrContainer c;
    master.Load(c);
    const std::vector<vg::DirectoryRecord> stored = Records(c);
    ASSERT_EQ(stored.size(), 45129u);

    // A sort and a search change the order and the content in place; neither reaches the master.
    vg::SortByColumn(c, 4, false);
    ASSERT_FALSE(Same(Records(c), stored));
    master.Load(c);
    EXPECT_TRUE(Same(Records(c), stored));

    std::vector<char> doomed(static_cast<std::size_t>(c.Count()), 0);
    for (std::size_t i = 0; i < doomed.size(); i += 3)
        doomed[i] = 1;
    c.DeleteMarked(doomed);
    c.Delete(0);
    c.Exchange(0, 1);
    ASSERT_LT(c.Count(), 45129);
    vg::SortByColumn(c, 2, true);
    master.Load(c);
    EXPECT_TRUE(Same(Records(c), stored));

    // Two containers restored from one master are independent of each other.
    vg::TStrContainer other;
    master.Load(other);
    c.Delete(5);
    EXPECT_EQ(other.Count(), 45129);
    EXPECT_TRUE(Same(Records(other), stored));

    // A container outlives the master it was restored from, the master's memory taken by another one meanwhile.
    vg::TStrContainer survivor;
    {
        vg::TDirectoryMaster gone(vg::BuiltinDirectory());
        gone.Load(survivor);
    }
    vg::TDirectoryMaster next(vg::BuiltinDirectory());
    vg::TStrContainer third;
    next.Load(third);
    vg::SortByColumn(third, 4, false);
    EXPECT_TRUE(Same(Records(survivor), stored));
}

TEST(DirectoryMaster, AReporterThatFailsLeavesTheNextLoadToParseAgain) {
    vg::TDirectoryMaster master(vg::BuiltinDirectory());
    vg::TStrContainer c;
    EXPECT_THROW(master.Load(c,
                             [](int pos, int) {
                                 if (pos > 1000) throw std::runtime_error("the window went away");
                             }),
                 std::runtime_error);
    EXPECT_FALSE(master.Parsed());
    std::vector<std::pair<int, int>> reports;
    master.Load(c, [&](int pos, int max) { reports.emplace_back(pos, max); });
    EXPECT_EQ(c.Count(), 45129);
    EXPECT_EQ(reports.size(), 103u);
}

} // namespace
