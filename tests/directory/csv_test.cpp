#include "directory/csv.h"
#include "directory/loader.h"
#include "testdata.h"

#include <gtest/gtest.h>

namespace {

using vg::test::W;

TEST(Csv, RoundTripsQuotesCommasAndCyrillic) {
    std::vector<vg::DirectoryRecord> recs = {{"12345", W("ЛЕНИНА"), "1", "2", W("ООО \"ЛОТОС, ЛТД\"")},
                                             {"", "", "", "", W("ИВАНОВ И.И.")}};
    std::string csv = vg::DirectoryCsvHeader();
    for (const auto& r : recs)
        csv += vg::CsvLine(r);
    EXPECT_NE(csv.find("\"ООО \"\"ЛОТОС, ЛТД\"\"\""), std::string::npos);
    auto parsed = vg::ParseDirectoryCsv(csv);
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.records.size(), 2u);
    EXPECT_EQ(parsed.records[0].user, recs[0].user);
    EXPECT_EQ(parsed.records[1].phone, "");
}

TEST(Csv, BadRowsAreRejectedWithTheirLineNumbers) {
    std::string head = "phone,street,house,flat,user\n";
    struct Case {
        std::string csv, error;
    };
    for (const Case& k :
         {Case{head + "1,A,1,1,U\n2,A,1,U\n", "line 3: expected 5 fields, found 4"},
          Case{head + "1,A,1,1,\"two\nlines\"\n", "line 2: a field holds a line break"},
          Case{head + "1,A,1,1,日本\n", "line 2: the text \"日本\" cannot be written in Windows-1251"},
          Case{head + "1-23-45,A,1,1,U\n", "line 2: the phone \"1-23-45\" must be bare digits"},
          Case{"tel,street,house,flat,user\n", "line 1: the header must be phone,street,house,flat,user"},
          Case{"", "line 1: the file is empty; the header must be phone,street,house,flat,user"},
          Case{head + "1,\"A,1,1,U\n", "line 2: a quoted field is not closed"}}) {
        auto parsed = vg::ParseDirectoryCsv(k.csv);
        EXPECT_EQ(parsed.error, k.error);
        EXPECT_TRUE(parsed.records.empty());
    }
}

TEST(Csv, PackSortsByKeyAndLoadsBack) {
    std::vector<vg::DirectoryRecord> recs = {{"54321", "B", "1", "", "X"},
                                             {"", "A", "2", "", "Y"},
                                             {"123456", "C", "3", "", "Z"},
                                             {"12345", "D", "", "", "W"}};
    std::string packed = vg::PackDirectory(recs);
    vg::TStrContainer c;
    vg::LoadDirectory(c, packed);
    ASSERT_EQ(c.Count(), 4);
    EXPECT_EQ(c.GetKey(0), "");
    EXPECT_EQ(c.GetKey(1), "12345");
    EXPECT_EQ(c.GetKey(2), "123456"); // a six-digit key among the five-digit ones sharing its start
    EXPECT_EQ(c.GetKey(3), "54321");
    EXPECT_EQ(c.GetItem(3)->Lines()[3], "X");
}

} // namespace
