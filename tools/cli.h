#pragma once

namespace vg {

// The companion tool's whole command line: its exit status (0 done, 1 a bad or damaged file, an invalid mask
// or a failed write, 2 a usage error). Writes to stdout and stderr; never throws.
int RunCli(int argc, char** argv);

} // namespace vg
