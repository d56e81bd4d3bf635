#include "directory/errors.h"
#include "directory/loader.h"
#include "directory/loadoutcome.h"
#include "directory/zlibreference.h"
#include "directory/zstream.h"
#include "resources/builtin_directory.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include "directory/filestream.h"
#include "directory/limits.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <zlib.h>

namespace {

using vg::test::Int32;

std::string Body(const std::string& records, std::int32_t count) {
    return Int32(count) + Int32(0) + records;
}
std::string Rec(const std::string& key, const std::string& text) {
    return Int32(static_cast<std::int32_t>(key.size())) + Int32(static_cast<std::int32_t>(text.size())) + Int32(0) +
           key + text;
}
// Sixteen lines (the most a record has), the first `street` bytes long and every other at its field's limit.
std::string AtLimits(std::size_t street) {
    std::string text =
        std::string(street, 'S') + "\r\n" + std::string(32, '1') + "\r\n" + std::string(32, '2') + "\r\n";
    for (int k = 3; k < 16; ++k)
        text += std::string(80, 'U') + "\r\n";
    return text;
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
    // Through a master copy: the same records and the same error on the first load and on every later one.
    vg::TDirectoryMaster master(d.bytes);
    for (int load = 0; load < 2; ++load) {
        vg::TStrContainer m;
        try {
            master.Load(m);
            EXPECT_FALSE(d.fails) << d.name << " loaded without an error, load " << load;
        } catch (const vg::Exception& e) {
            EXPECT_TRUE(d.fails) << d.name << ": " << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(d.text, 0), 0u) << d.name << ": " << e.what();
        }
        EXPECT_EQ(m.Count(), d.records) << d.name << ", load " << load;
    }
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
        // zlib hands out the changed byte and notices only at the checksum: nothing of the file is kept.
        Damaged{"changed literal found only by the checksum", Flipped(kGood, 12), true, 0, "The checksum at the end"},
        Damaged{"no checksum", kGood.substr(0, kGood.size() - 6), true, 2, "The directory data ends early: the"},
        Damaged{"negative count", Zip(Body("", -5)), false, 0, ""},
        Damaged{"oversized count", Zip(Body(kRec, 2147483647)), true, 0,
                "The directory claims 2,147,483,647 records, more than the limit of 10,000,000"},
        Damaged{"count just over the limit", Zip(Body(kRec, 10'000'001)), true, 0,
                "The directory claims 10,000,001 records, more than the limit of 10,000,000"},
        Damaged{"count at the limit", Zip(Body(kRec, 10'000'000)), true, 1, "The directory data ends early"},
        Damaged{"stream ends before its records", Zip(Body(kRec, 3)), true, 1, "The directory data ends early"},
        Damaged{"key length 2147483647", Zip(Body(Int32(2147483647) + Int32(0) + Int32(0) + "123", 1)), true, 0,
                "A record's key is 2,147,483,647 bytes long, more than the limit of 32"},
        Damaged{"key over its limit", Zip(Body(Rec(std::string(33, '7'), "A\r\n"), 1) + Int32(0)), true, 0,
                "A record's key is 33 bytes long, more than the limit of 32"},
        Damaged{"text length 2147483647", Zip(Body(Int32(0) + Int32(2147483647) + Int32(0) + "abc", 1)), true, 0,
                "A record's text is 2,147,483,647 bytes long, more than the limit of 1,312"},
        Damaged{"text of 1,313 line breaks", Zip(Body(Rec("1", std::string(1313, '\n')), 1) + Int32(0)), true, 0,
                "A record's text is 1,313 bytes long, more than the limit of 1,312"},
        // Every limit of a record at once: the longest key, and the most lines, each at its longest.
        Damaged{"a record at every limit", Zip(Body(Rec(std::string(32, '7'), AtLimits(80)), 2) + Int32(0)), true, 1,
                "The directory data ends early"},
        Damaged{"a record at every limit twice",
                Zip(Body(Rec(std::string(32, '7'), AtLimits(80)) + Rec("", AtLimits(80)), 2) + Int32(0)), false, 2, ""},
        Damaged{"a street over its limit", Zip(Body(Rec("1", AtLimits(81)), 1) + Int32(0)), true, 0,
                "A record's street is 81 bytes long, more than the limit of 80"},
        Damaged{"17 lines", Zip(Body(Rec("1", std::string(17, '\n')), 1) + Int32(0)), true, 0,
                "A record has more than 16 lines, the limit"},
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

// The inflated-size limit, checked on a small limit: the bytes up to it pass, the next one fails.
TEST(Limits, ALimitedStreamPassesBytesUpToItsLimitAndFailsBeyond) {
    std::string bytes(100, 'x');
    for (std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{99}, std::size_t{100}, std::size_t{1000}}) {
        vg::TMemoryStream inner(bytes);
        vg::TLimitedStream s(inner, static_cast<std::int64_t>(limit), "The data");
        char buf[7];
        std::size_t total = 0;
        try {
            while (std::size_t got = s.Read(buf, sizeof buf))
                total += got;
            EXPECT_GE(limit, bytes.size()) << limit;
            EXPECT_EQ(total, bytes.size());
        } catch (const vg::ELimitError& e) {
            EXPECT_LT(limit, bytes.size()) << limit;
            EXPECT_LE(total, limit);
            EXPECT_EQ(std::string(e.what()),
                      "The data is larger than the limit of " + std::to_string(limit) + " bytes");
        }
    }
}

TEST(Limits, GroupedNumbersMatchTheirDigits) {
    for (std::int64_t v : {0LL, 7LL, 999LL, 1000LL, 65536LL, 1234567LL, 10000000LL, 2147483647LL, -1234LL}) {
        std::string grouped = vg::GroupedNumber(v);
        std::string digits;
        for (char c : grouped)
            if (c != ',') digits += c;
        EXPECT_EQ(digits, std::to_string(v));
        // A comma before every third digit from the right, and nowhere else.
        std::size_t lastComma = grouped.rfind(',');
        if (std::abs(v) >= 1000)
            EXPECT_EQ(grouped.size() - lastComma - 1, 3u) << grouped;
        else
            EXPECT_EQ(lastComma, std::string::npos) << grouped;
    }
}

class FileStreamTest : public ::testing::Test {
protected:
    std::filesystem::path dir_ = std::filesystem::temp_directory_path() / ("vg-fs-" + std::to_string(::getpid()));
    void SetUp() override { std::filesystem::create_directories(dir_); }
    void TearDown() override { std::filesystem::remove_all(dir_); }
};

TEST_F(FileStreamTest, LoadsAFileAsTheBytesLoadAndRefusesWhatPassesItsLimit) {
    std::string path = (dir_ / "city.rcd").string();
    std::ofstream(path, std::ios::binary) << kGood;
    vg::TStrContainer c;
    vg::TFileStream s(path, static_cast<std::int64_t>(kGood.size()));
    vg::LoadDirectory(c, s);
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(c.GetKey(1), "12345");
    // A regular file is refused on its length, before a byte is read.
    try {
        vg::TFileStream small(path, static_cast<std::int64_t>(kGood.size()) - 1);
        ADD_FAILURE() << "a file over the limit was opened";
    } catch (const vg::ELimitError& e) {
        EXPECT_NE(std::string(e.what()).find("more than the limit of"), std::string::npos) << e.what();
    }
    // A device without a length is stopped as soon as it passes the limit.
    vg::TFileStream zero("/dev/zero", 1000);
    char buf[300];
    EXPECT_THROW(while (true) zero.Read(buf, sizeof buf), vg::ELimitError);
    EXPECT_LE(zero.Position(), 1200);
}

TEST_F(FileStreamTest, AReadErrorIsAnErrorAndAMissingFileNamesItself) {
    // Reading a folder fails with EISDIR: a read error that is not the end of the data.
    vg::TFileStream folder(dir_.string(), 1000);
    char buf[16];
    try {
        folder.Read(buf, sizeof buf);
        ADD_FAILURE() << "a read error was taken as the end of the data";
    } catch (const vg::EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot read " + dir_.string() + ": " + std::strerror(EISDIR));
    }
    std::string missing = (dir_ / "nowhere").string();
    try {
        vg::TFileStream s(missing, 1000);
        ADD_FAILURE() << "a missing file was opened";
    } catch (const vg::EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot open " + missing + ": " + std::strerror(ENOENT));
    }
}

} // namespace

namespace {

// Bits flipped and cuts across a packed directory of 2,000 records. A load that succeeds has every packed record;
// one that fails keeps the records read before damage zlib finds within the stream or before a cut, and nothing
// when the checksum at the end fails (a malformed record included). A master copy ends alike on every load.
TEST(DamagedDirectory, NoFlipIsEverAcceptedAndOnlyRecordsBeforeABreakAreKept) {
    const std::string packed = vg::test::Compressed(vg::test::BuiltinRecords(11, 2000));
    const vg::test::LoadOutcome sound = vg::test::LoadAndSee(std::string_view(packed));
    ASSERT_TRUE(sound.failure.empty() && sound.records.size() == 2000u) << sound.failure;
    std::mt19937 rng(5);
    std::vector<std::pair<std::size_t, int>> cases; // (byte, bit), bit -1 for a cut there
    for (std::size_t at = 0; at < packed.size(); at += 1 + rng() % (packed.size() / 120))
        cases.emplace_back(at, rng() % 2 ? -1 : static_cast<int>(rng() % 8));
    for (std::size_t back = 1; back <= 8; ++back) // the trailer and the padding after it, byte by byte
        cases.emplace_back(packed.size() - back, static_cast<int>(rng() % 8));
    for (auto [at, bit] : cases) {
        std::string damaged = bit < 0 ? packed.substr(0, at) : packed;
        if (bit >= 0) damaged[at] = static_cast<char>(damaged[at] ^ (1 << bit));
        const vg::test::TInflatedBytewise zlib = vg::test::InflateBytewise(damaged);
        vg::test::LoadOutcome want = vg::test::SeeLoad([&](vg::TStrContainer& c, const vg::ProgressCallback& p) {
            vg::TMemoryStream unbuffered(zlib.bytes);
            c.LoadFromStream(&unbuffered, p);
        });
        if (zlib.checksum) want.records.clear();
        const vg::test::LoadOutcome got = vg::test::LoadAndSee(std::string_view(damaged));
        const std::string where = (bit < 0 ? "cut at " : "flip at ") + std::to_string(at);
        EXPECT_EQ(got.failure.empty(), want.failure.empty() && zlib.ended) << where << ": " << got.failure;
        EXPECT_TRUE(got.records == want.records && got.reports == want.reports) << where;
        // Accepted only where nothing changes: the unused bits of the last deflate byte, the padding after it.
        EXPECT_TRUE(!got.failure.empty() || got.records == sound.records) << where << " was accepted with others";
        vg::TDirectoryMaster master(damaged);
        for (int load = 0; load < 2; ++load)
            EXPECT_TRUE(vg::test::SeeLoad(
                            [&](vg::TStrContainer& c, const vg::ProgressCallback& p) { master.Load(c, p); }) == got)
                << where << ", master load " << load;
    }
}

TEST(DamagedDirectory, DamagePastTheIndexCountIsFound) {
    // Only the Adler-32 trailer damaged: nothing of the city is kept.
    std::string city(vg::BuiltinDirectory());
    const std::size_t trailer = city.size() - 2 - 4; // the loader's two padding bytes follow the checksum
    city[trailer + 1] = static_cast<char>(city[trailer + 1] ^ 0x01);
    vg::TStrContainer c;
    EXPECT_THROW(vg::LoadDirectory(c, city), vg::EChecksumError);
    EXPECT_EQ(c.Count(), 0);

    // Some 300 KB of directory-like bytes after IndexCount, damaged in their compressed form where zlib notices
    // it, far beyond where the parser stops and within what one inflating step produces: the records stay.
    const std::string body = vg::SerializeDirectory(vg::test::BuiltinRecords(1, 2000));
    const std::string inflated = body + vg::SerializeDirectory(vg::test::BuiltinRecords(7, 6000));
    const std::string packed = vg::CompressDirectory(inflated);
    std::string damaged;
    for (std::size_t at = packed.size() / 2; at < packed.size() - 10 && damaged.empty(); at += 97) {
        std::string candidate = packed;
        candidate[at] = static_cast<char>(candidate[at] ^ 0xFF);
        const vg::test::TInflatedBytewise zlib = vg::test::InflateBytewise(candidate);
        if (zlib.bytes.size() > body.size() + 100000 && zlib.damaged && !zlib.checksum) damaged = candidate;
    }
    ASSERT_FALSE(damaged.empty()) << "no damage zlib notices mid-way";
    EXPECT_THROW(vg::LoadDirectory(c, damaged), vg::EZDecompressionError); // not the checksum: the records stay
    EXPECT_EQ(c.Count(), 2000);
}

} // namespace
