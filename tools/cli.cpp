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
#include "packcsv.h"
#include "recordoutput.h"
#include "resources/builtin_directory.h"
#include "resources/version.h"
#include "results/columnsort.h"
#include "search/boxsearch.h"
#include "search/prepared.h"
#include "search/searchrun.h"
#include "search/suggest.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr std::string_view kTool = "vetlograd09-cli";

// A command line the tool cannot take: the message, one line.
struct UsageError {
    std::string message;
};

// Says what is wrong and where the help is; the usage status.
int Usage(std::string_view command, const std::string& why) {
    std::string help(kTool);
    if (!command.empty()) help.append(" ").append(command);
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kTool.data(), why.c_str(), help.c_str());
    return 2;
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

int Print(std::string_view text) {
    Output output;
    output.Put(text);
    return output.Finish();
}

// ---- the options ----

enum OptionId : int {
    kOptHelp = 'h',
    kOptOutput = 'o',
    kOptSort = 256,
    kOptDesc,
    kOptExplain,
    kOptFormat,
    kOptCount,
    kOptLimit,
    kOptColumns,
    kOptExcel,
    kOptFile,
    kOptCriterion, // the first of one for each field, in the fields' order
};

struct OptionInfo {
    const char* name; // the long name
    char letter;      // the short name, or 0
    int id;
    const char* value; // the value's name, or null for a switch
    const char* help;
};

constexpr OptionInfo kHelpOptions[] = {{"help", 'h', kOptHelp, nullptr, "this text"}};
constexpr OptionInfo kPackOptions[] = {
    {"output", 'o', kOptOutput, "FILE", "the directory file to write (- for standard output)"},
    {"excel", 0, kOptExcel, nullptr,
     "the CSV is in Windows-1251, as a Russian-locale spreadsheet saves it (a file that begins with a UTF-8 "
     "byte-order mark is read as UTF-8 all the same)"}};
constexpr OptionInfo kCriteriaOptions[] = {
    {"phone", 0, kOptCriterion + 0, "C:TEXT", "a criterion on the phone number"},
    {"street", 0, kOptCriterion + 1, "C:TEXT", "a criterion on the street"},
    {"house", 0, kOptCriterion + 2, "C:TEXT", "a criterion on the house"},
    {"flat", 0, kOptCriterion + 3, "C:TEXT", "a criterion on the flat or office"},
    {"user", 0, kOptCriterion + 4, "C:TEXT", "a criterion on the subscriber"},
    {"sort", 0, kOptSort, "COLUMN", "sort by phone, street, house, flat or user, as the window's list does"},
    {"desc", 0, kOptDesc, nullptr, "sort in descending order"},
    {"explain", 0, kOptExplain, nullptr,
     "when nothing is found: what each criterion alone finds, and changes that would find something "
     "(on standard error)"},
};
// What find takes besides the record options.
constexpr OptionInfo kFindOptions[] = {
    {"file", 0, kOptFile, "FILE",
     "the directory file made by pack (- reads standard input); without it, the built-in one"},
    {"sort", 0, kOptSort, "COLUMN", "sort by phone, street, house, flat or user, as the window's list does"},
    {"desc", 0, kOptDesc, nullptr, "sort in descending order"},
    {"explain", 0, kOptExplain, nullptr,
     "when nothing is found: what each word alone finds, and texts that would find something (on standard error)"},
};
// What every command that lists records takes; such a command lists this group and prints with PrintRecords.
constexpr OptionInfo kRecordOptions[] = {
    {"format", 0, kOptFormat, "FORMAT", "csv (the default), tsv or json"},
    {"count", 0, kOptCount, nullptr, "print the number of records alone"},
    {"limit", 0, kOptLimit, "N", "print at most N records"},
    {"columns", 0, kOptColumns, "LIST", "the columns to print, in order, such as user,phone"},
    {"excel", 0, kOptExcel, nullptr, "CSV as a Russian-locale spreadsheet saves it: Windows-1251, separated by ';'"},
};

constexpr bool CriteriaOptionsFollowTheFields() {
    for (int k = 0; k < vg::kCriterionCount; ++k)
        if (kCriteriaOptions[k].name != vg::kCriteria[static_cast<std::size_t>(k)].word) return false;
    return true;
}
static_assert(CriteriaOptionsFollowTheFields());

// Everything a command line said.
struct Invocation {
    std::vector<std::string> operands;
    std::optional<std::string> file; // find's --file
    std::optional<std::string> output;
    std::array<vg::TCriterionInput, vg::kCriterionCount> criteria{};
    int sortColumn = -1;
    bool descending = false, explain = false, excel = false;
    vg::RecordOutput records;
};

const OptionInfo* FindOption(std::span<const std::span<const OptionInfo>> groups, int id) {
    for (auto group : groups)
        for (const OptionInfo& o : group)
            if (o.id == id) return &o;
    return nullptr;
}

// The option as the help lists it: "-o" when it has a letter, else "--sort".
std::string Shown(const OptionInfo& o) {
    return o.letter ? std::string("-") + o.letter : std::string("--") + o.name;
}

std::int64_t WholeNumber(const std::string& text, const std::string& option) {
    std::int64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || n > INT_MAX) throw UsageError{option + " needs a whole number, not '" + text + "'"};
        n = n * 10 + (c - '0');
    }
    if (text.empty() || n > INT_MAX) throw UsageError{option + " needs a whole number, not '" + text + "'"};
    return n;
}

void TakeCriterion(Invocation& inv, int field, const std::string& value) {
    const std::string word(vg::kCriteria[static_cast<std::size_t>(field)].word);
    const auto colon = value.find(':');
    if (colon == std::string::npos) throw UsageError{"--" + word + " needs C:TEXT, such as begins:ЛЕН"};
    const std::string condition = value.substr(0, colon);
    const vg::MatchCondition named = vg::ConditionNamed(condition);
    if (named == vg::MatchCondition::NoCondition) throw UsageError{"unknown condition '" + condition + "'"};
    vg::TCriterionInput& in = inv.criteria[static_cast<std::size_t>(field)];
    if (!vg::IsUtf8(value)) throw UsageError{"the " + word + " text is not UTF-8"};
    if (!vg::cp1251::FromUtf8(value.substr(colon + 1), in.text))
        throw UsageError{"the " + word + " text '" + value.substr(colon + 1) + "' cannot be written in Windows-1251"};
    // Never cut: a criterion holds no more than the window's field, and every stored field fits in it.
    if (in.text.size() > vg::kCriterionCapacity)
        throw UsageError{"the " + word + " text is " + std::to_string(in.text.size()) +
                         " characters long, more than the " + std::to_string(vg::kCriterionCapacity) +
                         " a criterion holds"};
    in.selected = vg::ItemOf(named);
}

void TakeOption(Invocation& inv, int id, const std::string& value) {
    switch (id) {
    case kOptOutput:
        inv.output = value;
        return;
    case kOptFile:
        inv.file = value;
        return;
    case kOptDesc:
        inv.descending = true;
        return;
    case kOptExplain:
        inv.explain = true;
        return;
    case kOptCount:
        inv.records.countOnly = true;
        return;
    case kOptExcel:
        inv.excel = true;
        inv.records.csv = vg::kSpreadsheetCsv;
        return;
    case kOptLimit:
        inv.records.limit = WholeNumber(value, "--limit");
        return;
    case kOptFormat:
        if (!vg::ParseRecordFormat(value, inv.records.format))
            throw UsageError{"unknown format '" + value + "' (csv, tsv, json)"};
        return;
    case kOptColumns:
        if (std::string why = vg::ParseColumnList(value, inv.records.columns); !why.empty()) throw UsageError{why};
        return;
    case kOptSort:
        for (const vg::TCriterionInfo& info : vg::kCriteria)
            if (value == info.word) inv.sortColumn = static_cast<int>(info.field);
        if (inv.sortColumn < 0) throw UsageError{"unknown sort column '" + value + "'"};
        return;
    default:
        TakeCriterion(inv, id - kOptCriterion, value);
    }
}

// ---- the commands ----

struct Command {
    std::string_view name;
    std::string_view synopsis; // the operands and required options, as the usage line shows them
    std::string_view summary;  // one line for the tool's help
    std::string_view details;  // the command's help after its option list
    std::array<std::span<const OptionInfo>, 3> groups;
    std::size_t minOperands, maxOperands;
    std::string_view operand; // "FILE", "CSV"
    int (*run)(const Invocation&);
};

// The compressed bytes of FILE ("-" for standard input), read piece by piece, or of the built-in directory;
// null after a message.
std::unique_ptr<vg::TStream> OpenDirectory(const std::optional<std::string>& file) {
    if (!file) return std::make_unique<vg::TMemoryStream>(vg::BuiltinDirectory());
    try {
        return std::make_unique<vg::TFileStream>(*file == "-" ? "/dev/stdin" : *file, vg::limits::kFileBytes);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vetlograd09-cli: %s\n", e.what());
        return nullptr;
    }
}

std::string Describe(const std::optional<std::string>& file) {
    if (!file) return "the built-in directory";
    return *file == "-" ? "standard input" : *file;
}

std::optional<std::string> FileOf(const Invocation& inv) {
    if (inv.operands.empty()) return std::nullopt;
    return inv.operands[0];
}

// A failed load: a file that could not be read says so; anything else is damage (or data past a limit).
int LoadFailed(const std::optional<std::string>& file, const std::exception& e) {
    if (dynamic_cast<const vg::EFileError*>(&e))
        std::fprintf(stderr, "vetlograd09-cli: %s\n", e.what());
    else
        std::fprintf(stderr, "vetlograd09-cli: %s is damaged: %s\n", Describe(file).c_str(), e.what());
    return 1;
}

// Prints records as the record options say; the command's exit status.
int PrintRecords(const vg::TStrContainer& container, const vg::RecordOutput& how) {
    Output output;
    vg::WriteRecords(container, how, [&output](std::string_view piece) { output.Put(piece); });
    return output.Finish();
}

int Stats(const Invocation& inv) {
    auto source = OpenDirectory(FileOf(inv));
    if (!source) return 1;
    std::string figures;
    try {
        figures = vg::MeasureDirectory(*source).Format();
    } catch (const std::exception& e) {
        return LoadFailed(FileOf(inv), e);
    }
    return Print(figures);
}

int Dump(const Invocation& inv) {
    auto source = OpenDirectory(FileOf(inv));
    if (!source) return 1;
    vg::TStrContainer container;
    try {
        vg::LoadDirectory(container, *source);
    } catch (const std::exception& e) {
        return LoadFailed(FileOf(inv), e);
    }
    return PrintRecords(container, inv.records);
}

int Pack(const Invocation& inv) {
    if (!inv.output) throw UsageError{"pack needs -o FILE"};
    std::string error;
    if (vg::PackCsv({inv.operands[0], *inv.output, inv.excel ? vg::CsvEncoding::Windows1251 : vg::CsvEncoding::Utf8},
                    error))
        return 0;
    std::fprintf(stderr, "vetlograd09-cli: %s\n", error.c_str());
    return 1;
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

// The suggestion as the tool's own options: "--street begins:ЛЕНИНА"; a criterion emptied reads "without --phone".
std::string AsOption(const vg::TSuggestion& s) {
    std::string out = s.condition == vg::MatchCondition::NoCondition
                          ? "without --" + std::string(vg::InfoOf(s.field).word)
                          : "--" + std::string(vg::InfoOf(s.field).word) + " " +
                                std::string(vg::InfoOf(s.condition).word) + ":" + vg::cp1251::ToUtf8(s.text);
    for (vg::Field field : s.cleared)
        out += " without --" + std::string(vg::InfoOf(field).word);
    return out;
}

// An explanation for standard error: what each part alone finds, then a line for each suggestion, `shown`
// writing it as the command takes it.
template <class Shown> std::string ExplanationText(const vg::TExplanation& explanation, Shown shown) {
    std::string out = "explain: " + vg::FormatCounts(explanation) + "\n";
    for (const vg::TSuggestion& s : explanation.suggestions)
        out += "suggest: " + shown(s) + "  # " + vg::FormatSuggestion(s) + "\n";
    return out;
}

// What search and find share: the directory (FILE piece by piece, or the built-in one) read once into a master
// at the first load; `run(container, host)` the search; the records sorted and printed with their number; and
// when nothing was found and --explain was given, `explain(container)` over the whole directory again, the text
// for standard error.
template <class Run, class Explain>
int SearchAndPrint(const Invocation& inv, const std::optional<std::string>& file, Run run, Explain explain) {
    if (file && !OpenDirectory(file)) return 1;
    // Declared before the container, which shares the master's records.
    vg::TDirectoryMaster master([&file](vg::TStrContainer& c, const vg::ProgressCallback& p, vg::IRecordSink* sink) {
        if (!file) {
            vg::LoadDirectory(c, vg::BuiltinDirectory(), p, sink);
            return;
        }
        vg::TFileStream source(*file == "-" ? "/dev/stdin" : *file, vg::limits::kFileBytes); // read piece by piece
        vg::LoadDirectory(c, source, p, sink);
    });
    vg::TStrContainer container;
    CliSearch host(container, master, inv.criteria);
    vg::SearchResult result;
    try {
        result = run(container, host);
        if (result.outcome == vg::SearchOutcome::Failed) {
            // The position counts the characters of the text as given, before any preparation.
            const std::string typed = vg::cp1251::ToUtf8(result.mask);
            std::fprintf(stderr, "vetlograd09-cli: the %s mask '%s' is invalid at position %d: %s\n",
                         std::string(vg::kCriteria[static_cast<std::size_t>(result.criterion)].word).c_str(),
                         typed.c_str(), result.position, std::string(vg::InfoOf(result.reason).word).c_str());
            return 1;
        }
        if (inv.sortColumn >= 0) vg::SortByColumn(container, inv.sortColumn, !inv.descending);
    } catch (const std::exception& e) {
        return LoadFailed(file, e);
    }
    int status = PrintRecords(container, inv.records);
    if (status != 0) return status;
    if (!inv.records.countOnly) std::fprintf(stderr, "%d\n", container.Count());
    if (inv.explain && result.outcome == vg::SearchOutcome::NotFound) {
        // The search left nothing in the container: the explanation looks at the whole directory again.
        std::string out;
        try {
            host.Reload();
            out = explain(container);
        } catch (const std::exception& e) {
            return LoadFailed(file, e);
        }
        std::fputs(out.c_str(), stderr);
    }
    return 0;
}

int Search(const Invocation& inv) {
    const vg::TCriteria criteria = vg::ReadCriteria(inv.criteria);
    return SearchAndPrint(
        inv, FileOf(inv), [](vg::TStrContainer& c, CliSearch& host) { return vg::RunSearch(c, host); },
        [&criteria](const vg::TStrContainer& c) { return ExplanationText(vg::ExplainSearch(c, criteria), AsOption); });
}

// The words of the box, as the window's box takes them: the operands joined by blanks, in Windows-1251.
int Find(const Invocation& inv) {
    std::string typed;
    for (const std::string& word : inv.operands) {
        if (!vg::IsUtf8(word)) throw UsageError{"the text is not UTF-8"};
        std::string cp1251;
        if (!vg::cp1251::FromUtf8(word, cp1251))
            throw UsageError{"the text '" + word + "' cannot be written in Windows-1251"};
        typed += (typed.empty() ? "" : " ") + cp1251;
    }
    const vg::TBoxQuery query(typed);
    if (query.Empty()) throw UsageError{"find needs a word to look for"};
    return SearchAndPrint(
        inv, inv.file, [&query](vg::TStrContainer& c, CliSearch& host) { return vg::RunBoxSearch(c, host, query); },
        [&query](const vg::TStrContainer& c) {
            // The container outlives the advisor, which prepares it for this one explanation.
            const vg::TSearchAdvisor advisor(std::make_shared<const vg::TPreparedDirectory>(
                std::shared_ptr<const vg::TStrContainer>(std::shared_ptr<const vg::TStrContainer>(), &c)));
            return ExplanationText(vg::ExplainBox(advisor.Prepared(), advisor, query),
                                   [](const vg::TSuggestion& s) { return vg::cp1251::ToUtf8(s.text); });
        });
}

constexpr std::string_view kFileNote =
    "FILE is a directory file made by pack (- reads standard input); without it, the directory built into the\n"
    "program.\n";

// The commands. One that lists records names kRecordOptions among its groups and prints its container with
// PrintRecords(container, inv.records): that is all it takes for it to get --format, --count, --limit, --columns
// and --excel as dump and search have them.
const Command kCommands[] = {
    {"stats", "[FILE]", "the directory's figures, one 'name: value' a line", "", {}, 0, 1, "FILE", Stats},
    {"dump",
     "[FILE] [OPTION]...",
     "the records as CSV (UTF-8): phone,street,house,flat,user",
     "",
     {kRecordOptions},
     0,
     1,
     "FILE",
     Dump},
    {"pack",
     "CSV -o FILE",
     "a directory file from such a CSV",
     "CSV is the records as dump prints them (- reads standard input): UTF-8, with or without a byte-order\n"
     "mark, or Windows-1251 with --excel; the header line's separator, ',' or ';', separates every line, and\n"
     "lines end with CR LF or LF. Every row is checked; a bad one is named by its line, and then nothing is\n"
     "written.\n",
     {kPackOptions},
     1,
     1,
     "CSV",
     Pack},
    {"search",
     "[FILE] [OPTION]...",
     "the records that meet every criterion; their number on standard error",
     "C is a condition: begins, contains, not-contains, eq, gt, ge, lt, le, mask, not-mask, ne.\n"
     "A criterion that is not given holds for every record. With --count, no number on standard error.\n",
     {kCriteriaOptions, kRecordOptions},
     0,
     1,
     "FILE",
     Search},
    {"find",
     "[OPTION]... TEXT...",
     "the records every word of TEXT finds, as the window's box finds them; their number on standard error",
     "TEXT is what the caller says, in any order: a surname with or without initials, a street with or without\n"
     "its kind (улица, пр., пер., ...), a house and a flat (д. 8 кв. 21), an organisation, or a number dictated\n"
     "in any grouping (21 39 18). A word of letters begins a word of the street or the subscriber; digits begin\n"
     "the phone, and a number of up to four digits beside a word is a house or a flat. With --count, no number\n"
     "on standard error.\n",
     {kFindOptions, kRecordOptions},
     1,
     SIZE_MAX,
     "TEXT",
     Find},
};

std::string OptionLines(std::span<const std::span<const OptionInfo>> groups) {
    std::string out;
    for (auto group : groups)
        for (const OptionInfo& o : group) {
            std::string line = o.letter ? std::string("  -") + o.letter + ", --" : std::string("      --");
            line += o.name;
            if (o.value) line.append(" ").append(o.value);
            line += line.size() < 26 ? std::string(26 - line.size(), ' ') : "\n" + std::string(26, ' ');
            // The help wrapped at 100 columns, indented as its first line.
            std::string_view help = o.help;
            for (const std::size_t room = 100 - 26; help.size() > room;) {
                const std::size_t cut = help.rfind(' ', room);
                line.append(help.substr(0, cut)).append("\n").append(26, ' ');
                help.remove_prefix(cut + 1);
            }
            out += line.append(help) + "\n";
        }
    return out;
}

std::string CommandHelp(const Command& c) {
    std::string out = "usage: vetlograd09-cli " + std::string(c.name) + " " + std::string(c.synopsis) + "\n";
    out += std::string(1, static_cast<char>(std::toupper(c.summary[0]))) + std::string(c.summary.substr(1)) + ".\n\n";
    std::vector<std::span<const OptionInfo>> groups(c.groups.begin(), c.groups.end());
    groups.push_back(kHelpOptions);
    return out + OptionLines(groups) + "\n" + std::string(c.operand == "FILE" ? kFileNote : "") +
           std::string(c.details);
}

std::string ToolHelp() {
    std::string out = "usage: vetlograd09-cli COMMAND [OPTION]... [ARGUMENT]...\n\nCommands:\n";
    for (const Command& c : kCommands) {
        std::string line = "  " + std::string(c.name) + " " + std::string(c.synopsis.substr(0, c.synopsis.find(" [O")));
        line += line.size() < 22 ? std::string(22 - line.size(), ' ') : "\n" + std::string(22, ' ');
        out += line + std::string(c.summary) + "\n";
    }
    return out + "\n"
                 "  -h, --help          this text\n"
                 "      --version       the tool's version\n"
                 "\n"
                 "'vetlograd09-cli COMMAND --help' lists a command's options; an option's value may follow it\n"
                 "as the next argument or after '=', and '--' ends the options.\n"
                 "\n"
                 "Exit status: 0 done, 1 a bad or damaged file, an invalid mask or a failed write, 2 a usage error.\n";
}

// Why getopt refused `word`: an unknown or ambiguous long option (optopt 0), a switch given a value (optopt
// its id), or an unknown letter (optopt the letter).
std::string Refused(std::string_view word, int letter, std::span<const std::span<const OptionInfo>> groups) {
    if (const OptionInfo* o = FindOption(groups, letter)) return "--" + std::string(o->name) + " takes no value";
    if (letter != 0) return std::string("unknown option '-") + static_cast<char>(letter) + "'";
    word = word.substr(0, word.find('='));
    std::string matches;
    for (auto group : groups)
        for (const OptionInfo& o : group)
            if (std::string_view(o.name).starts_with(word.substr(2))) matches.append(" --").append(o.name);
    if (!matches.empty()) return "option '" + std::string(word) + "' is ambiguous:" + matches;
    return "unknown option '" + std::string(word) + "'";
}

int RunCommand(const Command& command, int argc, char** argv) {
    std::vector<std::span<const OptionInfo>> groups(command.groups.begin(), command.groups.end());
    groups.push_back(kHelpOptions);
    std::vector<option> longs;
    std::string shorts = ":"; // a missing value is told apart from an unknown option
    for (auto group : groups)
        for (const OptionInfo& o : group) {
            longs.push_back({o.name, o.value ? required_argument : no_argument, nullptr, o.id});
            if (o.letter) shorts += std::string(1, o.letter) + (o.value ? ":" : "");
        }
    longs.push_back({});
    Invocation inv;
    std::set<int> seen;
    try {
        // getopt keeps its place between calls: start it afresh (glibc's full reset), quietly.
        optind = 0;
        opterr = 0;
        for (int id; (id = getopt_long(argc, argv, shorts.c_str(), longs.data(), nullptr)) != -1;) {
            if (id == '?') throw UsageError{Refused(argv[optind - 1], optopt, groups)};
            const OptionInfo* o = FindOption(groups, id == ':' ? optopt : id);
            if (id == ':') throw UsageError{"option '" + Shown(*o) + "' needs " + o->value};
            if (id == kOptHelp) return Print(CommandHelp(command));
            if (!seen.insert(id).second) throw UsageError{Shown(*o) + " given twice"};
            TakeOption(inv, id, optarg ? optarg : "");
        }
        if (inv.excel && inv.records.format != vg::RecordFormat::Csv) throw UsageError{"--excel goes with CSV only"};
        inv.operands.assign(argv + optind, argv + argc);
        const std::string name(command.name), operand(command.operand);
        if (inv.operands.size() < command.minOperands) throw UsageError{name + " needs a " + operand};
        if (inv.operands.size() > command.maxOperands)
            throw UsageError{name + (command.minOperands == 1 ? " takes one " : " takes at most one ") + operand +
                             " (unexpected '" + inv.operands[command.maxOperands] + "')"};
        return command.run(inv);
    } catch (const UsageError& e) {
        return Usage(command.name, e.message);
    }
}

int Run(int argc, char** argv) {
    if (argc < 2) return Usage({}, "no command");
    const std::string first = argv[1];
    if (first == "--help" || first == "-h" || first == "help") {
        const int topic = first == "help" ? 2 : 0; // "help" takes a COMMAND
        if (argc > std::max(2, topic + 1))
            return Usage({}, "unexpected argument '" + std::string(argv[std::max(2, topic + 1)]) + "'");
        if (argc == 2) return Print(ToolHelp());
        for (const Command& c : kCommands)
            if (argv[2] == c.name) return Print(CommandHelp(c));
        return Usage({}, "unknown command '" + std::string(argv[2]) + "'");
    }
    if (first == "--version") {
        if (argc > 2) return Usage({}, "unexpected argument '" + std::string(argv[2]) + "'");
        return Print("vetlograd09-cli " + std::string(vg::kVersion) + "\n");
    }
    for (const Command& c : kCommands)
        if (first == c.name) return RunCommand(c, argc - 1, argv + 1);
    if (first.size() > 1 && first[0] == '-') return Usage({}, "unknown option '" + first + "'");
    return Usage({}, "unknown command '" + first + "'");
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
