#include "directory/errors.h"
#include "directory/limits.h"
#include "directory/stream.h"
#include "directory/zlibreference.h"
#include "directory/zstream.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace {

std::string Deflate(const std::string& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
              static_cast<uLong>(plain.size()), 9);
    out.resize(size);
    return out;
}

std::string Plain(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>((i * 7919) % 251));
    return s;
}

TEST(DecompressionStream, DeliversTheInflatedBytesInAnyPieces) {
    std::string plain = Plain(300000); // more than several input and output chunks
    std::string packed = Deflate(plain);
    for (std::size_t piece : {1u, 7u, 4096u, 65536u, 200000u}) {
        vg::TMemoryStream source(packed);
        vg::TDecompressionStream z(source);
        std::string got, buf(piece, '\0');
        while (std::size_t n = z.Read(buf.data(), piece))
            got.append(buf, 0, n);
        EXPECT_EQ(got, plain) << "piece " << piece;
        EXPECT_EQ(z.Position(), static_cast<std::int64_t>(plain.size()));
    }
}

TEST(DecompressionStream, HasNoLengthButKnowsWhatRemains) {
    std::string packed = Deflate("abc");
    vg::TMemoryStream source(packed);
    vg::TDecompressionStream z(source);
    try {
        (void)z.Size();
        FAIL() << "Size must fail";
    } catch (const vg::EStreamError& e) {
        EXPECT_STREQ(e.what(), "Invalid stream operation");
    }
    EXPECT_TRUE(z.HasAtLeast(3));
    EXPECT_FALSE(z.HasAtLeast(4));
    char c[3];
    EXPECT_EQ(z.Read(c, 3), 3u);
    EXPECT_EQ(std::string(c, 3), "abc");
    EXPECT_FALSE(z.HasAtLeast(1));
}

TEST(DecompressionStream, DamagedDataFailsWithTheDecompressionError) {
    std::string packed = Deflate(Plain(100000));
    packed[packed.size() / 2] = static_cast<char>(packed[packed.size() / 2] ^ 0x55);
    packed[packed.size() / 2 + 1] = static_cast<char>(packed[packed.size() / 2 + 1] ^ 0x55);
    vg::TMemoryStream source(packed);
    vg::TDecompressionStream z(source);
    std::string buf(1 << 20, '\0');
    try {
        while (z.Read(buf.data(), buf.size()) > 0) {
        }
        FAIL() << "the damage must be noticed (at the latest by the checksum)";
    } catch (const vg::EZDecompressionError& e) {
        EXPECT_TRUE(std::string(e.what()) == "error" || std::string(e.what()) == vg::EChecksumError().what())
            << e.what();
    }
}

TEST(DecompressionStream, TruncatedDataEndsShortAndAFailingSourcePassesItsErrorOn) {
    std::string plain = Plain(200000);
    std::string packed = Deflate(plain);
    vg::TMemoryStream source(std::string_view(packed).substr(0, packed.size() / 2));
    vg::TDecompressionStream z(source);
    std::string buf(plain.size(), '\0');
    std::size_t got = z.Read(buf.data(), buf.size());
    EXPECT_LT(got, plain.size());
    EXPECT_EQ(buf.substr(0, got), plain.substr(0, got));

    // A source failing after 1,000 bytes: what they inflate to first, then the source's error, every time.
    vg::test::TFailingSource failing(packed, 1000);
    vg::TDecompressionStream z2(failing);
    got = z2.Read(buf.data(), buf.size());
    EXPECT_GT(got, 0u);
    EXPECT_LT(got, plain.size());
    EXPECT_EQ(buf.substr(0, got), plain.substr(0, got));
    EXPECT_THROW(z2.Read(buf.data(), buf.size()), vg::Exception);
    EXPECT_THROW(z2.Read(buf.data(), 1), vg::Exception);
}

TEST(Stream, ReadStringOfAHugeLengthAllocatesOnlyWhatArrives) {
    std::string few(10, 'x');
    vg::TMemoryStream s(few);
    // 2 GiB asked, ten bytes there: a clear error, never an allocation of the asked size.
    EXPECT_THROW(s.ReadString(2147483647u, "a record's text"), vg::EReadError);
}

// What a reader may count on before reading in place: InPlaceLeft bytes are handed out in one piece, one more
// is not, through a limit as well as without one, and a stream that inflates hands out none.
TEST(Stream, InPlaceLeftIsWhatReadInPlaceCanStillHandOut) {
    const std::string bytes = Plain(100);
    const std::string deflated = Deflate(bytes);
    struct Row {
        bool limited, inflating;
        std::int64_t limit;
        std::size_t before; // bytes read in place first
    };
    for (const Row& row : {Row{false, false, 0, 0}, Row{false, false, 0, 37}, Row{false, false, 0, 100},
                           Row{true, false, 60, 0}, Row{true, false, 60, 25}, Row{true, false, 60, 60},
                           Row{true, false, 500, 10}, Row{false, true, 0, 0}, Row{true, true, 500, 0}}) {
        SCOPED_TRACE(testing::Message() << row.limited << row.inflating << ' ' << row.limit << ' ' << row.before);
        vg::TMemoryStream plain(row.inflating ? std::string_view(deflated) : std::string_view(bytes));
        vg::TDecompressionStream zlib(plain);
        vg::TStream& source = row.inflating ? static_cast<vg::TStream&>(zlib) : plain;
        vg::TLimitedStream limited(source, row.limit, "The data");
        vg::TStream& s = row.limited ? static_cast<vg::TStream&>(limited) : source;
        if (row.before > 0) {
            ASSERT_EQ(s.ReadInPlace(row.before).size(), row.before);
        }
        const std::size_t left = s.InPlaceLeft();
        const auto end = row.limited ? std::min(bytes.size(), static_cast<std::size_t>(row.limit)) : bytes.size();
        EXPECT_EQ(left, row.inflating ? 0 : end - row.before);
        EXPECT_TRUE(s.ReadInPlace(left + 1).empty());
        const std::string_view all = s.ReadInPlace(left);
        EXPECT_EQ(all, left == 0 ? std::string_view{} : std::string_view(bytes).substr(row.before, left));
    }
}

} // namespace
