#include "directory/errors.h"
#include "directory/strcontainer.h"
#include "directory/zstream.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using vg::test::Int32;
using vg::test::W;

std::string Guarded(std::uint32_t len, std::uint32_t notLen, std::uint32_t crc, const std::string& text) {
    return Int32(static_cast<std::int32_t>(len)) + Int32(static_cast<std::int32_t>(notLen)) +
           Int32(static_cast<std::int32_t>(crc)) + text;
}

TEST(GuardedString, GuardsHoldForTheCrcFiguresOfTheFormat) {
    std::string bytes = Guarded(5, 0xFFFFFFFA, 0x169A2F2E, "HELLO") + "rest";
    vg::TMemoryStream s(bytes);
    std::string text;
    vg::ReadGuardedString(&s, text);
    EXPECT_EQ(text, "HELLO");
    EXPECT_EQ(s.Position(), 17);

    std::string empty = Guarded(0, 0xFFFFFFFF, 0x2144DF1C, "");
    vg::TMemoryStream e(empty);
    text = "old";
    vg::ReadGuardedString(&e, text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(e.Position(), 12);
}

TEST(GuardedString, ABrokenGuardYieldsEmptyTextAndStopsWhereItNoticed) {
    std::string badNot = Guarded(5, 0xFFFFFFFB, 0x169A2F2E, "HELLO");
    vg::TMemoryStream a(badNot);
    std::string text = "old";
    vg::ReadGuardedString(&a, text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(a.Position(), 8);

    std::string badCrc = Guarded(5, 0xFFFFFFFA, 0x169A2F2F, "HELLO");
    vg::TMemoryStream b(badCrc);
    vg::ReadGuardedString(&b, text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(b.Position(), 12);

    vg::ReadGuardedString(nullptr, text);
    EXPECT_EQ(text, "");
}

TEST(Record, SplitsItsTextAsTheFormatSays) {
    using L = std::vector<std::string>;
    struct Case {
        std::string text;
        L lines;
    };
    for (const Case& k :
         {Case{"A\r\n\r\nB\r\n", {"A", "", "B"}},
          {"A\nB", {"A", "B"}},
          {"A\r\n", {"A"}},
          {std::string("A\0\r\nB", 5), {"A"}},
          {"A\rB\r", {"A", "B"}},
          {"\r\n\r\n", {"", ""}},
          {"\n\r", {"", ""}},
          {"1\r2\n3\r\n4\r\n5\n6\r7\r\n8\r\n9", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}},
          {std::string("0123456789ABCDEF\r\nGHIJKLMNOPQRSTUVWXYZ\r0123456789abcdef\0\r\nX", 58),
           {"0123456789ABCDEF", "GHIJKLMNOPQRSTUVWXYZ", "0123456789abcdef"}},
          {"0123456789ABCDE\r\n0123456789ABCDEFGHIJ\n\n", {"0123456789ABCDE", "0123456789ABCDEFGHIJ", ""}}}) {
        std::string bytes = Int32(1) + Int32(static_cast<std::int32_t>(k.text.size())) + Int32(0) + "7" + k.text;
        vg::TMemoryStream s(bytes);
        vg::TString r;
        r.LoadFromStream(&s);
        L got;
        for (int i = 0; i < r.Lines().Count(); ++i)
            got.emplace_back(r.Lines()[i]);
        EXPECT_EQ(got, k.lines) << testing::PrintToString(k.text);
        EXPECT_EQ(r.Key(), "7");
    }
}

TEST(Record, ReadsItsLayoutAndKeepsItsTag) {
    std::string bytes = Int32(5) + Int32(9) + Int32(77) + "12345" + "A\r\nB\r\nC\r\n" + Int32(0) + Int32(0) + Int32(9);
    vg::TMemoryStream s(bytes);
    vg::TString r;
    r.LoadFromStream(&s);
    EXPECT_EQ(r.Key(), "12345");
    ASSERT_EQ(r.Lines().Count(), 3);
    EXPECT_EQ(r.Lines()[2], "C");
    EXPECT_EQ(r.Tag, 77);
    try {
        (void)r.Lines()[3];
        FAIL();
    } catch (const vg::EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (3)");
    }
    // A record of two absent strings is its 12 header bytes only.
    r.LoadFromStream(&s);
    EXPECT_EQ(r.Key(), "");
    EXPECT_EQ(r.Lines().Count(), 0);
    EXPECT_EQ(r.Tag, 9);
    EXPECT_EQ(s.Position(), static_cast<std::int64_t>(bytes.size()));
    r.SetKey("1");
    r.Clear();
    EXPECT_EQ(r.Key(), "");
    EXPECT_EQ(r.Tag, 9);
}

TEST(Record, ATextThatCannotBeReadLeavesTheRecordWithoutLines) {
    std::string bytes = Int32(2) + Int32(100) + Int32(0) + "42" + "short";
    vg::TMemoryStream s(bytes);
    vg::TString r;
    r.LoadFromStream(&s);
    EXPECT_EQ(r.Key(), "42");
    EXPECT_EQ(r.Lines().Count(), 0);
}

TEST(Container, PositionsOutsideTheRecords) {
    vg::TStrContainer c;
    vg::test::Fill(c, {{"1", "A", "", "", "X"}, {"2", "B", "", "", "Y"}, {"3", "C", "", "", "Z"}});
    EXPECT_EQ(c.GetKey(3), "");
    EXPECT_EQ(c.GetItem(3), nullptr);
    EXPECT_THROW(c.GetKey(-1), vg::EListError);
    EXPECT_THROW(c.GetItem(-1), vg::EListError);
    try {
        c.Delete(3);
        FAIL();
    } catch (const vg::EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (3)");
    }
    EXPECT_THROW(c.Exchange(0, -1), vg::EListError);
    EXPECT_EQ(c.Count(), 3);
    c.Delete(0);
    ASSERT_EQ(c.Count(), 2);
    EXPECT_EQ(c.GetKey(0), "2");
    EXPECT_EQ(c.GetKey(1), "3");
    c.Exchange(0, 1);
    EXPECT_EQ(c.GetKey(0), "3");
}

TEST(Container, DeleteMarkedKeepsTheOthersInOrder) {
    vg::TStrContainer c;
    std::vector<vg::DirectoryRecord> recs;
    for (int i = 0; i < 10; ++i)
        recs.push_back({std::to_string(i), "", "", "", "U"});
    vg::test::Fill(c, recs);
    c.DeleteMarked({1, 0, 0, 1, 1, 0, 0, 0, 0, 1});
    std::string keys;
    for (int i = 0; i < c.Count(); ++i)
        keys += c.GetKey(i);
    EXPECT_EQ(keys, "125678");
}

// A container restored from another holds the other's records by their positions: every change reads as the same
// change on a container that owns copies of them, and the records stay the lender's own.
TEST(Container, RestoredRecordsChangeAsOwnedOnes) {
    using Step = std::function<void(vg::TStrContainer&)>;
    auto pair = [](int i, int j) { return Step([=](vg::TStrContainer& c) { c.Exchange(i, j); }); };
    const std::vector<std::vector<Step>> scripts{
        {},
        {[](vg::TStrContainer& c) { c.Delete(2); }, pair(0, 4)},
        {[](vg::TStrContainer& c) {
            c.DeleteMarked({0, 1, 1, 0, 0, 0, 1});
        }},
        {[](vg::TStrContainer& c) {
             c.Arrange({5, 3, 1, 0, 2, 4});
         },
         pair(5, 1)},
        {[](vg::TStrContainer& c) { c.Append(std::make_unique<vg::TString>("9")); }, pair(6, 0)},
    };
    auto keys = [](const vg::TStrContainer& c) {
        std::string out;
        for (int i = 0; i < c.Count(); ++i)
            out += c.GetKey(i);
        return out;
    };
    const std::string all = "012345";
    const auto master = std::make_shared<vg::TStrContainer>();
    for (char key : all)
        master->Append(std::make_unique<vg::TString>(std::string(1, key)));
    for (std::size_t k = 0; k < scripts.size(); ++k) {
        vg::TStrContainer mine, restored, again;
        for (char key : all)
            mine.Append(std::make_unique<vg::TString>(std::string(1, key)));
        restored.RestoreFrom(master);
        for (const Step& step : scripts[k]) {
            step(mine);
            step(restored);
            ASSERT_EQ(keys(restored), keys(mine)) << "script " << k;
        }
        // A restored container lends on what it holds; a part of it, position by position.
        auto lender = std::make_shared<vg::TStrContainer>();
        lender->RestoreFrom(master);
        lender->Delete(0);
        again.RestoreOnly(lender, {4, 0, 2});
        EXPECT_EQ(keys(again), "513") << "script " << k;
        EXPECT_EQ(again.GetItem(0), master->GetItem(5));
        EXPECT_THROW(again.RestoreOnly(lender, {5}), vg::EListError);
        EXPECT_EQ(keys(again), "513");
        for (int i = 0; i < restored.Count(); ++i)
            if (const auto at = all.find(restored.GetKey(i)); at != std::string::npos) {
                EXPECT_EQ(restored.GetItem(i), master->GetItem(static_cast<int>(at)));
            }
    }
}

TEST(StrCompare, OrdinalAfterUpperCasing) {
    EXPECT_EQ(vg::StrCompare(W("ленина"), W("ЛЕНИНА")), 0);
    EXPECT_EQ(vg::StrCompare("mira", "MIRA"), 0);
    EXPECT_EQ(vg::StrCompare(W("ЛЕН"), W("ЛЕНИНА")), -1);
    EXPECT_EQ(vg::StrCompare("10", "9"), -1);
    EXPECT_EQ(vg::StrCompare("", "A"), -1);
    EXPECT_EQ(vg::StrCompare("Z", W("А")), -1);    // Latin before Cyrillic
    EXPECT_EQ(vg::StrCompare(W("ё"), W("А")), -1); // Ё (0xA8) before А (0xC0)
    EXPECT_EQ(vg::StrCompare(W("Я"), W("а")), 1);
    int r = 0;
    vg::NegateOrder(r);
    EXPECT_EQ(r, 0);
    r = -1;
    vg::NegateOrder(r);
    EXPECT_EQ(r, 1);
    r = 5;
    vg::NegateOrder(r);
    EXPECT_EQ(r, 5);
}

// The quick sort as the format's owner describes it, over plain integers: the reference for the exact, unstable
// arrangement that an index sort must produce.
void ReferenceSort(std::vector<std::pair<int, int>>& v, int L, int R) {
    int I, J;
    do {
        I = L;
        J = R;
        int P = (L + R) / 2;
        do {
            while (v[I].first < v[P].first)
                ++I;
            while (v[J].first > v[P].first)
                --J;
            if (I <= J) {
                std::swap(v[I], v[J]);
                if (P == I)
                    P = J;
                else if (P == J)
                    P = I;
                ++I;
                --J;
            }
        } while (I <= J);
        if (L < J) ReferenceSort(v, L, J);
        L = I;
    } while (I < R);
}

TEST(Index, SortTracksThePivotEntryAndArrangesTiesExactly) {
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        int n = 2 + static_cast<int>(rng() % 60);
        std::vector<std::pair<int, int>> ref;
        vg::TStrIndex index;
        for (int i = 0; i < n; ++i) {
            int key = static_cast<int>(rng() % 6); // many ties
            ref.emplace_back(key, i);
            index.Append(std::to_string(key), i);
        }
        index.Sort(true);
        ReferenceSort(ref, 0, n - 1);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(index.Text(i), std::to_string(ref[static_cast<std::size_t>(i)].first));
            EXPECT_EQ(index.EntryValue(i), ref[static_cast<std::size_t>(i)].second) << "round " << round << " at " << i;
        }
    }
}

TEST(Index, LoadsGuardedEntriesAndSortsTextWithValue) {
    std::uint32_t crc1 = 0x99F8B879; // the CRC-32 of 01 00 00 00
    std::string bytes =
        Int32(2) + Int32(99) + Int32(10) + Guarded(1, ~1u, crc1, "b") + Int32(20) + Guarded(1, ~1u, crc1, "A");
    vg::TMemoryStream s(bytes);
    vg::TStrIndex index;
    index.LoadFromStream(&s);
    EXPECT_EQ(index.IndexValue, 99);
    ASSERT_EQ(index.Count(), 2);
    index.Sort(true);
    EXPECT_EQ(index.Text(0), "A");
    EXPECT_EQ(index.EntryValue(0), 20);
    EXPECT_EQ(index.Text(1), "b");
    EXPECT_EQ(index.EntryValue(1), 10);

    // Fewer than two bytes left: the index stays empty.
    std::string one = "x";
    vg::TMemoryStream t(one);
    index.LoadFromStream(&t);
    EXPECT_EQ(index.Count(), 0);
}

TEST(Container, LoadsHeaderRecordsAndIndexSections) {
    std::uint32_t crc1 = 0x99F8B879;
    std::string body = Int32(1) + Int32(42) + Int32(1) + Int32(4) + Int32(3) + "7" + "X\r\nY" + Int32(1) + Int32(1) +
                       Int32(5) + Int32(6) + Guarded(1, ~1u, crc1, "Q");
    vg::TStrContainer withIndex(1);
    vg::TMemoryStream s(body);
    withIndex.LoadFromStream(&s);
    EXPECT_EQ(withIndex.HeaderValue, 42);
    ASSERT_EQ(withIndex.Count(), 1);
    EXPECT_EQ(withIndex.GetItem(0)->Tag, 3);
    EXPECT_EQ(withIndex.Index(0).Text(0), "Q");
    EXPECT_EQ(withIndex.Index(0).EntryValue(0), 6);

    // The directory container has no index objects: a section is a list error, after the records.
    vg::TStrContainer plain;
    vg::TMemoryStream s2(body);
    try {
        plain.LoadFromStream(&s2);
        FAIL();
    } catch (const vg::EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (0)");
    }
    EXPECT_EQ(plain.Count(), 1);

    // Count 0: nothing after the header is read.
    std::string empty = Int32(0) + Int32(5);
    vg::TMemoryStream s3(empty);
    plain.LoadFromStream(&s3);
    EXPECT_EQ(plain.Count(), 0);
    EXPECT_EQ(plain.HeaderValue, 5);
}

} // namespace
