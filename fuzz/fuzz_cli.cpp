// The tool's whole search command line: arbitrary arguments (one a line) after "search FILE", run as the
// program runs them. Every outcome is an exit status of 0, 1 or 2; the output goes to /dev/null.
#include "cli.h"
#include "directory/loader.h"
#include "directory/writer.h"
#include "resources/builtin_directory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string gDirectory;

void RemoveDirectory() {
    std::remove(gDirectory.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    // A small directory of every 500th built-in record, so that each run loads quickly.
    vg::TStrContainer city;
    vg::LoadDirectory(city, vg::BuiltinDirectory());
    std::vector<vg::DirectoryRecord> records;
    for (int i = 0; i < city.Count(); i += 500)
        records.push_back(vg::ToRecord(*city.GetItem(i)));
    gDirectory = "/tmp/vg-fuzz-cli-" + std::to_string(::getpid()) + ".rcd";
    std::FILE* f = std::fopen(gDirectory.c_str(), "wb");
    std::string bytes = vg::PackDirectory(records);
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) std::abort();
    std::atexit(RemoveDirectory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> words = {"vetlograd09-cli", "search", gDirectory};
    std::string word;
    for (std::size_t k = 0; k < size && words.size() < 24; ++k) {
        char c = static_cast<char>(data[k]);
        if (c == '\n') {
            words.push_back(word);
            word.clear();
        } else if (c != '\0') {
            word += c;
        }
    }
    if (!word.empty() && words.size() < 24) words.push_back(word);
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    int status = vg::RunCli(static_cast<int>(words.size()), argv.data());
    if (status < 0 || status > 2) std::abort();
    return 0;
}
