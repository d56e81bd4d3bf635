#include "search/criteria.h"
#include "testdata.h"

#include <gtest/gtest.h>

namespace {

using vg::test::W;

TEST(StringRoutines, TrimBlanksRemovesTheSixBlanksAtBothEndsOnly) {
    EXPECT_EQ(vg::TrimBlanks(std::string("\0\b\t\n\r A B \r\n\t", 13)), "A B");
    EXPECT_EQ(vg::TrimBlanks("   "), "");
    EXPECT_EQ(vg::TrimBlanks("\vA\f"), "\vA\f"); // vertical tab and form feed are not blanks here
}

TEST(StringRoutines, ReplaceOnceAndEvery) {
    int pos = 1;
    EXPECT_EQ(vg::ReplaceOnce("aXa", "a", "bb", pos), "bbXa");
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(vg::ReplaceOnce("bbXa", "a", "bb", pos), "bbXbb");
    EXPECT_EQ(pos, 6);
    int before = 6;
    EXPECT_EQ(vg::ReplaceOnce("bbXbb", "a", "c", pos), "bbXbb");
    EXPECT_EQ(pos, before);
    pos = -5; // counts as 1
    EXPECT_EQ(vg::ReplaceOnce("Xx", "x", "", pos), "x");
    EXPECT_EQ(vg::ReplaceEvery("aa", "a", "ba"), "baba");
    EXPECT_EQ(vg::ReplaceEvery("--1-", "-", ""), "1");
    EXPECT_EQ(vg::ReplaceEvery(W("Ёлка ёЛКА"), W("ё"), W("Е")), W("Елка ЕЛКА"));
    EXPECT_EQ(vg::ReplaceEvery("abc", "", "x"), "abc");
}

TEST(Criteria, PhoneTextLosesDashesBlanksAndUnderscoresInThatOrder) {
    EXPECT_EQ(vg::PrepareCriterionText(vg::crPhone, "1-23-45"), "12345");
    EXPECT_EQ(vg::PrepareCriterionText(vg::crPhone, "-12-34"), "1234");
    EXPECT_EQ(vg::PrepareCriterionText(vg::crPhone, "  12_34 "), "1234");
    EXPECT_EQ(vg::PrepareCriterionText(vg::crPhone, "12 _"), "12 ");
    EXPECT_EQ(vg::PrepareCriterionText(vg::crPhone, "_ _"), " ");
    EXPECT_EQ(vg::PrepareCriterionText(vg::crStreet, W("  абв ")), W("АБВ"));
    EXPECT_EQ(vg::PrepareCriterionText(vg::crUser, " abc"), "ABC");
    EXPECT_EQ(vg::PrepareCriterionText(vg::crStreet, "1-2"), "1-2");
    EXPECT_EQ(vg::PrepareCriterionText(vg::crUser, std::string(90, 'x')), std::string(80, 'X'));
}

TEST(Criteria, ACriterionIsSetOnlyWithTextAndASelection) {
    std::array<vg::TCriterionInput, vg::kCriterionCount> in;
    in[vg::crPhone] = {"- _ -", 3};
    in[vg::crStreet] = {W("лен"), 1};
    in[vg::crHouse] = {"", 4};
    in[vg::crFlat] = {"12", -1};
    in[vg::crUser] = {"_ _", 0};
    vg::TCriteria c = vg::ReadCriteria(in);
    EXPECT_EQ(c.Conditions[vg::crPhone], 0);
    EXPECT_EQ(c.Conditions[vg::crStreet], 2);
    EXPECT_EQ(c.Texts[vg::crStreet], W("ЛЕН"));
    EXPECT_EQ(c.Conditions[vg::crHouse], 0);
    EXPECT_EQ(c.Conditions[vg::crFlat], 0);
    EXPECT_EQ(c.Texts[vg::crFlat], "12"); // stored whatever the condition
    EXPECT_EQ(c.Conditions[vg::crUser], 1);
}

TEST(Criteria, AWildcardSelectsTheMaskConditionInOneDirectionOnly) {
    EXPECT_EQ(vg::ConditionAfterEdit("AB*", 1), vg::kFitsMaskIndex);
    EXPECT_EQ(vg::ConditionAfterEdit("A?", -1), vg::kFitsMaskIndex);
    EXPECT_EQ(vg::ConditionAfterEdit("A?", vg::kNotFitsMaskIndex), vg::kNotFitsMaskIndex);
    EXPECT_EQ(vg::ConditionAfterEdit("AB", vg::kFitsMaskIndex), vg::kFitsMaskIndex);
    EXPECT_EQ(vg::ConditionAfterEdit("[AB", 0), 0);
}

} // namespace
