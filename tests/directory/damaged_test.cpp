#include "directory/errors.h"
#include "directory/loader.h"
#include "directory/zstream.h"
#include "resources/builtin_directory.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using vg::test::Int32;

std::string Body(const std::string& records, std::int32_t count) {
    return Int32(count) + Int32(0) + records;
}
std::string Rec(const std::string& key, const std::string& text) {
    return Int32(static_cast<std::int32_t>(key.size())) + Int32(static_cast<std::int32_t>(text.size())) + Int32(0) +
           key + text;
}
std::string Zip(const std::string& inflated) {
    return vg::CompressDirectory(inflated);
}

struct Damaged {
    const char* name;
    std::string bytes;
    bool fails;       // a clear error is expected
    int records;      // records in the container afterwards
    const char* text; // the start of the error message
};

void PrintTo(const Damaged& d, std::ostream* os) {
    *os << d.name;
}

class DamagedDirectory : public ::testing::TestWithParam<Damaged> {};

TEST_P(DamagedDirectory, IsAnsweredWithAClearErrorOrLoadsWhatIsThere) {
    const Damaged& d = GetParam();
    vg::TStrContainer c;
    try {
        vg::LoadDirectory(c, d.bytes);
        EXPECT_FALSE(d.fails) << d.name << " loaded without an error";
    } catch (const vg::Exception& e) {
        EXPECT_TRUE(d.fails) << d.name << ": " << e.what();
        EXPECT_EQ(std::string(e.what()).rfind(d.text, 0), 0u) << d.name << ": " << e.what();
    }
    EXPECT_EQ(c.Count(), d.records) << d.name;
}

const std::string kRec = Rec("12345", "A\r\nB\r\nC\r\nD\r\n");
const std::string kGood = Zip(Body(kRec + kRec, 2) + Int32(0));

std::string Flipped(std::string s, std::size_t at) {
    s[at] = static_cast<char>(s[at] ^ 0xFF);
    return s;
}

std::string Random(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(rng());
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedDirectory,
    ::testing::Values(
        Damaged{"empty file", "", true, 0, "The directory data ends early"},
        Damaged{"random bytes", Random(4096, 1), true, 0, "error"},
        Damaged{"truncated deflate data", kGood.substr(0, kGood.size() / 2), true, 1, "The directory data ends early"},
        // zlib hands out the changed byte and notices only at the checksum, after IndexCount: the reader, which
        // stops at IndexCount, never gets there.
        Damaged{"changed literal found only by the checksum", Flipped(kGood, 12), false, 2, ""},
        Damaged{"negative count", Zip(Body("", -5)), false, 0, ""},
        Damaged{"oversized count", Zip(Body(kRec, 2147483647)), true, 1, "The directory data ends early"},
        Damaged{"stream ends before its records", Zip(Body(kRec, 3)), true, 1, "The directory data ends early"},
        Damaged{"key length 2147483647", Zip(Body(Int32(2147483647) + Int32(0) + Int32(0) + "123", 1)), true, 0,
                "The directory data ends early: a record's key"},
        Damaged{"text length 2147483647", Zip(Body(Int32(0) + Int32(2147483647) + Int32(0) + "abc", 1)), true, 1,
                "The directory data ends early: the index count"},
        Damaged{"negative lengths", Zip(Body(Int32(-1) + Int32(-7) + Int32(0), 1) + Int32(0)), false, 1, ""},
        Damaged{"index sections without index objects", Zip(Body(kRec, 1) + Int32(1) + Int32(0) + Int32(0)), true, 1,
                "List index out of bounds (0)"},
        Damaged{"garbage after a valid stream", kGood + Random(100, 2), false, 2, ""},
        Damaged{"no index count", Zip(Body(kRec, 1)), true, 1, "The directory data ends early: the index count"}),
    [](const ::testing::TestParamInfo<Damaged>& info) {
        std::string name = info.param.name;
        for (auto& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

// A stream that gives out after N inflated bytes, at every N across a small directory.
TEST(DamagedDirectory, EveryTruncationOfTheInflatedStreamFailsCleanly) {
    std::string inflated = Body(kRec + kRec + kRec, 3) + Int32(0);
    for (std::size_t n = 0; n < inflated.size(); ++n) {
        vg::TMemoryStream s(std::string_view(inflated).substr(0, n));
        vg::TStrContainer c;
        EXPECT_THROW(c.LoadFromStream(&s), vg::EReadError) << "cut at " << n;
        EXPECT_LE(c.Count(), 3);
        for (int i = 0; i < c.Count(); ++i) {
            int lines = c.GetItem(i)->Lines().Count();
            EXPECT_TRUE(lines == 4 || lines == 0) << "cut at " << n; // never a record of garbage
        }
    }
}

TEST(DamagedDirectory, EveryTruncationOfTheBuiltInCompressedDataFailsCleanly) {
    std::string_view all = vg::BuiltinDirectory();
    for (std::size_t n :
         {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{100}, all.size() / 3, all.size() * 9 / 10}) {
        vg::TStrContainer c;
        EXPECT_THROW(vg::LoadDirectory(c, all.substr(0, n)), vg::Exception) << "cut at " << n;
    }
}

} // namespace
