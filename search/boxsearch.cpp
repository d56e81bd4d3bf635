#include "boxsearch.h"

#include "directory/cp1251.h"
#include "prepared.h"
#include "textvariants.h"

#include <algorithm>
#include <optional>

namespace vg {
namespace {

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(unsigned char c) {
    return cp1251::Upper(c) != c || cp1251::Lower(c) != c;
}

bool IsAlnum(unsigned char c) {
    return IsDigit(c) || IsLetter(c);
}

bool IsSeparator(unsigned char c) {
    return c == ' ' || c == '\t' || c == 0xA0 || c == ',' || c == ';';
}

std::string W(std::string_view utf8) {
    std::string text;
    cp1251::FromUtf8(utf8, text);
    return text;
}

struct TKindForm {
    std::string folded;
    StreetKind kind;
};

// Every form of every kind, folded as a street is folded: the full word and the directory's abbreviations.
const std::vector<TKindForm>& KindForms() {
    static const std::vector<TKindForm> forms = [] {
        const std::pair<const char*, StreetKind> table[] = {
            {"улица", StreetKind::None},        {"ул.", StreetKind::None},       {"ул", StreetKind::None},
            {"проспект", StreetKind::Avenue},   {"пр.", StreetKind::Avenue},     {"пр", StreetKind::Avenue},
            {"пр-т", StreetKind::Avenue},       {"просп.", StreetKind::Avenue},  {"переулок", StreetKind::Lane},
            {"пер.", StreetKind::Lane},         {"пер", StreetKind::Lane},       {"поселок", StreetKind::Settlement},
            {"пос.", StreetKind::Settlement},   {"пос", StreetKind::Settlement}, {"шоссе", StreetKind::Highway},
            {"ш.", StreetKind::Highway},        {"тупик", StreetKind::DeadEnd},  {"туп.", StreetKind::DeadEnd},
            {"площадь", StreetKind::Square},    {"пл.", StreetKind::Square},     {"пл", StreetKind::Square},
            {"бульвар", StreetKind::Boulevard}, {"б-р", StreetKind::Boulevard},  {"бул.", StreetKind::Boulevard},
            {"проезд", StreetKind::Passage},    {"пр-д", StreetKind::Passage},   {"микрорайон", StreetKind::District},
            {"мкр.", StreetKind::District},     {"мкр", StreetKind::District},   {"набережная", StreetKind::Embankment},
            {"наб.", StreetKind::Embankment},
        };
        std::vector<TKindForm> out;
        for (const auto& [form, kind] : table)
            out.push_back({FoldForMatch(FoldKind::Words, W(form)), kind});
        return out;
    }();
    return forms;
}

// Words that only say what the number after them is: "д. 8 кв. 21".
enum class Marker : std::uint8_t { None, House, Flat };

Marker MarkerOf(std::string_view folded) {
    static const std::vector<std::pair<std::string, Marker>> markers = [] {
        std::vector<std::pair<std::string, Marker>> out;
        for (const char* w : {"д", "д.", "дом", "корп.", "стр."})
            out.emplace_back(FoldForMatch(FoldKind::Words, W(w)), Marker::House);
        for (const char* w : {"кв", "кв.", "квартира", "оф", "оф.", "офис"})
            out.emplace_back(FoldForMatch(FoldKind::Words, W(w)), Marker::Flat);
        return out;
    }();
    for (const auto& [form, marker] : markers)
        if (form == folded) return marker;
    return Marker::None;
}

// The longest number a house or a flat is said with.
constexpr std::size_t kAddressDigits = 4;

// Digits and the separators a dictated number is written with: "(21) 39-18", "21.39.18", "+7".
bool IsNumberToken(std::string_view token) {
    bool digit = false;
    for (unsigned char c : token) {
        if (IsDigit(c))
            digit = true;
        else if (c != '-' && c != '.' && c != '(' && c != ')' && c != '+' && c != '_')
            return false;
    }
    return digit;
}

// A house or flat with its letter or fraction: "8А", "8/1", "12К2" (at most two letters, leading digits short).
bool IsAddressToken(std::string_view folded) {
    std::size_t i = 0;
    while (i < folded.size() && IsDigit(static_cast<unsigned char>(folded[i])))
        ++i;
    if (i == 0 || i > kAddressDigits || i == folded.size() || folded.size() > 8) return false;
    std::size_t letters = 0;
    for (std::size_t j = i; j < folded.size(); ++j) {
        const auto c = static_cast<unsigned char>(folded[j]);
        if (IsLetter(c))
            ++letters;
        else if (!IsDigit(c) && c != '/')
            return false;
    }
    return letters <= 2 && (letters > 0 || folded.find('/') != std::string_view::npos);
}

// The numbers of a dictated token: "21-39-18" is 21, 39 and 18.
std::vector<std::string> NumbersOf(std::string_view token) {
    std::vector<std::string> numbers;
    std::string run;
    for (unsigned char c : token) {
        if (IsDigit(c)) {
            run.push_back(static_cast<char>(c));
        } else if (!run.empty()) {
            numbers.push_back(std::move(run));
            run.clear();
        }
    }
    if (!run.empty()) numbers.push_back(std::move(run));
    return numbers;
}

// A house or a flat as stored, against a number said: the same leading number, and the same letter or fraction
// when one was said (8 is 8, 8А and 8/1, never 80).
bool AddressIs(std::string_view field, const TAddressNumber& said) {
    const TAddressNumber stored = ReadAddressNumber(field);
    if (stored.number != said.number || stored.number == 0) return false;
    return said.rest.empty() || CompareAddressRest(stored.rest, said.rest) == 0;
}

// The digits of a stored phone, separators skipped, begin with `digits`.
bool PhoneBegins(std::string_view phone, std::string_view digits) {
    std::size_t k = 0;
    for (std::size_t i = 0; i < phone.size() && k < digits.size(); ++i) {
        const auto c = static_cast<unsigned char>(phone[i]);
        if (!IsDigit(c)) continue;
        if (static_cast<char>(c) != digits[k]) return false;
        ++k;
    }
    return k == digits.size();
}

// Where the digits of a phone that begins with `count` digits end, in the stored text.
std::uint32_t PhoneSpanEnd(std::string_view phone, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t k = 0; i < phone.size() && k < count; ++i)
        if (IsDigit(static_cast<unsigned char>(phone[i]))) ++k;
    return static_cast<std::uint32_t>(i);
}

// The leading number of a stored house or flat (and all of it when the letter was said too), as a span.
TSpan AddressSpan(std::string_view field, bool whole) {
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ')
        ++i;
    std::size_t end = i;
    while (end < field.size() && IsDigit(static_cast<unsigned char>(field[end])))
        ++end;
    if (whole) end = field.size();
    return {static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(end - i)};
}

// Initials: single letters, each with or without its dot ("Н", "Н.", "Н.Ф.").
bool IsInitials(std::string_view folded) {
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (!IsLetter(static_cast<unsigned char>(folded[i]))) return false;
        if (i + 1 < folded.size() && folded[i + 1] != '.') return false;
        if (i + 1 < folded.size()) ++i;
    }
    return !folded.empty();
}

struct TFolded {
    std::string text;
    std::vector<std::uint32_t> origin;
};

thread_local TFolded tStreet, tUser;

} // namespace

StreetKind StreetKindOfWord(std::string_view foldedWord, bool& isKind) {
    for (const TKindForm& form : KindForms())
        if (form.folded == foldedWord) {
            isKind = true;
            return form.kind;
        }
    isKind = false;
    return StreetKind::None;
}

StreetKind StreetKindOf(std::string_view foldedStreet) {
    // The words of a folded street end at a blank or just after a dot ("ПР.ЛЕНИНА" is "ПР." and "ЛЕНИНА").
    std::vector<std::string_view> words;
    for (std::size_t begin = 0; begin < foldedStreet.size();) {
        std::size_t end = begin;
        while (end < foldedStreet.size() && foldedStreet[end] != ' ' && foldedStreet[end] != '.')
            ++end;
        if (end < foldedStreet.size() && foldedStreet[end] == '.') ++end;
        if (end > begin) words.push_back(foldedStreet.substr(begin, end - begin));
        begin = end < foldedStreet.size() && foldedStreet[end] == ' ' ? end + 1 : end;
    }
    // A street named by a kind word alone ("НАБЕРЕЖНАЯ") is a plain name.
    if (words.size() < 2) return StreetKind::None;
    for (std::string_view word : words) {
        bool isKind = false;
        const StreetKind kind = StreetKindOfWord(word, isKind);
        if (isKind && kind != StreetKind::None) return kind;
    }
    return StreetKind::None;
}

std::size_t FindWordStart(std::string_view folded, std::string_view word, std::size_t from) {
    if (word.empty()) return std::string_view::npos;
    for (std::size_t at = folded.find(word, from); at != std::string_view::npos; at = folded.find(word, at + 1))
        if (BeginsWordAt(folded, at)) return at;
    return std::string_view::npos;
}

bool BeginsWordAt(std::string_view folded, std::size_t at) {
    return at == 0 || !IsAlnum(static_cast<unsigned char>(folded[at - 1]));
}

TBoxQuery::TBoxQuery(std::string_view text) {
    // The words as typed and as folded; a word that folds to nothing (a lone quote or dash) is no word.
    std::vector<std::pair<std::string_view, std::string>> tokens;
    for (std::size_t i = 0; i < text.size();) {
        while (i < text.size() && IsSeparator(static_cast<unsigned char>(text[i])))
            ++i;
        std::size_t end = i;
        while (end < text.size() && !IsSeparator(static_cast<unsigned char>(text[end])))
            ++end;
        const std::string_view token = text.substr(i, end - i);
        i = end;
        std::string folded = FoldForMatch(FoldKind::Words, token);
        if (!folded.empty() &&
            std::any_of(folded.begin(), folded.end(), [](char c) { return IsAlnum(static_cast<unsigned char>(c)); }))
            tokens.emplace_back(token, std::move(folded));
    }
    auto isNumber = [](const std::string& folded) { return IsNumberToken(folded) || IsAddressToken(folded); };

    Marker pending = Marker::None; // a marker said before this number
    int group = -1;                // the group the last number joined, -1 after anything else
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        const auto& [token, folded] = tokens[t];
        // "д." or "кв." before a number only says what the number is; anywhere else it is a word (an initial).
        const Marker marker = MarkerOf(folded);
        if (marker != Marker::None && t + 1 < tokens.size() && isNumber(tokens[t + 1].second)) {
            pending = marker;
            group = -1;
            continue;
        }
        TBoxWord word;
        word.typed = std::string(token);
        if (isNumber(folded)) {
            const bool number = IsNumberToken(folded);
            word.kind = number ? TBoxWord::Kind::Number : TBoxWord::Kind::Address;
            word.folded = number ? FoldForMatch(FoldKind::Digits, folded) : FoldForMatch(FoldKind::Address, folded);
            // A marker starts a group of its own: "д. 8 кв. 21" is a house and then a flat.
            if (group < 0 || pending != Marker::None) {
                groups_.emplace_back();
                group = static_cast<int>(groups_.size()) - 1;
            }
            word.group = group;
            groups_[static_cast<std::size_t>(group)].words.push_back(words_.size());
        } else {
            group = -1;
            word.kind = TBoxWord::Kind::Letters;
            word.folded = folded;
            bool isKind = false;
            word.street = StreetKindOfWord(folded, isKind);
            word.streetKind = isKind;
            word.initials = IsInitials(folded);
            hasLetters_ = true;
        }
        markers_.push_back(static_cast<std::uint8_t>(pending));
        pending = Marker::None;
        words_.push_back(std::move(word));
    }

    for (TBoxGroup& g : groups_) {
        bool hasAddress = false;
        std::size_t digits = 0;
        for (std::size_t w : g.words) {
            const TBoxWord& word = words_[w];
            if (word.kind == TBoxWord::Kind::Address) hasAddress = true;
            // "8/1" is one address; "21-39-18" is three numbers.
            const std::vector<std::string> numbers = word.kind == TBoxWord::Kind::Address
                                                         ? std::vector<std::string>{word.folded}
                                                         : NumbersOf(FoldForMatch(FoldKind::Words, word.typed));
            for (const std::string& n : numbers) {
                g.numbers.push_back(n);
                g.roles.push_back(static_cast<std::uint8_t>(markers_[w]));
                digits += n.size();
            }
            if (word.kind == TBoxWord::Kind::Number) g.digits += word.folded;
        }
        // A house and a flat: one or two short numbers, none opening with 0.
        bool shortNumbers = g.numbers.size() <= 2;
        for (const std::string& n : g.numbers) {
            const std::size_t lead = static_cast<std::size_t>(
                std::find_if(n.begin(), n.end(), [](char c) { return !IsDigit(static_cast<unsigned char>(c)); }) -
                n.begin());
            shortNumbers = shortNumbers && lead > 0 && lead <= kAddressDigits && n[0] != '0';
        }
        g.address = shortNumbers;
        // The phone: a number too long for an address, numbers dictated in groups, or digits with no name or
        // street said beside them. Beside a name or a street a short number is a house or a flat.
        g.phone = !hasAddress && (digits > kAddressDigits || g.numbers.size() >= 2 || !hasLetters_ || !g.address);
        if (hasAddress) g.digits.clear();
        for (std::uint8_t role : g.roles)
            if (role != static_cast<std::uint8_t>(Marker::None)) g.phone = false;
        if (!g.phone && !g.address) g.phone = !hasAddress; // nothing else it could be
    }
    for (std::size_t w = 0; w < words_.size() && w < 64; ++w) {
        all_ |= std::uint64_t{1} << w;
        if (words_[w].kind == TBoxWord::Kind::Letters) letterWords_ |= std::uint64_t{1} << w;
    }
    for (std::size_t g = 0; g < groups_.size() && g < 64; ++g) {
        allGroups_ |= std::uint64_t{1} << g;
        if (groups_[g].numbers.size() == 2) pairs_ |= std::uint64_t{1} << g;
    }
}

std::uint64_t TBoxQuery::StreetMatches(std::string_view street) const {
    std::uint64_t bits = 0;
    bool kindKnown = false;
    StreetKind kind = StreetKind::None;
    for (std::size_t w = 0; w < words_.size() && w < 64; ++w) {
        const TBoxWord& word = words_[w];
        if (word.kind != TBoxWord::Kind::Letters) continue;
        if (word.streetKind && !kindKnown) {
            kind = StreetKindOf(street);
            kindKnown = true;
        }
        if ((word.streetKind && (word.street == StreetKind::None || word.street == kind)) ||
            (!word.initials && FindWordStart(street, word.folded) != std::string_view::npos))
            bits |= std::uint64_t{1} << w;
    }
    return bits;
}

std::uint64_t TBoxQuery::UserMatches(std::string_view user) const {
    std::uint64_t bits = 0;
    for (std::size_t w = 0; w < words_.size() && w < 64; ++w)
        if (words_[w].kind == TBoxWord::Kind::Letters && !words_[w].streetKind &&
            FindWordStart(user, words_[w].folded) != std::string_view::npos)
            bits |= std::uint64_t{1} << w;
    return bits;
}

std::uint64_t TBoxQuery::HouseMatches(std::string_view house) const {
    std::uint64_t bits = 0;
    for (std::size_t g = 0; g < groups_.size() && g < 64; ++g) {
        const TBoxGroup& group = groups_[g];
        if (group.address && (group.numbers.size() == 2 || static_cast<Marker>(group.roles[0]) != Marker::Flat) &&
            AddressIs(house, ReadAddressNumber(group.numbers[0])))
            bits |= std::uint64_t{1} << g;
    }
    return bits;
}

std::uint64_t TBoxQuery::FlatMatches(std::string_view flat) const {
    std::uint64_t bits = 0;
    for (std::size_t g = 0; g < groups_.size() && g < 64; ++g) {
        const TBoxGroup& group = groups_[g];
        if (!group.address) continue;
        const bool pair = group.numbers.size() == 2;
        if ((pair || static_cast<Marker>(group.roles[0]) != Marker::House) &&
            AddressIs(flat, ReadAddressNumber(group.numbers[pair ? 1 : 0])))
            bits |= std::uint64_t{1} << g;
    }
    return bits;
}

std::uint64_t TBoxQuery::PhoneMatches(std::string_view phone) const {
    std::uint64_t bits = 0;
    for (std::size_t g = 0; g < groups_.size() && g < 64; ++g)
        if (groups_[g].phone && !groups_[g].digits.empty() && PhoneBegins(phone, groups_[g].digits))
            bits |= std::uint64_t{1} << g;
    return bits;
}

bool TBoxQuery::LettersMatch(const TBoxWord& word, std::string_view street, std::string_view user,
                             StreetKind kind) const {
    // "улица" says nothing the directory writes: every street has it.
    if (word.streetKind && (word.street == StreetKind::None || word.street == kind)) return true;
    // A kind word names a street's kind or is a word of the street ("НАБЕРЕЖНАЯ"), never of a subscriber.
    return (!word.initials && FindWordStart(street, word.folded) != std::string_view::npos) ||
           (!word.streetKind && FindWordStart(user, word.folded) != std::string_view::npos);
}

bool TBoxQuery::GroupMatches(const TBoxGroup& group, const TString& record) const {
    if (group.phone && !group.digits.empty() && PhoneBegins(record.Key(), group.digits)) return true;
    if (!group.address) return false;
    const TLineList lines = record.Lines();
    const std::string_view house = lines.Get(static_cast<int>(Field::House) - 1);
    const std::string_view flat = lines.Get(static_cast<int>(Field::Flat) - 1);
    const TAddressNumber first = ReadAddressNumber(group.numbers[0]);
    const auto role = static_cast<Marker>(group.roles[0]);
    if (group.numbers.size() == 1)
        return (role != Marker::Flat && AddressIs(house, first)) || (role != Marker::House && AddressIs(flat, first));
    return AddressIs(house, first) && AddressIs(flat, ReadAddressNumber(group.numbers[1]));
}

std::uint64_t TBoxQuery::Matched(const TString& record) const {
    const TLineList lines = record.Lines();
    std::uint64_t matched = 0;
    if (hasLetters_) {
        FoldForMatch(FoldKind::Words, lines.Get(static_cast<int>(Field::Street) - 1), tStreet.text);
        FoldForMatch(FoldKind::Words, lines.Get(static_cast<int>(Field::User) - 1), tUser.text);
    }
    const StreetKind kind = hasLetters_ ? StreetKindOf(tStreet.text) : StreetKind::None;
    for (std::size_t w = 0; w < words_.size(); ++w) {
        const TBoxWord& word = words_[w];
        bool ok;
        if (word.kind == TBoxWord::Kind::Letters)
            ok = LettersMatch(word, tStreet.text, tUser.text, kind);
        else
            ok = GroupMatches(groups_[static_cast<std::size_t>(word.group)], record);
        if (ok && w < 64) matched |= std::uint64_t{1} << w;
    }
    return matched;
}

bool TBoxQuery::operator()(const TString& record) const {
    const TLineList lines = record.Lines();
    if (hasLetters_) {
        FoldForMatch(FoldKind::Words, lines.Get(static_cast<int>(Field::Street) - 1), tStreet.text);
        FoldForMatch(FoldKind::Words, lines.Get(static_cast<int>(Field::User) - 1), tUser.text);
    }
    StreetKind kind = StreetKind::None;
    bool kindKnown = false;
    // Numbers first: they are cheap and rule out most records.
    for (const TBoxGroup& group : groups_)
        if (!GroupMatches(group, record)) return false;
    for (const TBoxWord& word : words_) {
        if (word.kind != TBoxWord::Kind::Letters) continue;
        if (word.streetKind && !kindKnown) {
            kind = StreetKindOf(tStreet.text);
            kindKnown = true;
        }
        if (!LettersMatch(word, tStreet.text, tUser.text, kind)) return false;
    }
    return true;
}

TFieldSpans TBoxQuery::Spans(const TString& record) const {
    TFieldSpans spans;
    const TLineList lines = record.Lines();
    const std::string_view street = lines.Get(static_cast<int>(Field::Street) - 1);
    const std::string_view user = lines.Get(static_cast<int>(Field::User) - 1);
    TFolded s, u;
    FoldForMatch(FoldKind::Words, street, s.text, &s.origin);
    FoldForMatch(FoldKind::Words, user, u.text, &u.origin);
    const StreetKind kind = StreetKindOf(s.text);
    auto mark = [](std::vector<TSpan>& out, const TFolded& f, std::size_t at, std::size_t length) {
        const std::uint32_t begin = f.origin[at];
        const std::uint32_t end = f.origin[at + length - 1] + 1;
        out.push_back({begin, end - begin});
    };
    for (const TBoxWord& word : words_) {
        if (word.kind != TBoxWord::Kind::Letters) continue;
        bool found = false;
        for (auto [f, field] : {std::pair{&s, Field::Street}, std::pair{&u, Field::User}}) {
            if ((word.initials && field == Field::Street) || (word.streetKind && field == Field::User)) continue;
            for (std::size_t at = FindWordStart(f->text, word.folded); at != std::string_view::npos;
                 at = FindWordStart(f->text, word.folded, at + 1)) {
                mark(spans[Index(field)], *f, at, word.folded.size());
                found = true;
            }
        }
        // A kind said in full or another way: the directory's own kind word in the street.
        if (!found && word.streetKind && word.street != StreetKind::None && word.street == kind)
            for (std::size_t at = 0; at < s.text.size(); ++at) {
                if (at > 0 && s.text[at - 1] != ' ' && s.text[at - 1] != '.') continue;
                std::size_t end = at;
                while (end < s.text.size() && s.text[end] != ' ' && s.text[end] != '.')
                    ++end;
                if (end < s.text.size() && s.text[end] == '.') ++end;
                bool isKind = false;
                if (end > at && StreetKindOfWord(std::string_view(s.text).substr(at, end - at), isKind) == kind &&
                    isKind) {
                    mark(spans[Index(Field::Street)], s, at, end - at);
                    break;
                }
            }
    }
    const std::string_view house = lines.Get(static_cast<int>(Field::House) - 1);
    const std::string_view flat = lines.Get(static_cast<int>(Field::Flat) - 1);
    for (const TBoxGroup& group : groups_) {
        if (group.phone && !group.digits.empty() && PhoneBegins(record.Key(), group.digits)) {
            spans[Index(Field::Phone)].push_back({0, PhoneSpanEnd(record.Key(), group.digits.size())});
            continue;
        }
        if (!group.address) continue;
        const TAddressNumber first = ReadAddressNumber(group.numbers[0]);
        const bool whole0 = !first.rest.empty();
        const auto role = static_cast<Marker>(group.roles[0]);
        if (group.numbers.size() == 2) {
            const TAddressNumber second = ReadAddressNumber(group.numbers[1]);
            if (AddressIs(house, first) && AddressIs(flat, second)) {
                spans[Index(Field::House)].push_back(AddressSpan(house, whole0));
                spans[Index(Field::Flat)].push_back(AddressSpan(flat, !second.rest.empty()));
            }
            continue;
        }
        if (role != Marker::Flat && AddressIs(house, first))
            spans[Index(Field::House)].push_back(AddressSpan(house, whole0));
        if (role != Marker::House && AddressIs(flat, first))
            spans[Index(Field::Flat)].push_back(AddressSpan(flat, whole0));
    }
    return spans;
}

TBoxCounts CountBoxWords(const TStrContainer& directory, const TBoxQuery& query) {
    TBoxCounts counts;
    counts.words.assign(query.Words().size(), 0);
    const std::int32_t total = directory.Count();
    for (std::int32_t n = 0; n < total; ++n) {
        const std::uint64_t matched = query.Matched(*directory.GetItem(n));
        for (std::size_t w = 0; w < counts.words.size() && w < 64; ++w)
            if (matched & (std::uint64_t{1} << w)) ++counts.words[w];
        if ((matched & query.AllWords()) == query.AllWords()) ++counts.together;
    }
    return counts;
}

namespace {

// The explanation from the box's counts and a count of what a box text finds together.
template <class Together>
TExplanation Explain(const TBoxCounts& counts, const TSearchAdvisor& advisor, const TBoxQuery& query,
                     Together&& together) {
    TExplanation out;
    const std::vector<TBoxWord>& words = query.Words();
    for (std::size_t w = 0; w < words.size(); ++w)
        out.criteria.push_back({Field::User, counts.words[w], "«" + cp1251::ToUtf8(words[w].typed) + "»"});
    out.together = counts.together;
    if (counts.together != 0 || words.empty()) return out;

    // The word that finds nothing alone; when each finds something, the last one said, which narrowed the
    // answer to nothing.
    std::size_t culprit = words.size() - 1;
    for (std::size_t w = 0; w < words.size(); ++w)
        if (counts.words[w] == 0) {
            culprit = w;
            break;
        }
    const std::string& typed = words[culprit].typed;
    auto boxWith = [&](const std::string& replacement) {
        std::string text;
        for (std::size_t w = 0; w < words.size(); ++w) {
            const std::string& word = w == culprit ? replacement : words[w].typed;
            if (word.empty()) continue;
            if (!text.empty()) text += ' ';
            text += word;
        }
        return text;
    };
    struct TCandidate {
        SuggestionKind kind;
        std::string text;
        std::string reason;
    };
    std::vector<TCandidate> candidates;
    if (variants::HasLatinLetter(typed))
        candidates.push_back(
            {SuggestionKind::Layout, boxWith(variants::LatinToCyrillicKeys(typed)), "другая раскладка клавиатуры"});
    else if (variants::HasCyrillicLetter(typed))
        candidates.push_back(
            {SuggestionKind::Layout, boxWith(variants::CyrillicToLatinKeys(typed)), "другая раскладка клавиатуры"});
    if (words[culprit].kind == TBoxWord::Kind::Letters && !words[culprit].streetKind && !words[culprit].initials) {
        // The advisor's near streets and surnames for the word as the beginning of either.
        for (Field field : {Field::Street, Field::User}) {
            std::array<TCriterionInput, kCriterionCount> inputs{};
            inputs[Index(field)].text = typed;
            for (const TSuggestion& s : advisor.Explain(ReadCriteria(inputs)).suggestions)
                if (s.kind == SuggestionKind::NearName) candidates.push_back({s.kind, boxWith(s.text), s.reason});
        }
    }
    candidates.push_back({SuggestionKind::Looser, boxWith({}), "без слова «" + cp1251::ToUtf8(typed) + "»"});

    for (const TCandidate& c : candidates) {
        if (out.suggestions.size() == TExplanation::kMaxSuggestions) break;
        const bool seen = std::any_of(out.suggestions.begin(), out.suggestions.end(),
                                      [&](const TSuggestion& s) { return s.text == c.text; });
        const TBoxQuery changed(c.text);
        if (seen || changed.Empty()) continue;
        const std::int32_t found = together(changed);
        if (found == 0) continue;
        out.suggestions.push_back({c.kind,
                                   Field::User,
                                   MatchCondition::NoCondition,
                                   c.text,
                                   "«" + cp1251::ToUtf8(c.text) + "»",
                                   c.reason,
                                   found,
                                   {}});
    }
    return out;
}

} // namespace

TExplanation ExplainBox(const TStrContainer& directory, const TSearchAdvisor& advisor, const TBoxQuery& query) {
    return Explain(CountBoxWords(directory, query), advisor, query,
                   [&](const TBoxQuery& changed) { return CountBoxWords(directory, changed).together; });
}

TBoxCounts CountBoxWords(const TPreparedDirectory& directory, const TBoxQuery& query) {
    TBoxCounts counts;
    if (!directory.CountBox(query, counts)) counts = CountBoxWords(directory.Whole(), query);
    return counts;
}

TExplanation ExplainBox(const TPreparedDirectory& directory, const TSearchAdvisor& advisor, const TBoxQuery& query) {
    const TBoxCounts counts = CountBoxWords(directory, query);
    return Explain(counts, advisor, query, [&](const TBoxQuery& changed) {
        // Numbers alone that the box read the same way (the box without its words of letters, typically): what
        // their group finds alone is counted already.
        if (changed.Groups().size() == 1 && changed.Words().size() == changed.Groups()[0].words.size()) {
            const TBoxGroup& alone = changed.Groups()[0];
            for (const TBoxGroup& group : query.Groups())
                if (group.numbers == alone.numbers && group.roles == alone.roles && group.digits == alone.digits &&
                    group.phone == alone.phone && group.address == alone.address)
                    if (group.words[0] < 64) return counts.words[group.words[0]];
        }
        const std::optional<std::size_t> found = directory.CountSelectBox(changed);
        return found ? static_cast<std::int32_t>(*found) : CountBoxWords(directory.Whole(), changed).together;
    });
}

} // namespace vg
