#include "directory/cp1251.h"
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
          Case{head + "1,\"A,1,1,U\n", "line 2: a quoted field is not closed"},
          // Windows-1251 text ("ЛЕНИНА") instead of UTF-8: named by line and field, the bytes not echoed.
          Case{head + "1,A,1,1,U\n\n2,\xCB\xC5\xCD\xC8\xCD\xC0,1,1,U\n",
               "line 4: the street is not UTF-8 (a file in Windows-1251 is read with --excel)"},
          Case{head + "1,A,1,1,\xC0\x80\n",
               "line 2: the user is not UTF-8 (a file in Windows-1251 is read with --excel)"},
          Case{head + "1,A,1,1,\xED\xA0\x80\n",
               "line 2: the user is not UTF-8 (a file in Windows-1251 is read with --excel)"},
          // One byte over each field's limit (Cyrillic letters count one byte each in Windows-1251).
          Case{head + std::string(33, '1') + ",A,1,1,U\n",
               "line 2: the phone is 33 bytes long, more than the limit of 32"},
          Case{head + "1," + W(std::string(81, 'X')) + ",1,1,U\n",
               "line 2: the street is 81 bytes long, more than the limit of 80"},
          Case{head + "1,A," + std::string(33, '9') + ",1,U\n",
               "line 2: the house is 33 bytes long, more than the limit of 32"},
          Case{head + "1,A,1," + std::string(33, '9') + ",U\n",
               "line 2: the flat is 33 bytes long, more than the limit of 32"},
          Case{head + "1,A,1,1," +
                   [] {
                       std::string s;
                       for (int i = 0; i < 81; ++i)
                           s += "Ж";
                       return s;
                   }() +
                   "\n",
               "line 2: the user is 81 bytes long, more than the limit of 80"},
          // A field of megabytes is refused as soon as it is surely too long; a bad one is quoted short and escaped.
          Case{head + "1,A,1," + std::string(5'000'000, '9') + ",U\n",
               "line 2: the flat is longer than the limit of 32 bytes"},
          Case{head + "1\x1B[2J" + std::string(20, '7') + ",A,1,1,U\n",
               "line 2: the phone \"1\\x1B[2J7777777777777777777\"... must be bare digits"}}) {
        auto parsed = vg::ParseDirectoryCsv(k.csv);
        EXPECT_EQ(parsed.error, k.error);
        EXPECT_TRUE(parsed.records.empty());
    }
}

TEST(Csv, BlankLinesBetweenRowsAreSkippedAndFieldsAtTheirLimitsPass) {
    std::string user;
    for (int i = 0; i < 80; ++i)
        user += "Ж";
    std::string csv = "phone,street,house,flat,user\r\n\r\n1,A,1,1,U\n\n\r\n" + std::string(32, '2') + "," +
                      std::string(80, 'S') + "," + std::string(32, '3') + "," + std::string(32, '4') + "," + user +
                      "\r\n\n";
    auto parsed = vg::ParseDirectoryCsv(csv);
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.records.size(), 2u);
    EXPECT_EQ(parsed.records[0].user, "U");
    EXPECT_EQ(parsed.records[1].phone, std::string(32, '2'));
    EXPECT_EQ(parsed.records[1].user, std::string(80, '\xC6'));
    // A row after blank lines keeps its own line number in messages.
    EXPECT_EQ(vg::ParseDirectoryCsv("phone,street,house,flat,user\n\n\n1,A\n").error,
              "line 4: expected 5 fields, found 2");
}

TEST(Csv, TheStartOfAFileTellsWhetherItCanBeACsv) {
    struct Case {
        std::string start;
        bool fits;
    };
    for (const Case& k :
         {Case{"", true}, Case{"pho", true}, Case{"phone,street,house,flat,user", true},
          Case{"phone,street,house,flat,user\r\n1,", true}, Case{"phone;street;house;flat;user\r\n", true},
          Case{"phone;street,house,flat,user\r\n", false}, Case{"\xEF\xBB\xBFphone,street\n", false},
          Case{"\xEF\xBB\xBFphone,street,house,flat,user\n", true}, Case{"phone,street,house,flat,userX\n", false},
          Case{std::string(4096, '\0'), false}, Case{"\x8F\x12phone", false},
          Case{"phone,street,house,flat,user" + std::string(4000, ' '), false}}) {
        std::string why = vg::CheckCsvStart(k.start);
        EXPECT_EQ(why.empty(), k.fits) << k.start.substr(0, 40);
        if (!k.fits) {
            EXPECT_EQ(why, "line 1: the header must be phone,street,house,flat,user");
            // Whatever the start refuses, the full parse refuses too, with the same words.
            EXPECT_EQ(vg::ParseDirectoryCsv(k.start).error, why);
        }
    }
}

// Both dialects, read and written: the header's separator and the encoding (a byte-order mark means UTF-8) decide
// how a file reads; every field check holds in Windows-1251 as in UTF-8, and messages quote UTF-8 only.
TEST(Csv, SpreadsheetDialectReadsAndWritesWithTheSameChecks) {
    const std::string semi = "phone;street;house;flat;user\r\n", bom = "\xEF\xBB\xBF";
    struct Case {
        std::string csv;
        vg::CsvEncoding encoding;
        std::string userOrError; // the first record's user (UTF-8), or the error
    };
    const auto cp = vg::CsvEncoding::Windows1251, utf = vg::CsvEncoding::Utf8;
    for (const Case& k : {
             Case{W(semi + "1;\"А;Б\";2;3;ПЕТРОВ, П.П.\r\n"), cp, "ПЕТРОВ, П.П."},
             Case{bom + semi + "1;А;2;3;\"ООО \"\"Ё\"\"\"\r\n", cp, "ООО \"Ё\""},
             Case{bom + semi + "1;А;2;3;Ё\n", utf, "Ё"},
             Case{W("phone,street,house,flat,user\n1,А;Б,2,3,№5\n"), cp, "№5"},
             Case{semi + "1;A;2;3;\x98\xB9\r\n", cp, "\xC2\x98№"},
             Case{W(semi + "1;А;2;3;Ж\r\n"), utf,
                  "line 2: the street is not UTF-8 (a file in Windows-1251 is read with --excel)"},
             Case{W(semi + "1;А;2;3;Ж\r\n12-ЖЖ;А;2;3;Ж\r\n"), cp, "line 3: the phone \"12-ЖЖ\" must be bare digits"},
             Case{semi + "1;A;2;3;" + std::string(81, '\xC6') + "\r\n", cp,
                  "line 2: the user is 81 bytes long, more than the limit of 80"},
             Case{semi + std::string("1;A;2;3;\xC6\0\r\n", 11), cp, "line 2: a field holds a zero byte"},
             Case{semi + "1;A;2;3\r\n", cp, "line 2: expected 5 fields, found 4"},
         }) {
        const auto parsed = vg::ParseDirectoryCsv(k.csv, k.encoding);
        const std::string got = parsed.error.empty() ? vg::cp1251::ToUtf8(parsed.records.at(0).user) : parsed.error;
        EXPECT_EQ(got, k.userOrError) << k.csv;
    }
    EXPECT_EQ(vg::CsvLine({"1", W("А;Б"), "", "2", W("\"Ё\", №5")}, vg::kSpreadsheetCsv),
              W("1;\"А;Б\";;2;\"\"\"Ё\"\", №5\"\r\n"));
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
