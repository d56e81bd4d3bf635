// Builds the directory file that the program carries: the generated city, or a publisher's own CSV.
//   mkdirectory generate [--records N] -o FILE
//   mkdirectory pack CSV -o FILE

#include "citygen.h"
#include "directory/csv.h"
#include "directory/writer.h"
#include "fileio.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    std::string input, output;
    int records = vg::CityFigures::kRecords;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc)
            output = argv[++i];
        else if (arg == "--records" && i + 1 < argc)
            records = std::atoi(argv[++i]);
        else
            input = arg;
    }
    if ((mode != "generate" && mode != "pack") || output.empty() || (mode == "pack" && input.empty()) || records < 1) {
        std::fprintf(stderr, "usage: mkdirectory generate [--records N] -o FILE\n"
                             "       mkdirectory pack CSV -o FILE\n");
        return 2;
    }
    try {
        std::string error, bytes;
        if (mode == "generate") {
            bytes = vg::PackDirectory(vg::GenerateCity(records));
        } else {
            std::string csv;
            if (!vg::ReadWholeFile(input, csv, error)) {
                std::fprintf(stderr, "mkdirectory: %s\n", error.c_str());
                return 1;
            }
            auto parsed = vg::ParseDirectoryCsv(csv);
            if (!parsed.error.empty()) {
                std::fprintf(stderr, "mkdirectory: %s: %s\n", input.c_str(), parsed.error.c_str());
                return 1;
            }
            bytes = vg::PackDirectory(std::move(parsed.records));
        }
        if (!vg::WriteWholeFile(output, bytes, error)) {
            std::fprintf(stderr, "mkdirectory: %s\n", error.c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkdirectory: %s\n", e.what());
        return 1;
    }
    return 0;
}
