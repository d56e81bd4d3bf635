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
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::Phone, "1-23-45"), "12345");
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::Phone, "-12-34"), "1234");
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::Phone, "  12_34 "), "1234");
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::Phone, "12 _"), "12 ");
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::Phone, "_ _"), " ");
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::Street, W("  абв ")), W("АБВ"));
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::User, " abc"), "ABC");
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::Street, "1-2"), "1-2");
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::User, std::string(90, 'x')), std::string(80, 'X'));
}

TEST(Criteria, ACriterionIsSetOnlyWithTextAndASelection) {
    std::array<vg::TCriterionInput, vg::kCriterionCount> in;
    in[vg::Index(vg::Field::Phone)] = {"- _ -", vg::ItemOf(vg::MatchCondition::Equal)};
    in[vg::Index(vg::Field::Street)] = {W("лен"), vg::ItemOf(vg::MatchCondition::Contains)};
    in[vg::Index(vg::Field::House)] = {"", vg::ItemOf(vg::MatchCondition::Greater)};
    in[vg::Index(vg::Field::Flat)] = {"12", -1};
    in[vg::Index(vg::Field::User)] = {"_ _", vg::ItemOf(vg::MatchCondition::BeginsWith)};
    vg::TCriteria c = vg::ReadCriteria(in);
    EXPECT_EQ(c.Condition(vg::Field::Phone), vg::MatchCondition::NoCondition);
    EXPECT_EQ(c.Condition(vg::Field::Street), vg::MatchCondition::Contains);
    EXPECT_EQ(c.Text(vg::Field::Street), W("ЛЕН"));
    EXPECT_EQ(c.Condition(vg::Field::House), vg::MatchCondition::NoCondition);
    EXPECT_EQ(c.Condition(vg::Field::Flat), vg::MatchCondition::NoCondition);
    EXPECT_EQ(c.Text(vg::Field::Flat), "12"); // stored whatever the condition
    EXPECT_EQ(c.Condition(vg::Field::User), vg::MatchCondition::BeginsWith);
}

TEST(Criteria, AWildcardSelectsTheMaskConditionInOneDirectionOnly) {
    EXPECT_EQ(vg::ConditionAfterEdit("AB*", 1), vg::ItemOf(vg::MatchCondition::FitsMask));
    EXPECT_EQ(vg::ConditionAfterEdit("A?", -1), vg::ItemOf(vg::MatchCondition::FitsMask));
    EXPECT_EQ(vg::ConditionAfterEdit("A?", vg::ItemOf(vg::MatchCondition::NotFitsMask)),
              vg::ItemOf(vg::MatchCondition::NotFitsMask));
    EXPECT_EQ(vg::ConditionAfterEdit("AB", vg::ItemOf(vg::MatchCondition::FitsMask)),
              vg::ItemOf(vg::MatchCondition::FitsMask));
    EXPECT_EQ(vg::ConditionAfterEdit("[AB", 0), 0);
}

} // namespace

namespace {

TEST(Conditions, ListItemsToolWordsAndCodesAgree) {
    // The numbering the criteria record stores: not set 0, then the list's order from 1.
    EXPECT_EQ(static_cast<int>(vg::MatchCondition::BeginsWith), 1);
    EXPECT_EQ(static_cast<int>(vg::MatchCondition::FitsMask), 9);
    EXPECT_EQ(static_cast<int>(vg::MatchCondition::NotEqual), 11);
    EXPECT_EQ(vg::ConditionAt(-1), vg::MatchCondition::NoCondition);
    EXPECT_EQ(vg::ConditionAt(vg::kConditionCount), vg::MatchCondition::NoCondition);
    for (int item = 0; item < vg::kConditionCount; ++item) {
        const vg::MatchCondition c = vg::ConditionAt(item);
        EXPECT_EQ(vg::ItemOf(c), item);
        EXPECT_EQ(vg::ConditionNamed(vg::InfoOf(c).word), c);
    }
    EXPECT_EQ(vg::ConditionNamed("bogus"), vg::MatchCondition::NoCondition);
    EXPECT_EQ(vg::InfoOf(vg::MatchCondition::FitsMask).caption, "подходит к маске (*, ?)");
    EXPECT_EQ(vg::InfoOf(vg::MatchCondition::Greater).kind, vg::ConditionKind::Order);
    EXPECT_TRUE(vg::InfoOf(vg::Field::House).numeric && vg::InfoOf(vg::Field::Flat).numeric);
    EXPECT_FALSE(vg::InfoOf(vg::Field::Phone).numeric || vg::InfoOf(vg::Field::Street).numeric ||
                 vg::InfoOf(vg::Field::User).numeric);
}

} // namespace
