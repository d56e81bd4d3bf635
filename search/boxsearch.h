#pragma once

#include "directory/strcontainer.h"
#include "folding.h"
#include "searchrun.h"
#include "suggest.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The one box: the operator types what the caller says, in any order, and every word has to find itself in the
// record. A word of letters begins a word of the street or of the subscriber; a street's kind may be said in
// full or cut short ("проспект", "пр."); digits are the beginning of the phone, dictated in groups or not, and a
// short number is also a house or a flat. The comparison is the criteria's own forgiving one (FoldForMatch).
namespace vg {

class TPreparedDirectory;

// The kinds of street the directory writes in front of (or after) a street's name.
enum class StreetKind : std::uint8_t {
    None, // a plain name: the directory leaves "улица" out
    Avenue,
    Lane,
    Settlement,
    Highway,
    DeadEnd,
    Square,
    Boulevard,
    Passage,
    District,
    Embankment,
};

// The kind a word names, folded as FoldForMatch folds a street (so "пр.", "ПР", "проспект" all give Avenue);
// `isKind` false when it names none. "улица" and "ул." name a plain street (None).
StreetKind StreetKindOfWord(std::string_view foldedWord, bool& isKind);
// The kind of a street as the directory writes it, from its folded text: the first of its words that names a
// kind, None for a plain name.
StreetKind StreetKindOf(std::string_view foldedStreet);

// One word of the box as the search reads it.
struct TBoxWord {
    enum class Kind : std::uint8_t {
        Letters, // begins a word of the street or of the subscriber
        Number,  // digits: a part of a dictated number, a house or a flat
        Address, // digits with a letter or a fraction (8А, 8/1): a house or a flat
    };
    Kind kind = Kind::Letters;
    std::string typed;  // as typed, Windows-1251
    std::string folded; // Letters: FoldForMatch(Words); Number: its digits; Address: FoldForMatch(Address)
    bool streetKind = false;
    bool initials = false;                // single letters ("Н.", "Н.Ф."): the subscriber's, never the street's
    StreetKind street = StreetKind::None; // the kind a Letters word names, when streetKind
    int group = -1;                       // Number and Address: the group of numbers said together
};

// Numbers said one after another ("21 39 18", "21-39-18", "8 21"): together the beginning of the phone, or,
// two at most and short enough, a house and then a flat.
struct TBoxGroup {
    std::vector<std::size_t> words;   // indexes into the words, in order
    std::vector<std::string> numbers; // every number said, folded: "21", "8А", "8/1"
    std::vector<std::uint8_t> roles;  // per number: said after "д." (1) or "кв." (2), or neither (0)
    std::string digits;               // the digits of all of them, for the phone; empty when an Address is among them
    bool phone = false;               // the digits may begin the phone
    bool address = false;             // the numbers may be a house (and a flat)
};

// A part of a stored field that a word matched: `length` characters from `begin`, in the field as stored.
struct TSpan {
    std::uint32_t begin = 0;
    std::uint32_t length = 0;
    friend bool operator==(const TSpan& a, const TSpan& b) { return a.begin == b.begin && a.length == b.length; }
};
using TFieldSpans = std::array<std::vector<TSpan>, kFieldCount>;

class TBoxQuery {
public:
    // `text` in Windows-1251, as typed: words are parted by blanks, commas and semicolons.
    explicit TBoxQuery(std::string_view text);

    bool Empty() const { return words_.empty(); }
    const std::vector<TBoxWord>& Words() const { return words_; }
    const std::vector<TBoxGroup>& Groups() const { return groups_; }

    // Every word matches the record (a group of numbers as one).
    bool operator()(const TString& record) const;
    // The words that match the record on their own, one bit per word (of the first 64; AllWords has them all);
    // a group's words match together or not at all.
    std::uint64_t Matched(const TString& record) const;
    std::uint64_t AllWords() const { return all_; }
    // The same test in parts, for data prepared once per distinct text (TPreparedDirectory::SelectBox), for at
    // most 64 words and groups: bit w for word w of letters, bit g for group g of numbers. A record is matched
    // when its street's and subscriber's bits together hold LetterWords and GroupsMatch holds.
    std::uint64_t LetterWords() const { return letterWords_; }
    std::uint64_t StreetMatches(std::string_view foldedStreet) const; // FoldForMatch(Words)
    std::uint64_t UserMatches(std::string_view foldedUser) const;
    std::uint64_t HouseMatches(std::string_view house) const; // as stored
    std::uint64_t FlatMatches(std::string_view flat) const;
    std::uint64_t PhoneMatches(std::string_view phone) const;
    bool GroupsMatch(std::uint64_t house, std::uint64_t flat, std::uint64_t phone) const {
        return GroupsMatched(house, flat, phone) == allGroups_;
    }
    // The groups that match, bit g for group g, from the bits of the record's house, flat and phone.
    std::uint64_t GroupsMatched(std::uint64_t house, std::uint64_t flat, std::uint64_t phone) const {
        const std::uint64_t address = ((house & flat) & pairs_) | ((house | flat) & ~pairs_);
        return (phone | address) & allGroups_;
    }
    // Where the words matched the record's fields, to show the operator why it is there.
    TFieldSpans Spans(const TString& record) const;

private:
    bool LettersMatch(const TBoxWord& word, std::string_view street, std::string_view user, StreetKind kind) const;
    bool GroupMatches(const TBoxGroup& group, const TString& record) const;

    std::vector<TBoxWord> words_;
    std::vector<TBoxGroup> groups_;
    std::vector<std::uint8_t> markers_; // per word: the marker said before it
    std::uint64_t all_ = 0;
    std::uint64_t letterWords_ = 0, allGroups_ = 0, pairs_ = 0;
    bool hasLetters_ = false;
};

// Where a folded word begins a word of `folded` (a position after a character that is neither letter nor digit,
// or 0); npos when nowhere.
std::size_t FindWordStart(std::string_view folded, std::string_view word, std::size_t from = 0);
// Whether a word can begin at `at` of a folded text: at its start or after a character that is no letter or digit.
bool BeginsWordAt(std::string_view folded, std::size_t at);

// Reloads the whole directory and deletes every record the box's words do not all match, as RunSearch does for
// the criteria (the same progress, the same Finish). An empty box leaves the whole directory.
SearchResult RunBoxSearch(TStrContainer& container, ISearchHost& host, const TBoxQuery& query);

// What each word of the box finds alone, in the words' order (a group's words each get the group's count), and
// what they find together.
struct TBoxCounts {
    std::vector<std::int32_t> words;
    std::int32_t together = 0;
};
TBoxCounts CountBoxWords(const TStrContainer& directory, const TBoxQuery& query);
// The same counts from the prepared directory's distinct texts (TPreparedDirectory::CountBox), or from its
// records when it cannot.
TBoxCounts CountBoxWords(const TPreparedDirectory& directory, const TBoxQuery& query);

// Why the box found nothing in `directory` (the whole directory) and what would find something: a count for
// each word (its description the word in «», its field User), and box texts that find at least one record, best
// first — the word that finds nothing under the other keyboard layout, a street or surname near it (as the
// advisor finds them for the criteria), the box without that word. A suggestion's text is the whole new box
// text (Windows-1251), its field User and its condition NoCondition.
TExplanation ExplainBox(const TStrContainer& directory, const TSearchAdvisor& advisor, const TBoxQuery& query);
// The same explanation, every count taken from the prepared directory: what the window asks while the operator
// types.
TExplanation ExplainBox(const TPreparedDirectory& directory, const TSearchAdvisor& advisor, const TBoxQuery& query);

} // namespace vg
