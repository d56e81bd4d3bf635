#include "search/criteria.h"
#include "testdata.h"

#include <gtest/gtest.h>

namespace {

using vg::test::W;

TEST(Criteria, TrimmingRemovesTheSixBlanksAtBothEndsOnly) {
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::Street, std::string("\0\b\t\n\r A B \r\n\t", 13)), "A B");
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::House, "   "), "");
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::User, "\vA\f"), "\vA\f"); // vertical tab and form feed stay
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

struct Prepared {
    std::string typed, prepared;
    std::vector<std::uint32_t> origin;
};

void PrintTo(const Prepared& p, std::ostream* os) {
    *os << "'" << p.typed << "'";
}

class PhoneMasks : public ::testing::TestWithParam<Prepared> {};

// '-' and '_' go only outside a mask's sets; each prepared character keeps where it was typed.
TEST_P(PhoneMasks, KeepTheirSets) {
    const Prepared& p = GetParam();
    const vg::TPreparedCriterion got = vg::PrepareCriterion(vg::Field::Phone, p.typed);
    EXPECT_EQ(got.text, p.prepared);
    EXPECT_EQ(got.origin, p.origin);
}

INSTANTIATE_TEST_SUITE_P(
    Criteria, PhoneMasks,
    ::testing::Values(Prepared{"[2-4]*", "[2-4]*", {0, 1, 2, 3, 4, 5}}, Prepared{"2-13-95", "21395", {0, 2, 3, 5, 6}},
                      Prepared{"[2-4]-1_[_0]", "[2-4]1[_0]", {0, 1, 2, 3, 4, 6, 8, 9, 10, 11}},
                      Prepared{"1-[!-5]", "1[!-5]", {0, 2, 3, 4, 5, 6}},
                      Prepared{"[A-]]-1", "[A-]]1", {0, 1, 2, 3, 4, 6}}, // the range ends at the ']'
                      Prepared{"[A-]_]-1", "[A-]_]1", {0, 1, 2, 3, 4, 5, 7}},
                      Prepared{"-1[2-_3", "1[2-_3", {1, 2, 3, 4, 5, 6}}, // never closed: kept as typed
                      Prepared{"[]-", "[]", {0, 1}}, Prepared{" - [1-2] _", "[1-2] ", {3, 4, 5, 6, 7, 8}},
                      Prepared{"_ 1-2 _", " 12 ", {1, 2, 4, 5}}));

TEST(Criteria, PhonePreparationIsLinearInDashes) {
    const std::string dashes(100000, '-');
    EXPECT_EQ(vg::PrepareCriterionText(vg::Field::Phone, dashes + "12" + dashes + "3"), "123");
    const std::string set = vg::PrepareCriterionText(vg::Field::Phone, "[1" + dashes);
    EXPECT_EQ(set, "[1" + std::string(78, '-')); // an open set keeps them, up to the capacity
}

TEST(Criteria, TypedPositionsCountInTheTextAsTyped) {
    const vg::TPreparedCriterion p = vg::PrepareCriterion(vg::Field::Phone, "  1-2-[9-0]  ");
    ASSERT_EQ(p.text, "12[9-0]");
    EXPECT_EQ(vg::TypedPosition(p.origin, 1), 3);
    EXPECT_EQ(vg::TypedPosition(p.origin, 4), 8);  // the '9'
    EXPECT_EQ(vg::TypedPosition(p.origin, 7), 11); // the ']'
    EXPECT_EQ(vg::TypedPosition(p.origin, 8), 12); // past the prepared text: after its last typed character
    EXPECT_EQ(vg::TypedPosition(p.origin, 20), 12);
    const vg::TPreparedCriterion street = vg::PrepareCriterion(vg::Field::Street, W("\t ул. [я-а]"));
    EXPECT_EQ(street.text, W("УЛ. [Я-А]"));
    EXPECT_EQ(vg::TypedPosition(street.origin, 6), 8);
    EXPECT_EQ(vg::TypedPosition({}, 6), 6); // nothing known: as given
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
    EXPECT_EQ(c.Typed[vg::Index(vg::Field::Street)], W("лен"));
    EXPECT_EQ(c.Origins[vg::Index(vg::Field::Phone)], std::vector<std::uint32_t>{});
    EXPECT_EQ(c.Origins[vg::Index(vg::Field::User)], (std::vector<std::uint32_t>{0, 1, 2})); // only the phone loses "_"
    EXPECT_EQ(c.Origins[vg::Index(vg::Field::Flat)], (std::vector<std::uint32_t>{0, 1}));
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
