#include "directory/cp1251.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cwctype>
#include <iconv.h>

namespace {

// The code point glibc's converter gives for one Windows-1251 byte, or 0xFFFFFFFF when it has none.
char32_t IconvCodePoint(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-32LE", "CP1251");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[8] = {};
    char* inp = in;
    char* outp = reinterpret_cast<char*>(out);
    size_t inLeft = 1, outLeft = sizeof out;
    size_t rc = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return 0xFFFFFFFF;
    return out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
}

std::string Utf8(char32_t c) {
    if (c < 0x80) return std::string(1, static_cast<char>(c));
    if (c < 0x800) return {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    return {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

TEST(Cp1251, EveryByteAgreesWithIconvAndRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        auto byte = static_cast<unsigned char>(b);
        char32_t expected = IconvCodePoint(byte);
        if (b == 0x98) {
            // Unassigned in the code page: carried as U+0098 so that it survives a round trip.
            EXPECT_EQ(vg::cp1251::ToUnicode(byte), U'\u0098');
        } else {
            EXPECT_EQ(vg::cp1251::ToUnicode(byte), expected) << "byte " << b;
        }
        std::string one(1, static_cast<char>(byte)), back;
        ASSERT_TRUE(vg::cp1251::FromUtf8(vg::cp1251::ToUtf8(one), back)) << "byte " << b;
        EXPECT_EQ(back, one);
    }
}

TEST(Cp1251, CasingAgreesWithTheUnicodeLocaleOverAllBytes) {
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    for (int b = 0; b < 256; ++b) {
        auto byte = static_cast<unsigned char>(b);
        char32_t cp = vg::cp1251::ToUnicode(byte);
        for (bool upper : {true, false}) {
            auto mapped = static_cast<char32_t>(upper ? std::towupper(static_cast<wint_t>(cp))
                                                      : std::towlower(static_cast<wint_t>(cp)));
            std::string expected(1, static_cast<char>(byte));
            // A letter whose other case the code page lacks (such as µ) stays as it is.
            std::string converted;
            if (mapped != cp && vg::cp1251::FromUtf8(Utf8(mapped), converted)) expected = converted;
            unsigned char got = upper ? vg::cp1251::Upper(byte) : vg::cp1251::Lower(byte);
            EXPECT_EQ(got, static_cast<unsigned char>(expected[0])) << (upper ? "upper " : "lower ") << b;
        }
    }
    std::setlocale(LC_CTYPE, "C");
}

TEST(Cp1251, NamedLettersFoldBothWays) {
    std::string small, capital;
    ASSERT_TRUE(vg::cp1251::FromUtf8("abzабвэюяёђѓљњќћџўјґєѕії", small));
    ASSERT_TRUE(vg::cp1251::FromUtf8("ABZАБВЭЮЯЁЂЃЉЊЌЋЏЎЈҐЄЅІЇ", capital));
    EXPECT_EQ(vg::cp1251::Upper(small), capital);
    EXPECT_EQ(vg::cp1251::Lower(capital), small);
}

TEST(Cp1251, RejectsWhatTheCodePageCannotHold) {
    std::string out;
    EXPECT_FALSE(vg::cp1251::FromUtf8("日本", out));
    EXPECT_FALSE(vg::cp1251::FromUtf8("\xC3\x28", out)); // broken sequence
    EXPECT_FALSE(vg::cp1251::FromUtf8("\xC0\xAF", out)); // overlong '/'
    EXPECT_FALSE(vg::cp1251::FromUtf8("ä", out));        // Latin-1 letter outside the code page
    EXPECT_TRUE(vg::cp1251::FromUtf8("№ «» €", out));
    EXPECT_EQ(out, "\xB9 \xAB\xBB \x88");
}

} // namespace
