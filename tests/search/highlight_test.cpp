#include "search/highlight.h"

#include "results/rowlogic.h"
#include "testdata.h"

#include <gtest/gtest.h>

namespace {

using vg::Field;
using vg::MatchCondition;
using vg::test::W;

// The field as the list shows it (the phone formatted), its matched parts in brackets.
std::string Marked(const vg::TString& record, Field field, const vg::TFieldSpans& spans) {
    std::vector<vg::TSpan> parts = spans[vg::Index(field)];
    std::string text(vg::FieldOf(record, field));
    if (field == Field::Phone) {
        parts = vg::FormatPhoneSpans(text, parts);
        text = vg::FormatPhone(text);
    }
    std::string marked;
    std::size_t at = 0;
    for (const vg::TSpan& s : parts) {
        marked.append(text, at, s.begin - at).append("[").append(text, s.begin, s.length).append("]");
        at = s.begin + s.length;
    }
    return marked.append(text, at);
}

TEST(Highlight, CriteriaMarkWhatTheyMatched) {
    const struct {
        Field field;
        MatchCondition condition;
        const char* criterion;
        const char* stored;
        const char* marked; // the field as shown
    } cases[] = {
        {Field::Street, MatchCondition::BeginsWith, "лен", "Ленина", "[Лен]ина"},
        {Field::Street, MatchCondition::BeginsWith, "зелен", "Зелёная", "[Зелён]ая"},
        {Field::User, MatchCondition::BeginsWith, "иванова н.ф.", "ИВАНОВА Н. Ф.", "[ИВАНОВА Н. Ф.]"},
        {Field::User, MatchCondition::BeginsWith, "иванова", "ИВАНОВ П.", "ИВАНОВ П."},
        {Field::Street, MatchCondition::Contains, "зелен", "ул. ЗЕЛЁНАЯ", "ул. [ЗЕЛЁН]АЯ"},
        {Field::User, MatchCondition::Contains, "родина", "КИНОТЕАТР \"РОДИНА\"", "КИНОТЕАТР \"[РОДИНА]\""},
        {Field::User, MatchCondition::Contains, "ооо вет", "ООО  «ВЕТЛУГА»", "[ООО  «ВЕТ]ЛУГА»"},
        {Field::User, MatchCondition::Contains, "ан", "АНТОНОВА АННА", "[АН]ТОНОВА [АН]НА"},
        {Field::User, MatchCondition::NotContains, "мира", "ЛЕНИНА", "ЛЕНИНА"},
        {Field::Street, MatchCondition::Equal, "ленина", " Ленина ", " [Ленина] "},
        {Field::User, MatchCondition::Equal, "родина", "\"РОДИНА\"", "\"[РОДИНА]\""},
        {Field::House, MatchCondition::Equal, "8а", "8 а", "[8 а]"},
        {Field::House, MatchCondition::Greater, "8", "10А", "[10А]"},
        {Field::House, MatchCondition::Greater, "8", "5", "5"},
        {Field::House, MatchCondition::GreaterOrEqual, "8", "8", "[8]"},
        {Field::Flat, MatchCondition::Less, "10", "9", "[9]"},
        {Field::Flat, MatchCondition::LessOrEqual, "40", "40", "[40]"},
        {Field::Street, MatchCondition::Greater, "к", "ЛЕНИНА", "[ЛЕНИНА]"},
        {Field::Street, MatchCondition::FitsMask, "л?н", "ЛЕНИНА", "[ЛЕН]ИНА"},
        {Field::Street, MatchCondition::FitsMask, "л*н", "ЛЁНИНА", "[ЛЁНИН]А"},
        {Field::Street, MatchCondition::FitsMask, "*ина", "ленина", "[ленина]"},
        {Field::Street, MatchCondition::FitsMask, "м*", "ЛЕНИНА", "ЛЕНИНА"},
        {Field::Street, MatchCondition::NotFitsMask, "м*", "ЛЕНИНА", "ЛЕНИНА"},
        {Field::Street, MatchCondition::NotEqual, "мира", "ЛЕНИНА", "ЛЕНИНА"},
        {Field::Phone, MatchCondition::BeginsWith, "21-3", "213918", "[21-3]9-18"},
        {Field::Phone, MatchCondition::Contains, "391", "213918", "21-[39-1]8"},
        {Field::Phone, MatchCondition::Contains, "234", "12345", "1-[23-4]5"},
        {Field::Phone, MatchCondition::Equal, "21 39 18", "213918", "[21-39-18]"},
        {Field::Phone, MatchCondition::FitsMask, "2?39", "213918", "[21-39]-18"},
    };
    for (const auto& c : cases) {
        vg::DirectoryRecord fields{"555001", "ГАГАРИНА", "1", "2", "ПЕТРОВ"};
        std::string* field[] = {&fields.phone, &fields.street, &fields.house, &fields.flat, &fields.user};
        *field[vg::Index(c.field)] = W(c.stored);
        vg::TStrContainer directory;
        vg::test::Fill(directory, {fields});
        std::array<vg::TCriterionInput, vg::kCriterionCount> inputs{};
        inputs[vg::Index(c.field)] = {W(c.criterion), vg::ItemOf(c.condition)};
        const vg::TFieldSpans spans = vg::TCriteriaSpans(vg::ReadCriteria(inputs)).Spans(*directory.GetItem(0));
        const std::string what = std::string(c.criterion) + " / " + c.stored;
        EXPECT_EQ(Marked(*directory.GetItem(0), c.field, spans), W(c.marked)) << what;
        for (Field other : vg::kFields) {
            if (other != c.field) {
                EXPECT_TRUE(spans[vg::Index(other)].empty()) << what;
            }
        }
    }
}

} // namespace
