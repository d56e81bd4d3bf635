#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vg {

// Replaces the file `path` names with `bytes` all at once: whoever opens it sees the old content or the new,
// never a part, and a failure or a fatal signal leaves the old file as it was. False, with the reason in
// `error` (naming the file), when nothing was replaced.
//
// - A symbolic link, or a chain of them, is followed to its final target, which is replaced; the links stay.
//   A final target that exists and is not a regular file (a device, a pipe, a folder) is refused.
// - The bytes go to a temporary beside the final target, "TARGET.tmp-XXXXXX" (X random), created exclusively,
//   synced, then renamed over the target; the folder is synced after. A leftover of a killed program is
//   found by that name.
// - A replaced file keeps its mode and its owner and group; when they cannot be kept (another user's file
//   and no right to give it away) nothing is replaced. A new file gets the mode 0666 under the umask.
// - Whatever cannot be examined (a failing stat) is refused, never guessed.
// - While the temporary exists, every signal that would end the program by default removes it first; a
//   signal that is ignored stays ignored and one the program handles stays handled.
// One write at a time per process: concurrent calls wait for each other.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error);

// The bytes of a file made while it is written: each call gives the next piece (valid until the next call), an
// empty one at the end.
using FilePieces = std::function<std::string_view()>;
// WriteFileAtomically of the pieces one after another, never all of them at once. What the pieces throw leaves
// the old file as it was (the temporary removed) and is passed on.
bool WriteFileAtomically(const std::string& path, const FilePieces& pieces, std::string& error);

// Whether writing to `output` would replace the file `input` (links followed): true also when either cannot be
// examined, with the reason in `error`; false for an output that does not exist yet.
bool WouldReplace(const std::string& output, const std::string& input, std::string& error);

} // namespace vg
