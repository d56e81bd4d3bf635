#include "directory/atomicfile.h"
#include "fileio.h"
#include "resources/builtin_directory.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sys/wait.h>
#include <vector>

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            std::filesystem::temp_directory_path() / ("vg-cli-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    Outcome Cmd(const std::string& args) const { return Shell(std::string(VG_CLI) + " " + args); }
    Outcome Shell(const std::string& script) const {
        std::string command = "(" + script + ") >" + Path("out") + " 2>" + Path("err");
        int raw = std::system(command.c_str());
        Outcome r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        std::string error;
        vg::ReadWholeFile(Path("out"), r.out, error);
        vg::ReadWholeFile(Path("err"), r.err, error);
        return r;
    }

    std::string Slurp(const std::string& path) const {
        std::string bytes, error;
        EXPECT_TRUE(vg::ReadWholeFile(path, bytes, error)) << error;
        return bytes;
    }

    void Write(const std::string& name, const std::string& bytes) const {
        std::string error;
        ASSERT_TRUE(vg::WriteFileAtomically(Path(name), bytes, error)) << error;
    }

private:
    std::filesystem::path dir_;
};

TEST_F(Cli, StatsShowsEveryFigureOfTheBuiltInDirectory) {
    Outcome r = Cmd("stats");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"records: 45129\n", "header value: 0\n", "index sections: 0\n", "empty keys: 5137\n", "5-digit keys: 39611\n",
          "6-digit keys: 381\n", "other keys: 0\n", "numbers occurring more than once: 585\n", "empty streets: 5529\n",
          "empty houses: 2971\n", "empty flats: 12145\n", "NOSTREET: 15\n", "shortest text: 10\n", "longest text: 62\n",
          "longest street: 24\n", "longest house: 3\n", "longest flat: 3\n", "longest user: 37\n",
          "inflated bytes: 2135563\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
}

// The command line as its users expect it: each row's exit status, the stream that speaks and its first line;
// every usage error is that line and a pointer to the help, nothing on standard output.
TEST_F(Cli, CommandLinesAnswerWithTheirStatusStreamAndFirstLine) {
    Write("c.csv", "phone,street,house,flat,user\n12345,A,1,1,U\n");
    const std::string csv = Path("c.csv");
    struct Case {
        std::string args;
        int status;
        const char* first; // of standard output for status 0, else of standard error
    };
    const std::string tool = "vetlograd09-cli: ";
    for (const Case& c : {
             Case{"--help", 0, "usage: vetlograd09-cli COMMAND [OPTION]... [ARGUMENT]..."},
             Case{"stats --help", 0, "usage: vetlograd09-cli stats [FILE]"},
             Case{"dump a b --help", 0, "usage: vetlograd09-cli dump [FILE] [OPTION]..."},
             Case{"pack -h", 0, "usage: vetlograd09-cli pack CSV -o FILE"},
             Case{"help search", 0, "usage: vetlograd09-cli search [FILE] [OPTION]..."},
             Case{"search --phone=eq:12345 --columns=user --format=tsv", 0, "user"},
             Case{"stats - <" + csv, 1, "vetlograd09-cli: standard input is damaged: "},
             Case{"search -- --street", 1, "vetlograd09-cli: cannot open --street: No such file or directory"},
             Case{"stats a b", 2, "stats takes at most one FILE (unexpected 'b')"},
             Case{"dump a b", 2, "dump takes at most one FILE (unexpected 'b')"},
             Case{"stats --bogus", 2, "unknown option '--bogus'"},
             Case{"pack " + csv + " -o a -o b", 2, "-o given twice"},
             Case{"pack " + csv + " -o", 2, "option '-o' needs FILE"},
             Case{"pack " + csv, 2, "pack needs -o FILE"},
             Case{"pack -o x", 2, "pack needs a CSV"},
             Case{"pack a b -o x", 2, "pack takes one CSV (unexpected 'b')"},
             Case{"search --desc=yes", 2, "--desc takes no value"},
             Case{"search --s x", 2, "option '--s' is ambiguous: --street --sort"},
             Case{"search -x", 2, "unknown option '-x'"},
             Case{"search --sort", 2, "option '--sort' needs COLUMN"},
             Case{"search --limit 1e3", 2, "--limit needs a whole number, not '1e3'"},
             Case{"search --format xml", 2, "unknown format 'xml' (csv, tsv, json)"},
             Case{"search --columns phone,bogus", 2, "unknown column 'bogus' (phone, street, house, flat, user)"},
             Case{"search --columns user,user", 2, "column 'user' given twice"},
             Case{"search --count --count", 2, "--count given twice"},
             Case{"stats -o x", 2, "unknown option '-o'"},
             Case{"dump --excel --format tsv", 2, "--excel goes with CSV only"},
             Case{"frobnicate", 2, "unknown command 'frobnicate'"},
             Case{"--bogus", 2, "unknown option '--bogus'"},
             Case{"--version now", 2, "unexpected argument 'now'"},
             Case{"help search now", 2, "unexpected argument 'now'"},
             Case{"help frob", 2, "unknown command 'frob'"},
         }) {
        const Outcome r = Cmd(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << ": " << r.err;
        const std::string& stream = c.status == 0 ? r.out : r.err;
        const std::string first = stream.substr(0, stream.find('\n'));
        if (c.status != 2) {
            EXPECT_EQ(first.substr(0, std::strlen(c.first)), c.first) << c.args;
            continue;
        }
        // The tool's own help for its own errors, the command's for a command's.
        const std::string word = c.args.substr(0, c.args.find(' '));
        const std::string command = word[0] == '-' || word == "frobnicate" || word == "help" ? "" : word;
        EXPECT_EQ(r.err,
                  tool + c.first + "\nTry 'vetlograd09-cli" + (command.empty() ? "" : " " + command) + " --help'.\n")
            << c.args;
        EXPECT_EQ(r.out, "") << c.args;
    }
}

// Every option a command's help lists is in the man page, and is what bash completes for the command; the
// completion offers each option's values.
TEST_F(Cli, HelpManPageAndCompletionListTheSameOptions) {
    const std::string man = Slurp(VG_CLI_MAN_PAGE);
    auto complete = [this](const std::string& line) {
        return Shell("bash -c 'source " + std::string(VG_CLI_COMPLETION) +
                     "; COMP_LINE=$0; COMP_POINT=${#0}; _vetlograd09_cli; echo ${COMPREPLY[*]}' '" + line + "'")
            .out;
    };
    for (const char* command : {"stats", "dump", "pack", "search", "find"}) {
        std::string listed;
        const std::string help = Cmd(std::string(command) + " --help").out;
        for (std::size_t at = help.find("\n  "); at != std::string::npos; at = help.find("\n  ", at + 1)) {
            const std::size_t name = help.find("--", at);
            if (name > help.find('\n', at + 1)) continue; // a wrapped line of help
            const std::string option = help.substr(name, help.find_first_of(" \n", name) - name);
            listed += (listed.empty() ? "" : " ") + option;
            std::string inMan; // as roff writes it: \-\-name
            for (char c : option)
                inMan += c == '-' ? std::string("\\-") : std::string(1, c);
            EXPECT_NE(man.find(inMan), std::string::npos) << option;
        }
        EXPECT_EQ(complete(std::string("vetlograd09-cli ") + command + " --"), listed + "\n") << command;
    }
    const std::pair<const char*, const char*> values[] = {
        {"vetlograd09-cli s", "stats search"},
        {"vetlograd09-cli search --sort=st", "street"},
        {"vetlograd09-cli search --street be", "begins:"},
        {"vetlograd09-cli dump --columns user,p", "user,phone"},
        {"vetlograd09-cli dump --format ", "csv tsv json"},
        {"vetlograd09-cli help p", "pack"},
        {"vetlograd09-cli search --user eq:ИВ", ""},
    };
    for (const auto& [line, expected] : values)
        EXPECT_EQ(complete(line), std::string(expected) + "\n") << line;
}

// The record options, alike for every command that lists records: exact output for a file with awkward fields.
TEST_F(Cli, RecordOptionsPrintTheChosenColumnsInEachFormat) {
    Write("a.csv", "phone,street,house,flat,user\n12345,\"A \"\"Q\"\", B\",1,2,X\\Y\tZ\n23456,Ленина,10,,Иванов\n");
    ASSERT_EQ(Cmd("pack " + Path("a.csv") + " -o " + Path("a.rcd")).status, 0);
    const std::string file = Path("a.rcd");
    const std::pair<std::string, std::string> cases[] = {
        {"dump " + file + " --format tsv",
         "phone\tstreet\thouse\tflat\tuser\n12345\tA \"Q\", B\t1\t2\tX\\\\Y\\tZ\n23456\tЛенина\t10\t\tИванов\n"},
        {"dump " + file + " --format json --columns user,phone",
         "[\n{\"user\":\"X\\\\Y\\u0009Z\",\"phone\":\"12345\"},\n{\"user\":\"Иванов\",\"phone\":\"23456\"}\n]\n"},
        {"dump " + file + " --limit 1 --columns street", "street\r\n\"A \"\"Q\"\", B\"\r\n"},
        {"dump " + file + " --limit 0 --format json", "[\n]\n"},
        {"dump " + file + " --count --limit 1", "2\n"},
        {"search " + file + " --phone eq:23456 --columns flat,house", "flat,house\r\n,10\r\n"},
        {"search " + file + " --user=contains:ИВ --count", "1\n"},
        {"search " + file + " --user contains:ИВ --count --format json", "1\n"},
    };
    for (const auto& [args, out] : cases) {
        const Outcome r = Cmd(args);
        EXPECT_EQ(r.status, 0) << args << ": " << r.err;
        EXPECT_EQ(r.out, out) << args;
        // The number found goes to standard error unless it is the output.
        const bool search = args.rfind("search", 0) == 0, counted = args.find("--count") != std::string::npos;
        EXPECT_EQ(r.err, search && !counted ? "1\n" : "") << args;
    }
}

// Ten records as a Russian-locale spreadsheet saves them: Windows-1251, ';', CR LF, a field quoted where it needs
// it. They pack, and dump back to the same bytes; the same records in UTF-8 (with a byte-order mark and ';', or
// as dump prints them) pack to the same file; each bad variant names its line and writes nothing.
TEST_F(Cli, ASpreadsheetsCsvPacksAndDumpsBackInItsDialect) {
    const std::string utf8 = "phone;street;house;flat;user\r\n"
                             ";\"ПР. МИРА; КОРП. 2\";;;ДИСПЕТЧЕРСКАЯ\r\n"
                             ";ЛЕНИНА;1;;\"ООО \"\"РОМАШКА\"\"\"\r\n"
                             "213456;ЛЕНИНА;15;3;ИВАНОВ ИВАН ИВАНОВИЧ\r\n"
                             "213457;ЛЕНИНА;15;4;ПЕТРОВ, П.П.\r\n"
                             "224501;Пос. Лесхоз;2;;Семёнова Алёна\r\n"
                             "230000;ГАГАРИНА;10А;12;\"АПТЕКА \"\"ЗДОРОВЬЕ\"\" №5\"\r\n"
                             "31415;СОВЕТСКАЯ;7;;ЁЛКИН А.\r\n"
                             "4401;ПУШКИНА;3;1;КАФЕ «ВСТРЕЧА»\r\n"
                             "56789;КИРОВА;100;;Шевченко Т. Г. — нотариус\r\n"
                             "98765;МИРА;21;45;ООО ТЕХНО\r\n";
    const std::string excel = vg::test::W(utf8);
    Write("excel.csv", excel);
    ASSERT_EQ(Cmd("pack --excel " + Path("excel.csv") + " -o " + Path("ref.rcd")).status, 0);
    const Outcome back = Cmd("dump --excel " + Path("ref.rcd"));
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.out, excel);
    EXPECT_EQ(Cmd("dump --count " + Path("ref.rcd")).out, "10\n");
    const std::string plain = Cmd("dump " + Path("ref.rcd")).out;
    const std::string ref = Slurp(Path("ref.rcd"));
    std::string badRow = excel;
    badRow.insert(badRow.find(vg::test::W("31415")), vg::test::W("12-34;ЛЕНИНА;1;1;Ж\r\n"));
    struct Case {
        std::string csv, options;
        const char* error; // after "vetlograd09-cli: FILE: ", or null for a file like ref.rcd
    };
    for (const Case& c : {
             Case{"\xEF\xBB\xBF" + utf8, "", nullptr},
             Case{"\xEF\xBB\xBF" + utf8, "--excel", nullptr},
             Case{plain, "", nullptr},
             Case{excel, "", "line 2: the street is not UTF-8 (a file in Windows-1251 is read with --excel)"},
             Case{badRow, "--excel", "line 8: the phone \"12-34\" must be bare digits"},
             Case{excel.substr(0, excel.find(vg::test::W(";45;ООО"))), "--excel",
                  "line 11: expected 5 fields, found 3"},
         }) {
        Write("in.csv", c.csv);
        std::filesystem::remove(Path("out.rcd"));
        const Outcome r = Cmd("pack " + c.options + " " + Path("in.csv") + " -o " + Path("out.rcd"));
        EXPECT_EQ(r.status, c.error ? 1 : 0) << c.options << r.err;
        if (!c.error) {
            EXPECT_EQ(Slurp(Path("out.rcd")), ref) << c.options;
            continue;
        }
        EXPECT_EQ(r.err, "vetlograd09-cli: " + Path("in.csv") + ": " + c.error + "; nothing was written\n");
        EXPECT_FALSE(std::filesystem::exists(Path("out.rcd")));
    }
}

TEST_F(Cli, DumpAndPackRoundTripToTheSameBytes) {
    Outcome dump = Cmd("dump");
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out.rfind("phone,street,house,flat,user\r\n", 0), 0u);
    Write("city.csv", dump.out);
    Outcome pack = Cmd("pack " + Path("city.csv") + " -o " + Path("city.rcd"));
    ASSERT_EQ(pack.status, 0) << pack.err;
    std::string bytes, error;
    ASSERT_TRUE(vg::ReadWholeFile(Path("city.rcd"), bytes, error));
    EXPECT_EQ(bytes, std::string(vg::BuiltinDirectory()));
    // The same through standard input and output.
    Outcome piped = Cmd("pack - -o - <" + Path("city.csv"));
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, bytes);
}

TEST_F(Cli, PackRejectsABadRowAndWritesNothing) {
    Write("bad.csv", "phone,street,house,flat,user\n12345,A,1,1,U\n12346,A,1\n");
    Outcome r = Cmd("pack " + Path("bad.csv") + " -o " + Path("out.rcd"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("line 3: expected 5 fields, found 3"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(Path("out.rcd")));
}

TEST_F(Cli, DamagedOrMissingFilesGiveAMessageAndStatusOne) {
    Write("junk.rcd", "this is not a directory at all");
    Outcome junk = Cmd("stats " + Path("junk.rcd"));
    EXPECT_EQ(junk.status, 1);
    EXPECT_NE(junk.err.find("is damaged"), std::string::npos) << junk.err;
    Outcome missing = Cmd("dump " + Path("nowhere.rcd"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot open"), std::string::npos);
    std::string half(vg::BuiltinDirectory().substr(0, 200000));
    Write("half.rcd", half);
    Outcome cut = Cmd("stats " + Path("half.rcd"));
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.err.find("ends early"), std::string::npos) << cut.err;
}

TEST_F(Cli, StatsOnDamagedDirectoriesGivesAMessageAndStatusOneNeverASignal) {
    std::string whole(vg::BuiltinDirectory());
    std::string flipped = whole;
    flipped[whole.size() / 2] = static_cast<char>(flipped[whole.size() / 2] ^ 0x5A);
    std::string random;
    for (int i = 0; i < 5000; ++i)
        random.push_back(static_cast<char>((i * 2654435761u) >> 13));
    std::string checksum = whole;
    checksum[whole.size() - 4] = static_cast<char>(checksum[whole.size() - 4] ^ 0x10); // two bytes pad it
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"empty", "", "is damaged"},
        {"random", random, "is damaged"},
        {"truncated", whole.substr(0, 1000), "is damaged"},
        {"flipped", flipped, "is damaged"},
        {"checksum", checksum,
         "checksum is damaged: The checksum at the end of the data does not match its content, "
         "which was altered somewhere; nothing of the file was kept\n"}};
    for (const auto& [name, bytes, told] : cases) {
        Write(name, bytes);
        Outcome r = Cmd("stats " + Path(name));
        EXPECT_EQ(r.status, 1) << name << ": " << r.err;
        EXPECT_NE(r.err.find(told), std::string::npos) << name << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << name;
    }
}

std::vector<std::string> Rows(const std::string& csv, int column, const std::function<bool(const std::string&)>& keep);

// Every field at its limit, packed and found whole with eq; a criterion longer than one holds is refused with its
// limit, never cut.
TEST_F(Cli, EveryFieldAtItsLimitIsFoundWholeAndALongerCriterionIsRefused) {
    const std::string phone(32, '1'), street(80, 'S'), house(32, '2'), user(79, 'U');
    Write("long.csv", "phone,street,house,flat,user\r\n" + phone + "," + street + "," + house + "," + house + "," +
                          user + "X\r\n2," + street + ",1,1," + user + "Y\r\n");
    ASSERT_EQ(Cmd("pack " + Path("long.csv") + " -o " + Path("long.rcd")).status, 0);
    const std::tuple<std::string, int, std::string> cases[] = {
        {"--street eq:" + street, 0, "2\n"},
        {"--user eq:" + user + "X", 0, "1\n"},
        {"--phone eq:" + phone + " --house eq:" + house + " --flat eq:" + house, 0, "1\n"},
        {"--user eq:" + user + "XZ", 2, "the user text is 81 characters long, more than the 80 a criterion holds"},
    };
    for (const auto& [criteria, status, err] : cases) {
        const Outcome r = Cmd("search " + Path("long.rcd") + " " + criteria);
        EXPECT_EQ(r.status, status) << criteria << ": " << r.err;
        EXPECT_NE(r.err.find(err), std::string::npos) << criteria << ": " << r.err;
    }
}

TEST_F(Cli, SearchPrintsTheMatchesAndTheirNumber) {
    Outcome r = Cmd("search --street begins:ленина --house gt:50 --sort house --desc");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("phone,street,house,flat,user\r\n", 0), 0u);
    int lines = 0;
    for (char c : r.out)
        lines += c == '\n';
    EXPECT_GT(lines, 1);
    EXPECT_EQ(r.err, std::to_string(lines - 1) + "\n");
    // Descending by house: every house above 50, none higher than the one before it, every street ЛЕНИНА.
    std::vector<int> houses;
    Rows(r.out, 2, [&houses](const std::string& house) {
        houses.push_back(std::atoi(house.c_str()));
        return true;
    });
    EXPECT_EQ(static_cast<int>(houses.size()), lines - 1);
    EXPECT_TRUE(std::is_sorted(houses.rbegin(), houses.rend()));
    EXPECT_GT(houses.front(), houses.back());
    EXPECT_GT(houses.back(), 50);
    EXPECT_EQ(Rows(r.out, 1, [](const std::string& street) { return street == "ЛЕНИНА"; }).size(), houses.size());

    Outcome none = Cmd("search --user eq:НИКТО");
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.err, "0\n");
}

// The dump's rows whose field `column` passes `keep`, as CSV lines.
std::vector<std::string> Rows(const std::string& csv, int column, const std::function<bool(const std::string&)>& keep) {
    std::vector<std::string> rows;
    std::size_t at = csv.find('\n') + 1;
    while (at < csv.size()) {
        const std::size_t end = csv.find('\n', at);
        const std::string line = csv.substr(at, end - at);
        at = end + 1;
        std::string field;
        int k = 0;
        for (char c : line) {
            if (c == ',' && k++ == column) break;
            if (k == column && c != ',') field += c;
        }
        if (keep(field)) rows.push_back(line);
    }
    return rows;
}

std::vector<std::string> Lines(const std::string& csv) {
    return Rows(csv, 0, [](const std::string&) { return true; });
}

TEST_F(Cli, SearchFindsTextAsTheListShowsItInAnyCase) {
    const Outcome dump = Cmd("dump");
    ASSERT_EQ(dump.status, 0);
    const auto stored = Rows(dump.out, 1, [](const std::string& street) { return street == "Пос. Лесхоз"; });
    const auto capitals = Rows(dump.out, 1, [](const std::string& street) { return street == "ПОС. ЛЕСХОЗ"; });
    ASSERT_GT(stored.size(), 100u); // the city stores this street in lower case
    for (const char* typed : {"'eq:Пос. Лесхоз'", "'eq:пос. лесхоз'", "'begins:ПОС. ЛЕСХОЗ'", "'mask:п?с. л*'"}) {
        const Outcome r = Cmd(std::string("search --street ") + typed);
        ASSERT_EQ(r.status, 0) << typed << r.err;
        EXPECT_EQ(r.err, std::to_string(stored.size() + capitals.size()) + "\n") << typed;
        const auto found = Lines(r.out);
        for (const std::string& row : stored) // shown as stored
            EXPECT_NE(std::find(found.begin(), found.end(), row), found.end()) << typed << row;
    }
}

TEST_F(Cli, SearchKeepsTheRangesOfAPhoneMask) {
    const Outcome dump = Cmd("dump");
    ASSERT_EQ(dump.status, 0);
    const auto expected =
        Rows(dump.out, 0, [](const std::string& key) { return !key.empty() && key[0] >= '2' && key[0] <= '4'; });
    const auto thenOne = Rows(dump.out, 0, [](const std::string& key) {
        return key.size() >= 3 && key[0] >= '2' && key[0] <= '4' && key[1] == '1';
    });
    const Outcome r = Cmd("search --phone 'mask:[2-4]*'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out), expected);
    const Outcome dashes = Cmd("search --phone 'mask:[2-4]-1-?'");
    ASSERT_EQ(dashes.status, 0) << dashes.err;
    EXPECT_EQ(Lines(dashes.out), thenOne); // the dashes outside the set go, as in "2-13-95"
    ASSERT_FALSE(thenOne.empty());
}

TEST_F(Cli, SearchRefusesInvalidMasksAndUnwritableText) {
    // The reason, and the position in the text as given: before trimming, the phone's dashes and the '*'.
    const std::pair<const char*, const char*> masks[] = {
        {"--street 'mask:[0-9'", "the street mask '[0-9' is invalid at position 5: a '[' is not closed by ']'\n"},
        {"--street 'not-mask:  [Я-А]'", "the street mask '  [Я-А]' is invalid at position 4: a range runs backwards\n"},
        {"--phone 'mask:1-2-[9'", "the phone mask '1-2-[9' is invalid at position 7: a '[' is not closed by ']'\n"},
        {"--user 'mask:ООО [!]'", "the user mask 'ООО [!]' is invalid at position 7: an empty set '[]'\n"},
        {"--flat 'mask:-1[-2]'",
         "the flat mask '-1[-2]' is invalid at position 4: a '-' with no range start before it\n"},
    };
    for (const auto& [args, message] : masks) {
        Outcome mask = Cmd("search " + std::string(args));
        EXPECT_EQ(mask.status, 1) << args;
        EXPECT_EQ(mask.err, "vetlograd09-cli: " + std::string(message)) << args;
        EXPECT_TRUE(mask.out.empty()) << args;
    }
    Outcome text = Cmd("search --user contains:日本");
    EXPECT_EQ(text.status, 2);
    EXPECT_NE(text.err.find("cannot be written in Windows-1251"), std::string::npos);
    EXPECT_EQ(Cmd("search --street bogus:X").status, 2);
    EXPECT_EQ(Cmd("frobnicate").status, 2);
    EXPECT_EQ(Cmd("--help").status, 0);
}

TEST_F(Cli, ExplainSaysWhatEachCriterionFindsAndWhatWouldFindSomething) {
    Outcome r = Cmd("search --street begins:ЛЕН --user contains:bdfyjd --explain");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "phone,street,house,flat,user\r\n");
    Outcome street = Cmd("search --street begins:ЛЕН");
    const std::string alone = street.err.substr(0, street.err.find('\n'));
    const std::string counts =
        "0\nexplain: Улица начинается с «ЛЕН»: " + alone + " · Абонент содержит «BDFYJD»: 0 · вместе: 0\n";
    ASSERT_EQ(r.err.substr(0, counts.size()), counts) << r.err;
    const std::string suggestion = "suggest: --user contains:ИВАНОВ  # Абонент содержит «ИВАНОВ» "
                                   "(другая раскладка клавиатуры): ";
    ASSERT_EQ(r.err.substr(counts.size(), suggestion.size()), suggestion) << r.err;
    // What the line says the changed search finds is what the tool finds with the suggested option.
    const std::string count = r.err.substr(counts.size() + suggestion.size(),
                                           r.err.find('\n', counts.size()) - counts.size() - suggestion.size());
    Outcome taken = Cmd("search --street begins:ЛЕН --user contains:ИВАНОВ");
    EXPECT_EQ(taken.err, count + "\n");
    EXPECT_NE(count, "0");
}

TEST_F(Cli, ExplainOffersEverySuggestionAsAnOptionThatFindsWhatItSays) {
    Outcome r = Cmd("search --street begins:ЛЕНЕНА --house lt:20 --explain");
    EXPECT_EQ(r.status, 0) << r.err;
    int lines = 0;
    for (std::size_t at = r.err.find("suggest: "); at != std::string::npos; at = r.err.find("suggest: ", at + 1)) {
        const std::string line = r.err.substr(at, r.err.find('\n', at) - at);
        const std::string option = line.substr(9, line.find("  # ") - 9);
        const std::string count = line.substr(line.rfind(": ") + 2);
        Outcome taken = Cmd("search --house lt:20 " + option);
        EXPECT_EQ(taken.err, count + "\n") << line;
        ++lines;
    }
    EXPECT_GE(lines, 2) << r.err;
    EXPECT_LE(lines, 5) << r.err;
    EXPECT_NE(r.err.find("suggest: --street begins:ЛЕНИНА  #"), std::string::npos) << r.err;
}

TEST_F(Cli, ExplainAddsNothingWhenSomethingIsFoundOrAMaskIsInvalid) {
    Outcome found = Cmd("search --street eq:ЛЕНИНА --house eq:15 --explain");
    EXPECT_EQ(found.status, 0);
    EXPECT_NE(found.err, "0\n");
    EXPECT_EQ(found.err, Cmd("search --street eq:ЛЕНИНА --house eq:15").err);
    Outcome mask = Cmd("search --street 'mask:[0-9' --explain");
    EXPECT_EQ(mask.status, 1);
    EXPECT_EQ(mask.err.find("explain:"), std::string::npos) << mask.err;
    Outcome plain = Cmd("search --street begins:ЛЕНЕНА");
    EXPECT_EQ(plain.err, "0\n");
}

} // namespace
