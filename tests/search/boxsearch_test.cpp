#include "search/boxsearch.h"
#include "testdata.h"

#include <gtest/gtest.h>

namespace {

using vg::test::W;

// A small directory with one record for every way a caller may say it.
const char* const kRecords[][5] = {
    {"213918", "ПР. ЛЕНИНА", "8", "21", "ИВАНОВА Н.Ф."},               // 0
    {"213919", "ЛЕНИНА", "8А", "3", "ИВАНОВ П.С."},                    // 1
    {"555001", "ШОССЕ МОСКОВСКОЕ", "80", "1", "КИНОТЕАТР \"РОДИНА\""}, // 2
    {"555002", "ПЕР. САДОВЫЙ", "8/1", "40", "КИСЕЛЕВ А.А."},           // 3
    {"821000", "ГАГАРИНА", "12", "8", "ПЕТРОВА Д.И."},                 // 4
    {"390008", "Б-Р ГАГАРИНА", "3", "", "ГАГАРИНА М.В."},              // 5
    {"213000", "НАБЕРЕЖНАЯ", "21", "39", "ДОМ КУЛЬТУРЫ"},              // 6
    {"777000", "ЛЕНИНА", "90", "", "ПРОХОРОВ А.А."},                   // 7
};

void FillSmall(vg::TStrContainer& directory) {
    std::vector<vg::DirectoryRecord> records;
    for (const auto& r : kRecords)
        records.push_back({W(r[0]), W(r[1]), W(r[2]), W(r[3]), W(r[4])});
    vg::test::Fill(directory, records);
}

TEST(BoxSearch, FindsWhatTheCallerMeansAndNothingElse) {
    const struct {
        const char* text;
        std::vector<int> rows;
    } cases[] = {
        // Surnames, spaced initials, Ё, quotes, case.
        {"иванова н. ф.", {0}},
        {"иванова н.ф.", {0}},
        {"Иванов", {0, 1}},
        {"иванов п", {1}},
        {"киселёв", {3}},
        {"кинотеатр родина", {2}},
        {"«Родина»", {2}},
        {"ДОМ КУЛЬТУРЫ", {6}},
        // Streets in either order and form; "улица" is every street; a kind alone is a plain name.
        {"проспект ленина", {0}},
        {"пр. ленина", {0}},
        {"улица ленина", {0, 1, 7}},
        {"ленина пр", {0}},
        {"московское шоссе", {2}},
        {"бульвар гагарина", {5}},
        {"гагарина", {4, 5}},
        {"набережная", {6}},
        {"садовый переулок", {3}},
        // Numbers: dictated phones in any grouping; a short number beside a word is a house or flat exactly.
        {"21 39 18", {0}},
        {"21-39-18", {0}},
        {"(21) 39-18", {0}},
        {"2139", {0, 1}},
        {"ленина 8", {0, 1}},
        {"ленина 8а", {1}},
        {"садовый 8", {3}},
        {"садовый 80", {}},
        {"московское 8", {}},
        {"ленина 8 21", {0}},
        {"ленина 8-21", {0}},
        {"ленина д. 8 кв. 21", {0}},
        {"ленина кв. 8", {}},
        {"гагарина кв 8", {4}},
        {"иванова 21", {0}},
        // Digits alone may be a phone's start, a house or a flat.
        {"8", {0, 1, 3, 4}},
        {"39", {5, 6}},
        // Any order, every word must match.
        {"н.ф. ленина иванова", {0}},
        {"иванова садовый", {}},
        {"д. Петрова", {4}},
        {"петрова д.", {4}},
    };
    vg::TStrContainer directory;
    FillSmall(directory);
    for (const auto& c : cases) {
        const vg::TBoxQuery query(W(c.text));
        std::vector<int> rows;
        for (int i = 0; i < directory.Count(); ++i)
            if (query(*directory.GetItem(i))) rows.push_back(i);
        EXPECT_EQ(rows, c.rows) << c.text;
        const vg::TBoxCounts counts = vg::CountBoxWords(directory, query);
        EXPECT_EQ(counts.together, static_cast<std::int32_t>(c.rows.size())) << c.text;
    }
}

TEST(BoxSearch, SaysWhichWordFindsNothingAndWhereTheWordsMatched) {
    vg::TStrContainer directory;
    FillSmall(directory);
    const vg::TBoxQuery query(W("иванова ленена 8"));
    const vg::TBoxCounts counts = vg::CountBoxWords(directory, query);
    EXPECT_EQ(counts.words, (std::vector<std::int32_t>{1, 0, 4}));
    EXPECT_EQ(counts.together, 0);

    using Spans = std::vector<vg::TSpan>;
    const vg::TBoxQuery spoken(W("ленина н.ф. 21 39 проспект"));
    ASSERT_TRUE(spoken(*directory.GetItem(0)));
    const vg::TFieldSpans spans = spoken.Spans(*directory.GetItem(0));
    EXPECT_EQ(spans[0], (Spans{{0, 4}}));
    EXPECT_EQ(spans[1], (Spans{{4, 6}, {0, 3}}));
    EXPECT_EQ(spans[4], (Spans{{8, 4}}));
    const vg::TFieldSpans address = vg::TBoxQuery(W("8/1 «КИСЕЛЁВ»")).Spans(*directory.GetItem(3));
    EXPECT_EQ(address[2], (Spans{{0, 3}}));
    EXPECT_EQ(address[4], (Spans{{0, 7}}));
}

} // namespace
