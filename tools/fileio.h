#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vg {

// Looks at the first bytes of a file (up to 4,096, fewer only for a shorter file) and returns why the file
// cannot be what is wanted, or the empty text.
using StartCheck = std::function<std::string(std::string_view start)>;

// Reads a whole file of at most `limit` bytes; false with a message in `error` when it cannot be opened or
// read, when it is longer, or when `checkStart` refuses its first bytes (then nothing more is read).
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error,
                   std::int64_t limit = std::int64_t{1} << 30, const StartCheck& checkStart = {});

} // namespace vg
