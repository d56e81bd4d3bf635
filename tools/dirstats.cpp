#include "dirstats.h"

#include "directory/errors.h"
#include "directory/limits.h"
#include "directory/loader.h"

#include <algorithm>
#include <map>

namespace vg {

std::string DirectoryStats::Format() const {
    std::string out;
    auto line = [&out](const char* name, std::int64_t value) {
        out += name;
        out += ": ";
        out += std::to_string(value);
        out += '\n';
    };
    line("records", records);
    line("header value", headerValue);
    line("index sections", indexSections);
    line("empty keys", emptyKeys);
    line("5-digit keys", fiveDigitKeys);
    line("6-digit keys", sixDigitKeys);
    line("other keys", otherKeys);
    line("numbers occurring more than once", repeatedNumbers);
    line("empty streets", emptyStreets);
    line("empty houses", emptyHouses);
    line("empty flats", emptyFlats);
    line("NOSTREET", noStreet);
    line("records with a non-zero tag", nonZeroTags);
    line("records without four lines", recordsWithoutFourLines);
    line("shortest text", shortestText);
    line("longest text", longestText);
    line("longest street", longestStreet);
    line("longest house", longestHouse);
    line("longest flat", longestFlat);
    line("longest user", longestUser);
    line("compressed bytes", compressedBytes);
    line("inflated bytes", inflatedBytes);
    return out;
}

DirectoryStats MeasureDirectory(std::string_view compressed) {
    TMemoryStream source(compressed);
    return MeasureDirectory(source);
}

DirectoryStats MeasureDirectory(TStream& source) {
    DirectoryStats st;
    TStrContainer container;
    // The whole stream, checksum and whatever follows the index count included.
    st.inflatedBytes = LoadDirectory(container, source);
    // And the bytes after the zlib stream towards the compressed size.
    char sink[4096];
    while (source.Read(sink, sizeof sink) > 0) {
    }
    st.compressedBytes = source.Position();
    st.records = container.Count();
    st.headerValue = container.HeaderValue;
    // The stream ends right after its index count when no sections follow; anything after would be sections.
    st.indexSections = 0;

    std::map<std::string_view, int> numbers;
    bool first = true;
    for (int i = 0; i < container.Count(); ++i) {
        const TString* r = container.GetItem(i);
        std::string_view key = r->Key();
        bool digits = std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (key.empty())
            ++st.emptyKeys;
        else if (digits && key.size() == 5)
            ++st.fiveDigitKeys;
        else if (digits && key.size() == 6)
            ++st.sixDigitKeys;
        else
            ++st.otherKeys;
        if (!key.empty()) ++numbers[key];
        if (r->Tag != 0) ++st.nonZeroTags;
        TLineList lines = r->Lines();
        if (lines.Count() != 4) ++st.recordsWithoutFourLines;
        std::int64_t text = 0;
        for (int k = 0; k < lines.Count(); ++k)
            text += static_cast<std::int64_t>(lines.Get(k).size()) + 2;
        if (first || text < st.shortestText) st.shortestText = text;
        if (first || text > st.longestText) st.longestText = text;
        first = false;
        std::string_view street = lines.Get(0), house = lines.Get(1), flat = lines.Get(2), user = lines.Get(3);
        if (street.empty()) ++st.emptyStreets;
        if (street == "NOSTREET") ++st.noStreet;
        if (house.empty()) ++st.emptyHouses;
        if (flat.empty()) ++st.emptyFlats;
        st.longestStreet = std::max<std::int64_t>(st.longestStreet, static_cast<std::int64_t>(street.size()));
        st.longestHouse = std::max<std::int64_t>(st.longestHouse, static_cast<std::int64_t>(house.size()));
        st.longestFlat = std::max<std::int64_t>(st.longestFlat, static_cast<std::int64_t>(flat.size()));
        st.longestUser = std::max<std::int64_t>(st.longestUser, static_cast<std::int64_t>(user.size()));
    }
    for (const auto& [number, times] : numbers)
        if (times > 1) ++st.repeatedNumbers;
    return st;
}

} // namespace vg
