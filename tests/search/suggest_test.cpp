#include "citygen.h"
#include "directory/cp1251.h"
#include "directory/loader.h"
#include "resources/builtin_directory.h"
#include "search/matching.h"
#include "search/prepared.h"
#include "search/searchrun.h"
#include "search/suggest.h"
#include "search/textvariants.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using vg::Field;
using vg::MatchCondition;
using vg::SuggestionKind;
using vg::test::W;

// One criterion as the operator types it (UTF-8).
struct Typed {
    Field field;
    MatchCondition condition;
    std::string text;
};

using Inputs = std::array<vg::TCriterionInput, vg::kCriterionCount>;

Inputs InputsOf(const std::vector<Typed>& typed) {
    Inputs inputs{};
    for (const Typed& t : typed)
        inputs[vg::Index(t.field)] = {W(t.text), vg::ItemOf(t.condition)};
    return inputs;
}

vg::TCriteria CriteriaOf(const std::vector<Typed>& typed) {
    return vg::ReadCriteria(InputsOf(typed));
}

// An advisor on a container that outlives it.
vg::TSearchAdvisor AdvisorOf(const vg::TStrContainer& container) {
    return vg::TSearchAdvisor(std::make_shared<const vg::TPreparedDirectory>(
        std::shared_ptr<const vg::TStrContainer>(std::shared_ptr<const vg::TStrContainer>(), &container)));
}

// The search itself, on the whole directory, with the criteria the window would read from its fields.
class Search : public vg::ISearchHost {
public:
    explicit Search(std::string_view bytes) : bytes_(bytes) {} // the bytes must outlive it
    std::int32_t Count(const Inputs& inputs) {
        inputs_ = inputs;
        vg::TStrContainer container;
        container_ = &container;
        return vg::RunSearch(container, *this).count;
    }
    void Reload() override { vg::LoadDirectory(*container_, bytes_); }
    vg::TCriteria ReadCriteria() override { return vg::ReadCriteria(inputs_); }

private:
    std::string_view bytes_;
    Inputs inputs_{};
    vg::TStrContainer* container_ = nullptr;
};

// The window's fields after a suggestion is taken: its text in its field, its condition selected.
Inputs Taken(Inputs inputs, const vg::TSuggestion& s) {
    inputs[vg::Index(s.field)] = {s.text, vg::ItemOf(s.condition)};
    for (Field field : s.cleared)
        inputs[vg::Index(field)] = {};
    return inputs;
}

// Whatever the explanation says, the search must say too: each criterion alone, all together, and each
// suggestion as the search it would run.
void ExpectTheSearchAgrees(Search& search, const Inputs& inputs, const vg::TExplanation& e) {
    const vg::TCriteria criteria = vg::ReadCriteria(inputs);
    std::size_t k = 0;
    for (Field field : vg::kFields) {
        if (criteria.Condition(field) == MatchCondition::NoCondition) continue;
        ASSERT_LT(k, e.criteria.size());
        EXPECT_EQ(e.criteria[k].field, field);
        Inputs alone{};
        alone[vg::Index(field)] = inputs[vg::Index(field)];
        EXPECT_EQ(e.criteria[k].count, search.Count(alone)) << e.criteria[k].description;
        ++k;
    }
    EXPECT_EQ(k, e.criteria.size());
    EXPECT_EQ(e.together, search.Count(inputs));
    EXPECT_LE(e.suggestions.size(), vg::TExplanation::kMaxSuggestions);
    if (e.together > 0) {
        EXPECT_TRUE(e.suggestions.empty());
    }
    for (std::size_t i = 0; i < e.suggestions.size(); ++i) {
        const vg::TSuggestion& s = e.suggestions[i];
        EXPECT_GT(s.count, 0) << s.description;
        EXPECT_EQ(s.count, search.Count(Taken(inputs, s))) << s.description;
        EXPECT_EQ(vg::ReadCriteria(Taken(inputs, s)).Texts, vg::Apply(criteria, s).Texts) << s.description;
        if (i > 0) {
            EXPECT_LE(e.suggestions[i - 1].kind, s.kind) << s.description;
        }
    }
}

const std::vector<vg::DirectoryRecord>& Small() {
    static const std::vector<vg::DirectoryRecord> records = {
        {"21395", W("ЛЕНИНА"), "10", "5", W("ИВАНОВ И.И.")},   {"21396", W("ЛЕНИНА"), "12", "", W("ПЕТРОВ П.")},
        {"31000", W("ПР. ЛЕНИНА"), "3", "7", W("ИВАНОВА А.")}, {"40001", W("МИРА"), "10", "", W("ФЕДОРОВ Ф.")},
        {"", W("ГАГАРИНА"), "1", "2", W("ООО \"VETA LTD\"")},  {"40002", W("ЛЕСНАЯ"), "5", "", W("СИДОРОВ С.")},
        {"50000", W("ЗЕЛЁНАЯ"), "1", "", W("СЁМИН С.")},       {"50001", W("ЗЕЛЕНАЯ"), "2", "", W("СЕМИН С.")},
    };
    return records;
}

struct CountCase {
    std::vector<Typed> typed;
    std::vector<std::int32_t> alone;
    std::int32_t together;
};

class Counts : public ::testing::TestWithParam<CountCase> {};

TEST_P(Counts, EachCriterionAloneAndAllTogether) {
    vg::TStrContainer container;
    vg::test::Fill(container, Small());
    const vg::TExplanation e = AdvisorOf(container).Explain(CriteriaOf(GetParam().typed));
    std::vector<std::int32_t> alone;
    for (const vg::TCriterionCount& c : e.criteria)
        alone.push_back(c.count);
    EXPECT_EQ(alone, GetParam().alone);
    EXPECT_EQ(e.together, GetParam().together);
}

INSTANTIATE_TEST_SUITE_P(SmallDirectory, Counts,
                         ::testing::Values(CountCase{{}, {}, 8},
                                           CountCase{{{Field::Street, MatchCondition::BeginsWith, "лен"}}, {2}, 2},
                                           CountCase{{{Field::Street, MatchCondition::BeginsWith, "ЛЕН"},
                                                      {Field::User, MatchCondition::Contains, "ПЕТРОВ"}},
                                                     {2, 1},
                                                     1},
                                           CountCase{{{Field::Street, MatchCondition::Contains, "ЛЕНИН"},
                                                      {Field::User, MatchCondition::Contains, "ИВАНОВ"}},
                                                     {3, 2},
                                                     2},
                                           CountCase{{{Field::Phone, MatchCondition::BeginsWith, "2-13"},
                                                      {Field::House, MatchCondition::Greater, "9"},
                                                      {Field::User, MatchCondition::Contains, "СИДОРОВ"}},
                                                     {2, 3, 1},
                                                     0},
                                           CountCase{{{Field::Street, MatchCondition::NotContains, "А"},
                                                      {Field::Flat, MatchCondition::Equal, "7"}},
                                                     {0, 1},
                                                     0},
                                           CountCase{{{Field::House, MatchCondition::LessOrEqual, "2"},
                                                      {Field::Flat, MatchCondition::FitsMask, "?"},
                                                      {Field::User, MatchCondition::NotEqual, "ООО \"VETA LTD\""}},
                                                     {3, 3, 7},
                                                     0}));

struct SuggestionCase {
    const char* name;
    std::vector<Typed> typed;
    SuggestionKind kind;
    Field field;
    MatchCondition condition;
    const char* text;        // UTF-8
    const char* description; // what the operator reads
};

// The best suggestion for empty searches on the city's directory.
class BestSuggestion : public ::testing::TestWithParam<SuggestionCase> {
protected:
    static const vg::TSearchAdvisor& Advisor() {
        static const vg::TSearchAdvisor advisor = AdvisorOf(vg::test::BuiltinContainer());
        return advisor;
    }
};

TEST_P(BestSuggestion, IsTheOneAnOperatorMeantAndFindsWhatItSays) {
    const SuggestionCase& c = GetParam();
    const Inputs inputs = InputsOf(c.typed);
    const vg::TExplanation e = Advisor().Explain(vg::ReadCriteria(inputs));
    EXPECT_EQ(e.together, 0);
    ASSERT_FALSE(e.suggestions.empty());
    const vg::TSuggestion& best = e.suggestions.front();
    EXPECT_EQ(best.kind, c.kind);
    EXPECT_EQ(best.field, c.field);
    EXPECT_EQ(best.condition, c.condition);
    EXPECT_EQ(best.text, W(c.text));
    EXPECT_EQ(best.description, c.description);
    Search search(vg::BuiltinDirectory());
    ExpectTheSearchAgrees(search, inputs, e);
}

INSTANTIATE_TEST_SUITE_P(City, BestSuggestion,
                         ::testing::Values(SuggestionCase{"latin_user",
                                                          {{Field::Street, MatchCondition::BeginsWith, "ЛЕН"},
                                                           {Field::User, MatchCondition::Contains, "bdfyjd"}},
                                                          SuggestionKind::Layout,
                                                          Field::User,
                                                          MatchCondition::Contains,
                                                          "ИВАНОВ",
                                                          "Абонент содержит «ИВАНОВ»"},
                                           SuggestionCase{"latin_street",
                                                          {{Field::Street, MatchCondition::BeginsWith, "ktybyf"},
                                                           {Field::House, MatchCondition::Equal, "15"}},
                                                          SuggestionKind::Layout,
                                                          Field::Street,
                                                          MatchCondition::BeginsWith,
                                                          "ЛЕНИНА",
                                                          "Улица начинается с «ЛЕНИНА»"},
                                           SuggestionCase{"latin_mask",
                                                          {{Field::User, MatchCondition::FitsMask, "bdfy*"}},
                                                          SuggestionKind::Layout,
                                                          Field::User,
                                                          MatchCondition::FitsMask,
                                                          "ИВАН*",
                                                          "Абонент подходит к маске (*, ?) «ИВАН*»"},
                                           SuggestionCase{"russian_for_latin_name",
                                                          {{Field::User, MatchCondition::Contains, "МУЕФ"}},
                                                          SuggestionKind::Layout,
                                                          Field::User,
                                                          MatchCondition::Contains,
                                                          "VETA",
                                                          "Абонент содержит «VETA»"},
                                           SuggestionCase{"misspelt_street",
                                                          {{Field::Street, MatchCondition::BeginsWith, "ЛЕНЕНА"}},
                                                          SuggestionKind::NearName,
                                                          Field::Street,
                                                          MatchCondition::BeginsWith,
                                                          "ЛЕНИНА",
                                                          "Улица начинается с «ЛЕНИНА»"},
                                           // ЛЕНИНГ is as near, but ЛЕНИНА finds far more.
                                           SuggestionCase{"misspelt_street_most_found_first",
                                                          {{Field::Street, MatchCondition::BeginsWith, "ЛЕНИНО"}},
                                                          SuggestionKind::NearName,
                                                          Field::Street,
                                                          MatchCondition::BeginsWith,
                                                          "ЛЕНИНА",
                                                          "Улица начинается с «ЛЕНИНА»"},
                                           SuggestionCase{"misspelt_street_prefix",
                                                          {{Field::Street, MatchCondition::BeginsWith, "КОСМАН"}},
                                                          SuggestionKind::NearName,
                                                          Field::Street,
                                                          MatchCondition::BeginsWith,
                                                          "КОСМОН",
                                                          "Улица начинается с «КОСМОН»"},
                                           SuggestionCase{"misspelt_surname",
                                                          {{Field::User, MatchCondition::Contains, "ИВАНАВ"}},
                                                          SuggestionKind::NearName,
                                                          Field::User,
                                                          MatchCondition::Contains,
                                                          "ИВАНОВ",
                                                          "Абонент содержит «ИВАНОВ»"},
                                           SuggestionCase{"misspelt_street_equal",
                                                          {{Field::Street, MatchCondition::Equal, "ЧАПАВЕА"}},
                                                          SuggestionKind::NearName,
                                                          Field::Street,
                                                          MatchCondition::Equal,
                                                          "ЧАПАЕВА",
                                                          "Улица равно «ЧАПАЕВА»"},
                                           SuggestionCase{"begins_inside_a_word",
                                                          {{Field::Street, MatchCondition::BeginsWith, "НИНА"}},
                                                          SuggestionKind::Looser,
                                                          Field::Street,
                                                          MatchCondition::Contains,
                                                          "НИНА",
                                                          "Улица содержит «НИНА»"},
                                           SuggestionCase{"equal_to_a_surname",
                                                          {{Field::User, MatchCondition::Equal, "ЩЕРБАКОВ"}},
                                                          SuggestionKind::Looser,
                                                          Field::User,
                                                          MatchCondition::BeginsWith,
                                                          "ЩЕРБАКОВ",
                                                          "Абонент начинается с «ЩЕРБАКОВ»"},
                                           SuggestionCase{"mask_inside_a_word",
                                                          {{Field::Street, MatchCondition::FitsMask, "ЕН?Н"},
                                                           {Field::House, MatchCondition::Less, "5"}},
                                                          SuggestionKind::Looser,
                                                          Field::Street,
                                                          MatchCondition::FitsMask,
                                                          "*ЕН?Н",
                                                          "Улица подходит к маске (*, ?) «*ЕН?Н»"}),
                         [](const ::testing::TestParamInfo<SuggestionCase>& info) {
                             return std::string(info.param.name);
                         });

// Calls as callers phrase them, on the city's directory: the record meant (its subscriber as stored) is found
// by the criteria as typed, or by one of the suggestions, each counted as the search counts it.
TEST(Suggestions, EveryCallerPhrasingFindsTheRecordMeant) {
    struct Call {
        std::vector<Typed> typed;
        const char* user; // UTF-8
    };
    const Call calls[] = {
        {{{Field::Phone, MatchCondition::BeginsWith, "21 39 18"}}, ""},
        {{{Field::Phone, MatchCondition::Equal, "(21) 39-18"}}, ""},
        {{{Field::User, MatchCondition::Equal, "иванова н. ф."}}, "ИВАНОВА Н.Ф."},
        {{{Field::User, MatchCondition::Equal, "кинотеатр родина"}}, "КИНОТЕАТР \"РОДИНА\""},
        {{{Field::User, MatchCondition::Contains, "«Родина»"}}, "КИНОТЕАТР \"РОДИНА\""},
        {{{Field::User, MatchCondition::BeginsWith, "киселёв"}}, "КИСЕЛЕВ"},
        {{{Field::Street, MatchCondition::BeginsWith, "московское шоссе"}}, ""},
        {{{Field::Street, MatchCondition::Equal, "проспект ленина"}}, ""},
        {{{Field::Street, MatchCondition::BeginsWith, "улица чапаева"}}, ""},
        {{{Field::Street, MatchCondition::BeginsWith, "пос. лесхоз"}}, ""},
        {{{Field::Phone, MatchCondition::BeginsWith, "иванова"}}, "ИВАНОВА"},
        {{{Field::Street, MatchCondition::BeginsWith, "кинотеатр"}}, "КИНОТЕАТР"},
        {{{Field::User, MatchCondition::BeginsWith, "213918"}}, ""},
        {{{Field::Phone, MatchCondition::BeginsWith, "[2-3]1"}}, ""},
        {{{Field::User, MatchCondition::Equal, "иванова н.х."}}, "ИВАНОВА Н."},
        {{{Field::Street, MatchCondition::BeginsWith, "ТАЛАЛИХИНА"},
          {Field::User, MatchCondition::BeginsWith, "кинотеатр"},
          {Field::Flat, MatchCondition::Equal, "15"}},
         "КИНОТЕАТР"},
        {{{Field::House, MatchCondition::Equal, "52а"}}, ""},
    };
    Search search(vg::BuiltinDirectory());
    const vg::TSearchAdvisor advisor = AdvisorOf(vg::test::BuiltinContainer());
    for (const Call& call : calls) {
        const Inputs inputs = InputsOf(call.typed);
        SCOPED_TRACE(call.typed.front().text);
        const vg::TExplanation e = advisor.Explain(vg::ReadCriteria(inputs));
        std::vector<Inputs> ways = {inputs};
        for (const vg::TSuggestion& s : e.suggestions)
            ways.push_back(Taken(inputs, s));
        bool found = false;
        for (const Inputs& way : ways) {
            vg::TStrContainer c;
            vg::LoadDirectory(c, vg::BuiltinDirectory());
            const vg::TRecordFilter filter(vg::ReadCriteria(way));
            for (int i = 0; i < c.Count() && !found; ++i)
                found = filter(*c.GetItem(i)) && c.GetItem(i)->Lines()[3].starts_with(W(call.user));
        }
        EXPECT_TRUE(found);
        ExpectTheSearchAgrees(search, inputs, e);
    }
}

// Typing slips on a generated city: every explanation must agree with the search, whatever it proposes.
TEST(Suggestions, EveryCountIsTheCountOfTheSearchItWouldRun) {
    const std::vector<vg::DirectoryRecord> records = vg::GenerateCity(3000);
    const std::string bytes = vg::test::Compressed(records);
    vg::TStrContainer container;
    vg::LoadDirectory(container, bytes);
    const vg::TSearchAdvisor advisor = AdvisorOf(container);
    Search search(bytes);
    std::mt19937 random(2024);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const MatchCondition positive[] = {MatchCondition::BeginsWith, MatchCondition::Contains, MatchCondition::Equal,
                                       MatchCondition::FitsMask};
    // A slip in a text: a letter changed, dropped or swapped with its neighbour, the other layout, or the words
    // the other way round.
    auto slip = [&](std::string text) {
        if (text.size() < 3) return text;
        const std::size_t at = 1 + pick(text.size() - 2);
        switch (pick(6)) {
        case 0:
            text[at] = static_cast<char>(0xC0 + pick(32));
            break;
        case 1:
            text.erase(at, 1);
            break;
        case 2:
            std::swap(text[at], text[at - 1]);
            break;
        case 3:
            return vg::variants::CyrillicToLatinKeys(text);
        case 4: { // the words the other way round
            const std::size_t space = text.find(' ');
            return space == std::string::npos ? text : text.substr(space + 1) + " " + text.substr(0, space);
        }
        default:
            return text.substr(pick(text.size() / 2));
        }
        return text;
    };
    std::map<SuggestionKind, int> offered;
    int empty = 0;
    for (int round = 0; round < 150; ++round) {
        const vg::DirectoryRecord& r = records[pick(records.size())];
        Inputs inputs{};
        const Field slipped = pick(2) == 0 ? Field::Street : Field::User;
        const std::string& source = slipped == Field::Street ? r.street : r.user;
        const std::string text = slip(source.substr(0, 3 + pick(10)));
        inputs[vg::Index(slipped)] = {text, vg::ItemOf(positive[pick(4)])};
        if (text.find_first_of("*?[") != std::string::npos)
            inputs[vg::Index(slipped)].selected = vg::ItemOf(MatchCondition::FitsMask);
        if (pick(2) == 0) inputs[vg::Index(Field::House)] = {r.house, vg::ItemOf(MatchCondition::Equal)};
        if (pick(3) == 0)
            inputs[vg::Index(Field::Phone)] = {r.phone.substr(0, 1), vg::ItemOf(MatchCondition::BeginsWith)};
        vg::TExplanation e;
        try {
            e = advisor.Explain(vg::ReadCriteria(inputs));
        } catch (const vg::ECriterionMaskException&) {
            continue; // a slip that made an invalid mask: the search refuses it too
        }
        empty += e.together == 0;
        for (const vg::TSuggestion& s : e.suggestions)
            ++offered[s.kind];
        ExpectTheSearchAgrees(search, inputs, e);
        if (::testing::Test::HasFailure()) break;
    }
    // The slips must have exercised every kind of suggestion, or the check above proves little.
    EXPECT_GT(empty, 60);
    for (SuggestionKind kind : {SuggestionKind::Layout, SuggestionKind::Looser, SuggestionKind::NearName})
        EXPECT_GT(offered[kind], 0) << static_cast<int>(kind);
}

// Random criteria, masks and records short of lines included: what the advisor counts, and what each suggestion
// says it finds, is what testing every record's text finds (a missing line is the empty text).
struct RandomCase {
    const char* name;
    std::vector<Field> fields;              // none: every field
    std::vector<MatchCondition> conditions; // none: every condition
    int slip;                               // in how many of 4 texts a letter is changed
};

class AgainstEveryRecord : public ::testing::TestWithParam<RandomCase> {};

TEST_P(AgainstEveryRecord, CountsAndSuggestionsAreThoseOfAPlainCount) {
    RandomCase c = GetParam();
    if (c.fields.empty()) c.fields.assign(vg::kFields.begin(), vg::kFields.end());
    for (int i = 1; GetParam().conditions.empty() && i <= static_cast<int>(MatchCondition::NotEqual); ++i)
        c.conditions.push_back(static_cast<MatchCondition>(i));
    const std::vector<vg::DirectoryRecord> records = vg::GenerateCity(2500);
    vg::TStrContainer container;
    for (std::size_t i = 0; i < records.size(); ++i) {
        // Here and there a phone as a directory may write it besides digits: separated, with a letter, a '?' or
        // a set, or longer than the eight digits kept of it.
        std::string phone = records[i].phone;
        const char* const odd[] = {"-", "к", "8812", "?", "[1]"};
        if (i % 20 < std::size(odd)) phone.insert(std::min<std::size_t>(i % 7, phone.size()), W(odd[i % 20]));
        auto record = std::make_unique<vg::TString>(phone);
        std::vector<std::string> lines = {records[i].street, records[i].house, records[i].flat, records[i].user};
        if (i % 200 == 7) lines.resize(i / 200 % 4); // short of lines, here and there
        record->SetLines(lines);
        container.Append(std::move(record));
    }
    auto plain = [&](const vg::TCriteria& criteria) {
        std::int32_t found = 0;
        for (int r = 0; r < container.Count(); ++r) {
            const vg::TString& record = *container.GetItem(r);
            bool all = true;
            for (Field field : vg::kFields)
                if (criteria.Condition(field) != MatchCondition::NoCondition)
                    all = all &&
                          vg::TCriterionTest(criteria.Text(field), criteria.Condition(field), vg::FoldKindOf(field))(
                              field == Field::Phone ? record.Key() : record.Lines().Get(vg::Index(field) - 1));
            found += all;
        }
        return found;
    };
    const vg::TSearchAdvisor advisor = AdvisorOf(container);
    std::mt19937 random(static_cast<unsigned>(c.fields.size() * 31 + c.conditions.size()));
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const char* const odd[] = {"*", "?1", "[А-Л]*", "*ОВ*", "[", "1-", "ktyby", "0", "", "2*", "[2-3]1", "88125"};
    int suggested = 0;
    for (int round = 0; round < 40; ++round) {
        Inputs inputs{};
        for (std::size_t n = 1 + pick(3); n > 0; --n) {
            const Field field = c.fields[pick(c.fields.size())];
            const vg::TString& record = *container.GetItem(static_cast<int>(pick(container.Count())));
            std::string text(field == Field::Phone ? record.Key() : record.Lines().Get(vg::Index(field) - 1));
            if (pick(4) == 0) text = W(odd[pick(std::size(odd))]);
            if (text.size() > 2) text = text.substr(0, 1 + pick(text.size()));
            if (text.size() > 3 && static_cast<int>(pick(4)) < c.slip) text[1] = static_cast<char>(0xC0 + pick(32));
            inputs[vg::Index(field)] = {text, vg::ItemOf(c.conditions[pick(c.conditions.size())])};
        }
        const vg::TCriteria criteria = vg::ReadCriteria(inputs);
        vg::TExplanation e;
        try {
            e = advisor.Explain(criteria);
        } catch (const vg::ECriterionMaskException&) {
            continue;
        }
        SCOPED_TRACE(vg::FormatCounts(e));
        std::size_t k = 0;
        for (Field field : vg::kFields) {
            if (criteria.Condition(field) == MatchCondition::NoCondition) continue;
            vg::TCriteria alone{};
            alone.Conditions[vg::Index(field)] = criteria.Condition(field);
            alone.Texts[vg::Index(field)] = criteria.Text(field);
            EXPECT_EQ(k < e.criteria.size() ? e.criteria[k++].count : -1, plain(alone));
        }
        EXPECT_EQ(e.together, plain(criteria));
        for (const vg::TSuggestion& s : e.suggestions)
            EXPECT_EQ(s.count, plain(vg::Apply(criteria, s))) << s.description;
        suggested += !e.suggestions.empty();
    }
    EXPECT_GT(suggested, 0); // the rounds reached the suggestions, not only the counts
}

INSTANTIATE_TEST_SUITE_P(Random, AgainstEveryRecord,
                         ::testing::Values(RandomCase{"every_field_every_condition", {}, {}, 1},
                                           RandomCase{"slipped_names",
                                                      {Field::Street, Field::User, Field::House},
                                                      {MatchCondition::BeginsWith, MatchCondition::Contains,
                                                       MatchCondition::Equal},
                                                      3},
                                           RandomCase{"phones", {Field::Phone, Field::House}, {}, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
