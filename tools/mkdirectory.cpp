// Builds the directory file that the program carries: the generated city, or a publisher's own CSV, packed
// exactly as the tool's pack packs it.
//   mkdirectory generate [--records N] -o FILE
//   mkdirectory pack [--excel] CSV -o FILE

#include "citygen.h"
#include "directory/atomicfile.h"
#include "directory/writer.h"
#include "fileio.h"
#include "packcsv.h"

#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: mkdirectory generate [--records N] -o FILE\n"
                         "       mkdirectory pack [--excel] CSV -o FILE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string mode = argv[1];
    std::string output;
    int records = vg::CityFigures::kRecords;
    bool excel = false;
    const option longs[] = {{"output", required_argument, nullptr, 'o'},
                            {"records", required_argument, nullptr, 'r'},
                            {"excel", no_argument, nullptr, 'x'},
                            {}};
    for (int id; (id = getopt_long(argc - 1, argv + 1, "o:", longs, nullptr)) != -1;) {
        if (id == 'o')
            output = optarg;
        else if (id == 'r')
            records = std::atoi(optarg);
        else if (id == 'x')
            excel = true;
        else
            return Usage();
    }
    const int operands = argc - 1 - optind;
    if (output.empty() || records < 1 || !(mode == "generate" ? operands == 0 : mode == "pack" && operands == 1))
        return Usage();
    try {
        std::string error;
        if (mode == "pack") {
            if (vg::PackCsv({argv[1 + optind], output, excel ? vg::CsvEncoding::Windows1251 : vg::CsvEncoding::Utf8},
                            error))
                return 0;
        } else if (vg::WriteFileAtomically(output, vg::PackDirectory(vg::GenerateCity(records)), error)) {
            return 0;
        }
        std::fprintf(stderr, "mkdirectory: %s\n", error.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkdirectory: %s\n", e.what());
    }
    return 1;
}
