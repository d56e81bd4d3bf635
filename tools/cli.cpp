// vetlograd09-cli: the companion tool for the people who publish and check the directory.

#include "cli.h"
#include "directory/cp1251.h"
#include "directory/csv.h"
#include "directory/errors.h"
#include "directory/filestream.h"
#include "directory/limits.h"
#include "directory/loader.h"
#include "directory/writer.h"
#include "dirstats.h"
#include "fileio.h"
#include "resources/builtin_directory.h"
#include "resources/version.h"
#include "results/columnsort.h"
#include "search/searchrun.h"
#include "search/suggest.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <new>
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
    "         [--user C:TEXT] [--sort phone|street|house|flat|user] [--desc] [--explain]\n"
    "                          the records that meet every criterion, as CSV; their number on stderr;\n"
    "                          with --explain, when none does, what each criterion alone finds and\n"
    "                          changes that would find something, on stderr\n"
    "  --help                  this text\n"
    "  --version               the tool's version\n"
    "\n"
    "FILE defaults to the directory built into the program.\n"
    "C is a condition: begins, contains, not-contains, eq, gt, ge, lt, le, mask, not-mask, ne.\n"
    "\n"
    "Exit status: 0 done, 1 a bad or damaged file or an invalid mask, 2 a usage error.\n";

int Usage(const std::string& why) {
    std::fprintf(stderr, "vetlograd09-cli: %s\n\n%s", why.c_str(), kUsage);
    return 2;
}

// The compressed bytes of FILE, read piece by piece, or of the built-in directory; null after a message.
std::unique_ptr<vg::TStream> OpenDirectory(const std::string& file) {
    if (file.empty()) return std::make_unique<vg::TMemoryStream>(vg::BuiltinDirectory());
    try {
        return std::make_unique<vg::TFileStream>(file, vg::limits::kFileBytes);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vetlograd09-cli: %s\n", e.what());
        return nullptr;
    }
}

std::string Describe(const std::string& file) {
    return file.empty() ? "the built-in directory" : file;
}

// A failed load: a file that could not be read says so; anything else is damage (or data past a limit).
int LoadFailed(const std::string& file, const std::exception& e) {
    if (dynamic_cast<const vg::EFileError*>(&e))
        std::fprintf(stderr, "vetlograd09-cli: %s\n", e.what());
    else
        std::fprintf(stderr, "vetlograd09-cli: %s is damaged: %s\n", Describe(file).c_str(), e.what());
    return 1;
}

// Standard output, every write checked: a failed one ends the command with status 1 and the reason, a
// reader that went away (a closed pipe) ends it quietly, by SIGPIPE, as cat ends.
class Output {
public:
    void Put(std::string_view text) {
        if (failed_ || text.empty()) return;
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) Fail();
    }
    // Flushes; the command's exit status.
    int Finish() {
        if (!failed_ && (std::fflush(stdout) != 0 || std::ferror(stdout))) Fail();
        if (!failed_) return 0;
        if (errno_ == EPIPE) {
            std::signal(SIGPIPE, SIG_DFL);
            std::raise(SIGPIPE);
        }
        std::fprintf(stderr, "vetlograd09-cli: cannot write the output: %s\n", std::strerror(errno_));
        return 1;
    }

private:
    void Fail() {
        failed_ = true;
        errno_ = errno != 0 ? errno : EIO;
    }
    bool failed_ = false;
    int errno_ = 0;
};

int PrintCsv(const vg::TStrContainer& container) {
    Output output;
    std::string out = vg::DirectoryCsvHeader();
    for (int i = 0; i < container.Count(); ++i) {
        out += vg::CsvLine(vg::ToRecord(*container.GetItem(i)));
        if (out.size() > (1 << 16)) {
            output.Put(out);
            out.clear();
        }
    }
    output.Put(out);
    return output.Finish();
}

int Stats(const std::string& file) {
    auto source = OpenDirectory(file);
    if (!source) return 1;
    std::string figures;
    try {
        figures = vg::MeasureDirectory(*source).Format();
    } catch (const std::exception& e) {
        return LoadFailed(file, e);
    }
    Output output;
    output.Put(figures);
    return output.Finish();
}

int Dump(const std::string& file) {
    auto source = OpenDirectory(file);
    if (!source) return 1;
    vg::TStrContainer container;
    try {
        vg::LoadDirectory(container, *source);
    } catch (const std::exception& e) {
        return LoadFailed(file, e);
    }
    return PrintCsv(container);
}

int Pack(const std::string& csvFile, const std::string& output) {
    if (vg::SameFile(csvFile, output)) {
        std::fprintf(stderr, "vetlograd09-cli: %s is the CSV itself; nothing was written\n", output.c_str());
        return 1;
    }
    std::string csv, error;
    if (!vg::ReadWholeFile(csvFile, csv, error, vg::limits::kCsvBytes, vg::CheckCsvStart)) {
        std::fprintf(stderr, "vetlograd09-cli: %s; nothing was written\n", error.c_str());
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
    // Every search starts from the whole directory, read once into the master and restored from it.
    void Reload() override { master_.Load(container_); }
    vg::TCriteria ReadCriteria() override { return vg::ReadCriteria(inputs_); }

private:
    vg::TStrContainer& container_;
    vg::TDirectoryMaster& master_;
    const std::array<vg::TCriterionInput, vg::kCriterionCount>& inputs_;
};

// The suggestion as the tool's own option: "--street begins:ЛЕНИНА".
std::string AsOption(const vg::TSuggestion& s) {
    return "--" + std::string(vg::InfoOf(s.field).word) + " " + std::string(vg::InfoOf(s.condition).word) + ":" +
           vg::cp1251::ToUtf8(s.text);
}

void PrintExplanation(const vg::TExplanation& explanation) {
    std::string out = "explain: " + vg::FormatCounts(explanation) + "\n";
    for (const vg::TSuggestion& s : explanation.suggestions)
        out += "suggest: " + AsOption(s) + "  # " + vg::FormatSuggestion(s) + "\n";
    std::fputs(out.c_str(), stderr);
}

int Search(int argc, char** argv) {
    std::string file;
    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs;
    for (auto& in : inputs)
        in.selected = 0;
    int sortColumn = -1;
    bool descending = false, explain = false;
    bool given[vg::kCriterionCount] = {};
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--desc") {
            descending = true;
            continue;
        }
        if (arg == "--explain") {
            explain = true;
            continue;
        }
        if (arg == "--sort") {
            if (i + 1 >= argc) return Usage("--sort needs a column");
            if (sortColumn >= 0) return Usage("--sort given twice");
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
            if (given[vg::Index(criterion->field)]) return Usage(arg + " given twice");
            given[vg::Index(criterion->field)] = true;
            if (i + 1 >= argc) return Usage(arg + " needs C:TEXT");
            std::string value = argv[++i];
            auto colon = value.find(':');
            if (colon == std::string::npos) return Usage(arg + " needs C:TEXT, such as begins:ЛЕН");
            std::string condition = value.substr(0, colon);
            const vg::MatchCondition named = vg::ConditionNamed(condition);
            if (named == vg::MatchCondition::NoCondition) return Usage("unknown condition '" + condition + "'");
            vg::TCriterionInput& in = inputs[vg::Index(criterion->field)];
            if (!vg::IsUtf8(value)) return Usage("the " + std::string(criterion->word) + " text is not UTF-8");
            if (!vg::cp1251::FromUtf8(value.substr(colon + 1), in.text))
                return Usage("the " + std::string(criterion->word) + " text '" + value.substr(colon + 1) +
                             "' cannot be written in Windows-1251");
            in.selected = vg::ItemOf(named);
            continue;
        }
        if (!file.empty()) return Usage("more than one FILE");
        file = arg;
    }

    if (!file.empty() && !OpenDirectory(file)) return 1;
    // Declared before the container, which shares the master's records.
    vg::TDirectoryMaster master([&file](vg::TStrContainer& c, const vg::ProgressCallback& p) {
        if (file.empty()) {
            vg::LoadDirectory(c, vg::BuiltinDirectory(), p);
            return;
        }
        vg::TFileStream source(file, vg::limits::kFileBytes); // read piece by piece
        vg::LoadDirectory(c, source, p);
    });
    vg::TStrContainer container;
    CliSearch host(container, master, inputs);
    vg::SearchResult result;
    try {
        result = vg::RunSearch(container, host);
        if (result.outcome == vg::SearchOutcome::Failed) {
            // The position counts the characters of the text as given, before any preparation.
            const std::string typed = vg::cp1251::ToUtf8(result.mask);
            std::fprintf(stderr, "vetlograd09-cli: the %s mask '%s' is invalid at position %d: %s\n",
                         std::string(vg::kCriteria[static_cast<std::size_t>(result.criterion)].word).c_str(),
                         typed.c_str(), result.position, std::string(vg::InfoOf(result.reason).word).c_str());
            return 1;
        }
        if (sortColumn >= 0) vg::SortByColumn(container, sortColumn, !descending);
    } catch (const std::exception& e) {
        return LoadFailed(file, e);
    }
    int status = PrintCsv(container);
    if (status != 0) return status;
    std::fprintf(stderr, "%d\n", container.Count());
    if (explain && result.outcome == vg::SearchOutcome::NotFound) {
        // The search left nothing in the container: the explanation looks at the whole directory again.
        try {
            host.Reload();
        } catch (const std::exception& e) {
            return LoadFailed(file, e);
        }
        PrintExplanation(vg::ExplainSearch(container, host.ReadCriteria()));
    }
    return 0;
}

int Run(int argc, char** argv) {
    if (argc < 2) return Usage("no command");
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("vetlograd09-cli %s\n", vg::kVersion);
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

} // namespace

int vg::RunCli(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vetlograd09-cli: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vetlograd09-cli: %s\n", e.what());
    }
    return 1;
}
