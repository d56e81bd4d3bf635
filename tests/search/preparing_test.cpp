#include "directory/loadoutcome.h"
#include "search/folding.h"
#include "search/preparing.h"
#include "search/searchrun.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <tuple>

namespace {

using vg::test::Int32;

constexpr vg::Field kColumns[] = {vg::Field::Street, vg::Field::House, vg::Field::Flat, vg::Field::User};

template <class... Parts> void Put(std::string& out, const Parts&... parts) {
    (out.append(parts), ...);
}

// Everything a search reads of a prepared directory: the last record short of lines, the phones with letters, each
// column's distinct texts with their folded forms and counts, and every record's code.
std::string Describe(const vg::TPreparedDirectory& p) {
    std::string out = std::to_string(p.Count()) + " stop " +
                      std::to_string(p.Select(vg::TRecordFilter(vg::TCriteria{})).stop) + " letters in";
    for (std::uint32_t i : p.PhonesBeyondDigits())
        Put(out, " ", std::to_string(i));
    for (vg::Field field : kColumns) {
        const vg::TFieldColumn& column = p.Column(field);
        for (std::size_t code = 0; code < column.Distinct(); ++code)
            Put(out, "|", column.Text(code), "=", column.Folded(code), " ", std::to_string(column.Records(code)));
        for (std::uint32_t i = 0; i < column.CodeCount(); ++i)
            Put(out, ",", std::to_string(column.Codes()[i]));
    }
    return out;
}

// The same worked out from the records: texts numbered in the order their first records come.
std::string Expected(const vg::TStrContainer& whole) {
    int lastShort = -1;
    std::string odd;
    for (int i = 0; i < whole.Count(); ++i) {
        if (whole.GetItem(i)->Lines().Count() < vg::kFieldCount - 1) lastShort = i;
        if (whole.GetKey(i).find_first_not_of("0123456789") != std::string_view::npos) Put(odd, " ", std::to_string(i));
    }
    std::string out = std::to_string(whole.Count()) + " stop " + std::to_string(lastShort) + " letters in" + odd;
    for (vg::Field field : kColumns) {
        std::map<std::string_view, std::size_t> codes;
        std::vector<std::string_view> texts;
        std::vector<std::size_t> counts, of;
        for (int i = 0; i < whole.Count(); ++i) {
            const std::string_view line = whole.GetItem(i)->Lines().Get(static_cast<int>(field) - 1);
            const auto [at, added] = codes.emplace(line, texts.size());
            if (added) texts.push_back(line), counts.push_back(0);
            ++counts[at->second];
            of.push_back(at->second);
        }
        for (std::size_t code = 0; code < texts.size(); ++code)
            Put(out, "|", texts[code], "=", vg::FoldForMatch(vg::FoldKindOf(field), texts[code]), " ",
                std::to_string(counts[code]));
        for (std::size_t code : of)
            Put(out, ",", std::to_string(code));
    }
    return out;
}

// Loaded and prepared at once, a directory of several runs of records ends as the master's own load ends: the same
// records, progress reports and failure, sound, cut, damaged within the stream or in its checksum, or stopped by
// its reporter; prepared only when it is whole, and then as its records say, in as many bytes as the constructor
// prepares it.
TEST(PreparingLoad, EndsAsTheLoadAndPreparesAsTheRecordsSay) {
    const std::vector<vg::DirectoryRecord> records = vg::test::BuiltinRecords(3, 11000);
    std::string inflated = Int32(static_cast<std::int32_t>(records.size())) + Int32(0);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const vg::DirectoryRecord& r = records[i];
        // Every 997th record short of lines, every 1499th phone with a letter.
        const std::string text = i % 997 == 5 ? r.street + "\r\n" + r.house
                                              : r.street + "\r\n" + r.house + "\r\n" + r.flat + "\r\n" + r.user;
        const std::string phone = i % 1499 == 9 ? r.phone + "A" : r.phone;
        inflated += Int32(static_cast<std::int32_t>(phone.size())) + Int32(static_cast<std::int32_t>(text.size())) +
                    Int32(0) + phone + text;
    }
    const std::string packed = vg::CompressDirectory(inflated + Int32(0));
    // Where the stream is cut (bit -1) or a bit flipped (none: 8), and the report its reporter fails (none: -1).
    const std::tuple<const char*, std::size_t, int, int> cases[] = {{"sound", 0, 8, -1},
                                                                    {"stopped midway", 0, 8, 40},
                                                                    {"stopped at the last report", 0, 8, 101},
                                                                    {"cut early", packed.size() / 5, -1, -1},
                                                                    {"cut late", packed.size() * 4 / 5, -1, -1},
                                                                    {"damaged early", packed.size() / 6, 3, -1},
                                                                    {"damaged late", packed.size() * 5 / 6, 5, -1},
                                                                    {"checksum damaged", packed.size() - 4, 1, -1}};
    for (const auto& [name, at, bit, stopAt] : cases) {
        SCOPED_TRACE(name);
        std::string bytes = bit < 0 ? packed.substr(0, at) : packed;
        if (bit >= 0 && bit < 8) bytes[at] = static_cast<char>(bytes[at] ^ (1 << bit));
        auto stopping = [stop = stopAt](const vg::ProgressCallback& p) {
            return [stop, &p, n = 0](std::int32_t position, std::int32_t maximum) mutable {
                if (n++ == stop) throw std::runtime_error("stopped");
                p(position, maximum);
            };
        };
        vg::TDirectoryMaster plain(bytes), preparing(bytes);
        std::shared_ptr<const vg::TPreparedDirectory> prepared;
        const vg::test::LoadOutcome want =
            vg::test::SeeLoad([&](vg::TStrContainer& c, const vg::ProgressCallback& p) { plain.Load(c, stopping(p)); });
        EXPECT_EQ(vg::test::SeeLoad([&](vg::TStrContainer& c, const vg::ProgressCallback& p) {
                      vg::TPreparingSink sink(1); // on its thread whatever the size
                      preparing.Load(c, stopping(p), &sink);
                      if (preparing.Whole()) prepared = sink.Finish(preparing.WholeShared());
                  }),
                  want);
        ASSERT_EQ(prepared != nullptr, preparing.Whole() != nullptr);
        if (!prepared) continue;
        EXPECT_EQ(Describe(*prepared), Expected(*preparing.WholeShared()));
        EXPECT_EQ(prepared->MemoryBytes(), vg::TPreparedDirectory(preparing.WholeShared()).MemoryBytes());
    }
}

} // namespace
