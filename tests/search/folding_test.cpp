#include "search/folding.h"
#include "testdata.h"

#include <gtest/gtest.h>

namespace {

using vg::FoldKind;
using vg::test::W;

struct Fold {
    FoldKind kind;
    const char* text; // UTF-8
    const char* folded;
};

// Each rule with the neighbours a slip would break; folding a second time changes nothing.
TEST(Folding, EachKindFoldsWhatCallersVary) {
    const Fold table[] = {
        {FoldKind::Digits, "21 39 18", "213918"},
        {FoldKind::Digits, "(21) 39-18", "213918"},
        {FoldKind::Digits, "21.39.18", "213918"},
        {FoldKind::Digits, "+2_1", "21"},
        {FoldKind::Digits, "2 1*3 ?", "21*3?"},
        {FoldKind::Digits, "2[1-3] 4", "2[1-3]4"},
        {FoldKind::Digits, "[! -]5", "[! -]5"},
        {FoldKind::Digits, "5[1 2", "5[1 2"},
        {FoldKind::Digits, "иванов ё", "ИВАНОВЕ"},
        {FoldKind::Words, "кинотеатр \"родина\"", "КИНОТЕАТР РОДИНА"},
        {FoldKind::Words, "«Родина» „X“ ‘y’ 'z' ”w”", "РОДИНА X Y Z W"},
        {FoldKind::Words, "иванова н. ф.", "ИВАНОВА Н.Ф."},
        {FoldKind::Words, "  ПР.  \t ЛЕНИНА\xC2\xA0 ", "ПР.ЛЕНИНА"},
        {FoldKind::Words, "a  b . c", "A B .C"},
        {FoldKind::Words, "\" . \"x", ".X"},
        {FoldKind::Words, "киселёв Ёж", "КИСЕЛЕВ ЕЖ"},
        {FoldKind::Words, "*\"А\"[\" ё]?", "*А[\" Е]?"},
        {FoldKind::Address, "8а/1 ё \"", "8А/1 Е \""},
    };
    for (const Fold& f : table) {
        const std::string folded = vg::FoldForMatch(f.kind, W(f.text));
        EXPECT_EQ(folded, W(f.folded)) << f.text;
        EXPECT_EQ(vg::FoldForMatch(f.kind, folded), folded) << f.text;
        std::vector<std::uint32_t> origin;
        std::string out;
        vg::FoldForMatch(f.kind, W(f.text), out, &origin);
        ASSERT_EQ(origin.size(), out.size());
        for (std::size_t k = 0; k < out.size(); ++k) // a blank may stand for a run of them
            EXPECT_TRUE(out[k] == ' ' || vg::FoldChar(static_cast<unsigned char>(W(f.text)[origin[k]])) ==
                                             static_cast<unsigned char>(out[k]))
                << f.text << " at " << k;
        for (std::size_t limit = 0; limit <= folded.size() + 1; ++limit) {
            vg::FoldPrefixForMatch(f.kind, W(f.text), limit, out);
            EXPECT_EQ(out, folded.substr(0, limit)) << f.text << " limit " << limit;
        }
    }
}

// Houses and flats in the order an address is read; each pair of the list compares as its places do.
TEST(Folding, AddressNumbersReadAsAnAddress) {
    const std::vector<std::vector<const char*>> ranks = {
        {"", "0", "00"}, {"КОРП"}, {"1"},           {"7-9"}, {"8", "08", " 8"},
        {"8а", "8 А"},   {"8Б"},   {"8/1", "8/01"}, {"8/2"}, {"8/10"},
        {"9"},           {"10"},   {"50"},          {"52А"}, {"99999999999"},
    };
    for (std::size_t i = 0; i < ranks.size(); ++i)
        for (std::size_t j = 0; j < ranks.size(); ++j)
            for (const char* a : ranks[i])
                for (const char* b : ranks[j]) {
                    const int expected = i < j ? -1 : i > j ? 1 : 0;
                    EXPECT_EQ(vg::CompareAddress(W(a), W(b)), expected) << a << " vs " << b;
                }
    EXPECT_EQ(vg::ReadAddressNumber("99999999999").number, 4294967295u);
}

} // namespace
