// vetlograd09-cli: the companion tool for the people who publish and check the directory.

#include "directory/cp1251.h"
#include "directory/csv.h"
#include "directory/errors.h"
#include "directory/loader.h"
#include "directory/writer.h"
#include "dirstats.h"
#include "fileio.h"
#include "resources/builtin_directory.h"
#include "results/columnsort.h"
#include "search/searchrun.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: vetlograd09-cli COMMAND ...\n"
    "\n"
    "  stats [FILE]            the directory's figures, one 'name: value' a line\n"
    "  dump [FILE]             the records as CSV (UTF-8): phone,street,house,flat,user\n"
    "  pack CSV -o FILE        a directory file from such a CSV\n"
    "  search [FILE] [--phone C:TEXT] [--street C:TEXT] [--house C:TEXT] [--flat C:TEXT]\n"
    "         [--user C:TEXT] [--sort phone|street|house|flat|user] [--desc]\n"
    "                          the records that meet every criterion, as CSV; their number on stderr\n"
    "  --help                  this text\n"
    "\n"
    "FILE defaults to the directory built into the program.\n"
    "C is a condition: begins, contains, not-contains, eq, gt, ge, lt, le, mask, not-mask, ne.\n"
    "\n"
    "Exit status: 0 done, 1 a bad or damaged file or an invalid mask, 2 a usage error.\n";

int Usage(const std::string& why) {
    std::fprintf(stderr, "vetlograd09-cli: %s\n\n%s", why.c_str(), kUsage);
    return 2;
}

// Reads FILE, or takes the built-in directory; false after a message.
bool LoadBytes(const std::string& file, std::string& bytes, std::string_view& view) {
    if (file.empty()) {
        view = vg::BuiltinDirectory();
        return true;
    }
    std::string error;
    if (!vg::ReadWholeFile(file, bytes, error)) {
        std::fprintf(stderr, "vetlograd09-cli: %s\n", error.c_str());
        return false;
    }
    view = bytes;
    return true;
}

std::string Describe(const std::string& file) {
    return file.empty() ? "the built-in directory" : file;
}

void PrintCsv(const vg::TStrContainer& container) {
    std::string out = vg::DirectoryCsvHeader();
    for (int i = 0; i < container.Count(); ++i) {
        out += vg::CsvLine(vg::ToRecord(*container.GetItem(i)));
        if (out.size() > (1 << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

int Stats(const std::string& file) {
    std::string bytes;
    std::string_view view;
    if (!LoadBytes(file, bytes, view)) return 1;
    try {
        std::fputs(vg::MeasureDirectory(view).Format().c_str(), stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vetlograd09-cli: %s is damaged: %s\n", Describe(file).c_str(), e.what());
        return 1;
    }
    return 0;
}

int Dump(const std::string& file) {
    std::string bytes;
    std::string_view view;
    if (!LoadBytes(file, bytes, view)) return 1;
    vg::TStrContainer container;
    try {
        vg::LoadDirectory(container, view);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vetlograd09-cli: %s is damaged: %s\n", Describe(file).c_str(), e.what());
        return 1;
    }
    PrintCsv(container);
    return 0;
}

int Pack(const std::string& csvFile, const std::string& output) {
    std::string csv, error;
    if (!vg::ReadWholeFile(csvFile, csv, error)) {
        std::fprintf(stderr, "vetlograd09-cli: %s\n", error.c_str());
        return 1;
    }
    auto parsed = vg::ParseDirectoryCsv(csv);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "vetlograd09-cli: %s: %s; nothing was written\n", csvFile.c_str(), parsed.error.c_str());
        return 1;
    }
    if (!vg::WriteWholeFile(output, vg::PackDirectory(std::move(parsed.records)), error)) {
        std::fprintf(stderr, "vetlograd09-cli: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

// The command line's criteria, handed to the search run as the window hands its fields.
class CliSearch : public vg::ISearchHost {
public:
    CliSearch(vg::TStrContainer& container, vg::TDirectoryMaster& master,
              const std::array<vg::TCriterionInput, vg::kCriterionCount>& inputs)
        : container_(container), master_(master), inputs_(inputs) {}
    void Reload() override { master_.Load(container_); }
    vg::TCriteria ReadCriteria() override { return vg::ReadCriteria(inputs_); }

private:
    vg::TStrContainer& container_;
    vg::TDirectoryMaster& master_;
    const std::array<vg::TCriterionInput, vg::kCriterionCount>& inputs_;
};

int Search(int argc, char** argv) {
    std::string file;
    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs;
    for (auto& in : inputs)
        in.selected = 0;
    int sortColumn = -1;
    bool descending = false;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--desc") {
            descending = true;
            continue;
        }
        if (arg == "--sort") {
            if (i + 1 >= argc) return Usage("--sort needs a column");
            std::string column = argv[++i];
            for (const vg::TCriterionInfo& info : vg::kCriteria)
                if (column == info.word) sortColumn = static_cast<int>(info.field);
            if (sortColumn < 0) return Usage("unknown sort column '" + column + "'");
            continue;
        }
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            const vg::TCriterionInfo* criterion = nullptr;
            for (const vg::TCriterionInfo& info : vg::kCriteria)
                if (arg.substr(2) == info.word) criterion = &info;
            if (!criterion) return Usage("unknown option '" + arg + "'");
            if (i + 1 >= argc) return Usage(arg + " needs C:TEXT");
            std::string value = argv[++i];
            auto colon = value.find(':');
            if (colon == std::string::npos) return Usage(arg + " needs C:TEXT, such as begins:ЛЕН");
            std::string condition = value.substr(0, colon);
            const vg::MatchCondition named = vg::ConditionNamed(condition);
            if (named == vg::MatchCondition::NoCondition) return Usage("unknown condition '" + condition + "'");
            vg::TCriterionInput& in = inputs[vg::Index(criterion->field)];
            if (!vg::cp1251::FromUtf8(value.substr(colon + 1), in.text))
                return Usage("the " + std::string(criterion->word) + " text '" + value.substr(colon + 1) +
                             "' cannot be written in Windows-1251");
            in.selected = vg::ItemOf(named);
            continue;
        }
        if (!file.empty()) return Usage("more than one FILE");
        file = arg;
    }

    std::string bytes;
    std::string_view view;
    if (!LoadBytes(file, bytes, view)) return 1;
    // Declared before the container, which shares the master's records.
    vg::TDirectoryMaster master(view);
    vg::TStrContainer container;
    CliSearch host(container, master, inputs);
    vg::SearchResult result;
    try {
        result = vg::RunSearch(container, host);
        if (result.outcome == vg::SearchOutcome::Failed) {
            std::string typed = vg::cp1251::ToUtf8(inputs[static_cast<std::size_t>(result.criterion)].text);
            std::fprintf(stderr, "vetlograd09-cli: the %s mask '%s' is invalid at position %d\n",
                         std::string(vg::kCriteria[static_cast<std::size_t>(result.criterion)].word).c_str(),
                         typed.c_str(), result.position);
            return 1;
        }
        if (sortColumn >= 0) vg::SortByColumn(container, sortColumn, !descending);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vetlograd09-cli: %s is damaged: %s\n", Describe(file).c_str(), e.what());
        return 1;
    }
    PrintCsv(container);
    std::fprintf(stderr, "%d\n", container.Count());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage("no command");
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "stats" || command == "dump") {
        if (argc > 3) return Usage(command + " takes at most one FILE");
        std::string file = argc == 3 ? argv[2] : "";
        return command == "stats" ? Stats(file) : Dump(file);
    }
    if (command == "pack") {
        std::string csv, output;
        for (int i = 2; i < argc; ++i) {
            std::string arg = argv[i];
            if (arg == "-o" && i + 1 < argc)
                output = argv[++i];
            else if (csv.empty())
                csv = arg;
            else
                return Usage("pack takes one CSV");
        }
        if (csv.empty() || output.empty()) return Usage("pack needs CSV -o FILE");
        return Pack(csv, output);
    }
    if (command == "search") return Search(argc, argv);
    return Usage("unknown command '" + command + "'");
}
