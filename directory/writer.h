#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vg {

// One directory record in its five fields, Windows-1251.
struct DirectoryRecord {
    std::string phone, street, house, flat, user;
};

class TString;
// The five fields of a loaded record (a missing line gives an empty field).
DirectoryRecord ToRecord(const TString& record);

// The container's serialised form: header (Count, HeaderValue 0), the records with Tag 0 and four CR LF
// lines each, and IndexCount 0.
std::string SerializeDirectory(const std::vector<DirectoryRecord>& records);

// zlib at maximum compression, followed by two zero bytes, as the program carries its directory.
std::string CompressDirectory(std::string_view inflated);

// Sorts records by key, byte by byte as unsigned values, a shorter prefix first; equal keys keep their order.
void SortByKey(std::vector<DirectoryRecord>& records);

// A directory file made record by record: each record is kept serialised as it comes, and only at the end sorted
// by key (as SortByKey) and compressed piece by piece, so that what it holds is the inflated directory, 8 bytes
// a record and the compressed file, never more than one copy of a record.
class TDirectoryPacker {
public:
    void Add(const DirectoryRecord& record);
    std::int32_t Count() const { return static_cast<std::int32_t>(starts_.size()); }
    // The bytes of the directory file (as CompressDirectory of SerializeDirectory of the sorted records). The
    // records are gone after it.
    std::string Finish();

private:
    // Records lie whole in blocks of at least kBlockBytes; a record's start is its block << 32 | its offset.
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
    std::vector<std::string> blocks_;
    std::vector<std::uint64_t> starts_;
};

// Sorts by key, serialises and compresses: the bytes of a directory file (through TDirectoryPacker).
std::string PackDirectory(const std::vector<DirectoryRecord>& records);

} // namespace vg
