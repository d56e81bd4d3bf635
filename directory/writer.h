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

// Sorts by key, serialises and compresses: the bytes of a directory file.
std::string PackDirectory(std::vector<DirectoryRecord> records);

} // namespace vg
