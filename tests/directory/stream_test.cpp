#include "directory/errors.h"
#include "directory/zlibreference.h"
#include "directory/zstream.h"
#include "testdata.h"

#include <gtest/gtest.h>

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

} // namespace
