#include "directory/errors.h"
#include "directory/inflate.h"
#include "directory/limits.h"
#include "directory/loader.h"
#include "directory/loadoutcome.h"
#include "directory/writer.h"
#include "directory/zstream.h"
#include "resources/builtin_directory.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>
#include <zlib.h>

namespace {

// The stream inflated by the streaming reader, to its end or its failure.
std::string Streamed(std::string_view compressed, bool& failed) {
    vg::TMemoryStream source(compressed);
    vg::TDecompressionStream inflated(source);
    std::string out;
    failed = false;
    char piece[4096];
    try {
        for (std::size_t n; (n = inflated.Read(piece, sizeof piece)) > 0;)
            out.append(piece, n);
    } catch (const vg::Exception&) {
        failed = true;
    }
    return out;
}

std::string Deflated(const std::string& bytes, int windowBits, const std::string& dictionary = {}) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    if (!dictionary.empty())
        deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dictionary.data()),
                             static_cast<uInt>(dictionary.size()));
    std::string out(deflateBound(&z, static_cast<uLong>(bytes.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

TEST(InflateWhole, GivesTheStreamingReadersBytesForTheCityAndForWhatFollowsTheEnd) {
    const std::string_view city = vg::BuiltinDirectory();
    bool failed = true;
    const std::string expected = Streamed(city, failed);
    ASSERT_FALSE(failed);
    vg::TInflated out;
    ASSERT_TRUE(vg::InflateWhole(city, vg::limits::kInflatedBytes, out));
    EXPECT_EQ(out.View(), expected);
    // Bytes after the end of the stream are ignored by both.
    ASSERT_TRUE(vg::InflateWhole(std::string(city) + "trailing", vg::limits::kInflatedBytes, out));
    EXPECT_EQ(out.View(), expected);
    // The limit holds the whole: one byte less is past it.
    EXPECT_TRUE(vg::InflateWhole(city, static_cast<std::int64_t>(expected.size()), out));
    EXPECT_FALSE(vg::InflateWhole(city, static_cast<std::int64_t>(expected.size()) - 1, out));
    // A text that inflates to far more than its size makes the room grow.
    const std::string zeros(3'000'000, '\0');
    ASSERT_TRUE(vg::InflateWhole(Deflated(zeros, 15), vg::limits::kInflatedBytes, out));
    EXPECT_EQ(out.View(), zeros);
    ASSERT_TRUE(vg::InflateWhole(Deflated("", 15), vg::limits::kInflatedBytes, out));
    EXPECT_EQ(out.View(), "");
}

TEST(InflateWhole, LeavesToTheStreamingReaderWhatItDoesNotTakeWhole) {
    const std::string text = std::string(vg::BuiltinDirectory().substr(0, 20000));
    const std::string sound = Deflated(text, 15);
    vg::TInflated out;
    ASSERT_TRUE(vg::InflateWhole(sound, vg::limits::kInflatedBytes, out));
    std::string badSum = sound;
    badSum.back() = static_cast<char>(badSum.back() ^ 1);
    std::string damaged = sound;
    damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x55);
    for (const std::string& refused : {
             std::string(), std::string("x"), sound.substr(0, sound.size() - 1), sound.substr(0, sound.size() / 2),
             badSum, damaged, Deflated(text, 10),    // a smaller window than zlib's default
             Deflated(text, 15, "a dictionary"),     // a preset dictionary
             Deflated(text, -15), Deflated(text, 31) // raw deflate, gzip
         })
        EXPECT_FALSE(vg::InflateWhole(refused, vg::limits::kInflatedBytes, out)) << refused.size();
}

TEST(InflateWhole, ALoadFromMemoryEndsAsTheStreamingLoadOnEveryDamage) {
    // A small directory, damaged byte by byte, cut short and given a wrong checksum: the load that inflates a
    // sound stream whole leaves the same records, reports and failure as the streaming load of the same bytes.
    const std::string packed = vg::test::Compressed(vg::test::BuiltinRecords(97, 300));
    auto same = [](const std::string& bytes) {
        vg::TMemoryStream stream(bytes);
        const vg::test::LoadOutcome streamed = vg::test::LoadAndSee(stream);
        const vg::test::LoadOutcome whole = vg::test::LoadAndSee(std::string_view(bytes));
        return streamed == whole;
    };
    ASSERT_TRUE(same(packed));
    EXPECT_EQ(vg::test::LoadAndSee(std::string_view(packed)).records.size(), 300u);
    std::mt19937 random(7);
    for (std::size_t at = 0; at < packed.size(); at += 1 + random() % 23) {
        std::string flipped = packed;
        flipped[at] = static_cast<char>(flipped[at] ^ (1 << (random() % 8)));
        EXPECT_TRUE(same(flipped)) << "flipped at " << at;
        EXPECT_TRUE(same(packed.substr(0, at))) << "cut at " << at;
    }
}

TEST(InflateWhole, ALargeStreamHasItsPagesFaultedInWithoutAByteChanged) {
    // Large enough for the page thread: the memory handed to it keeps its bytes, the inflated bytes are the streaming
    // reader's, and the load that makes its room while inflating ends as the streaming load, its records handed on in
    // the same runs as ever (4,096 records, broken at the blocks of 65,536).
    std::mt19937 random(11);
    auto letters = [&random](std::size_t n) {
        std::string s(n, ' ');
        for (char& c : s)
            c = static_cast<char>('a' + random() % 26);
        return s;
    };
    std::vector<vg::DirectoryRecord> records(140000);
    for (vg::DirectoryRecord& r : records)
        r = {std::to_string(random() % 1000000), letters(20), letters(3), letters(2), letters(40)};
    const std::string bytes = Deflated(vg::SerializeDirectory(records), 15);
    ASSERT_GT(bytes.size(), std::size_t{6} << 20);
    std::string kept(std::size_t{8} << 20, 'k');
    std::vector<std::size_t> seen{0};
    vg::TInflated out;
    ASSERT_TRUE(vg::InflateWhole(bytes, vg::limits::kInflatedBytes, out,
                                 [&](std::string_view so_far, const vg::FreshMemory& fresh) {
                                     if (seen.size() == 1) fresh(kept.data(), kept.size());
                                     seen.push_back(so_far.size());
                                 }));
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()) && seen.size() > 2);
    EXPECT_EQ(kept.find_first_not_of('k'), std::string::npos);
    bool failed = true;
    EXPECT_TRUE(Streamed(bytes, failed) == out.View() && !failed);

    struct TRuns final : vg::IRecordSink {
        std::vector<std::size_t> sizes;
        void Take(std::span<const vg::TString> run, std::size_t) override { sizes.push_back(run.size()); }
        void Close(bool) noexcept override {}
    } runs;
    vg::TMemoryStream stream(bytes);
    EXPECT_EQ(vg::test::SeeLoad([&](vg::TStrContainer& c, const vg::ProgressCallback& p) {
                  vg::LoadDirectory(c, std::string_view(bytes), p, &runs);
              }),
              vg::test::LoadAndSee(stream));
    std::vector<std::size_t> expected;
    for (std::size_t block = 0; block < records.size(); block += 65536)
        for (std::size_t run = block; run < std::min(block + 65536, records.size()); run += 4096)
            expected.push_back(std::min({std::size_t{4096}, block + 65536 - run, records.size() - run}));
    EXPECT_EQ(runs.sizes, expected);
}

} // namespace
