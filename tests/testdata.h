#pragma once

#include "directory/strcontainer.h"
#include "directory/writer.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace vg::test {

// UTF-8 to Windows-1251, for readable test texts.
std::string W(const std::string& utf8);

// A container holding the given records, in the given order.
void Fill(TStrContainer& container, const std::vector<DirectoryRecord>& records);

// A compressed directory of the given records, kept in the given order.
std::string Compressed(const std::vector<DirectoryRecord>& records);

// Little-endian 32-bit words, for building streams by hand.
std::string Int32(std::int32_t value);

// Every `step`-th record of the built-in directory, `count` of them, as fields.
std::vector<DirectoryRecord> BuiltinRecords(int step, int count);

// The built-in directory, loaded once.
const TStrContainer& BuiltinContainer();

} // namespace vg::test
