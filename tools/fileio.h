#pragma once

#include <string>

namespace vg {

// Reads a whole file; false with a message in `error` when it cannot.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);
// Writes a whole file through a temporary beside it, so a failure never leaves half a file.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error);

} // namespace vg
