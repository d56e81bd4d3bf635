// The tool under attack: failing I/O (an LD_PRELOAD shim, /dev/full, closed pipes), hostile files (bombs,
// sparse files, devices), files it must not clobber, and command lines it must refuse.
#include "directory/limits.h"
#include "fileio.h"
#include "resources/builtin_directory.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

namespace {

namespace fs = std::filesystem;
using vg::test::Int32;

struct Outcome {
    int status; // the exit status, or 128 + the signal
    std::string out, err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Deflates `pieces` pieces from `piece` (called with the piece's number) into a zlib stream, followed by two
// zero bytes, as a directory file is laid out; without ever holding the inflated bytes.
std::string Deflate(std::size_t pieces, const std::function<std::string(std::size_t)>& piece) {
    z_stream z{};
    EXPECT_EQ(deflateInit(&z, Z_BEST_SPEED), Z_OK);
    std::string out;
    unsigned char buf[1 << 16];
    for (std::size_t k = 0; k <= pieces; ++k) {
        std::string in = k < pieces ? piece(k) : std::string();
        z.next_in = reinterpret_cast<Bytef*>(in.data());
        z.avail_in = static_cast<uInt>(in.size());
        int flush = k < pieces ? Z_NO_FLUSH : Z_FINISH;
        do {
            z.next_out = buf;
            z.avail_out = sizeof buf;
            deflate(&z, flush);
            out.append(reinterpret_cast<char*>(buf), sizeof buf - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out + std::string(2, '\0');
}

class CliAttack : public ::testing::Test {
public:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vg-attack-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Runs `sh -c SCRIPT` where $CLI is the tool, stdout and stderr going to files unless SCRIPT redirects.
    Outcome Sh(const std::string& script, const std::string& env = "") const {
        std::string command = "CLI=" + std::string(VG_CLI) + "; " + env + " " + script;
        pid_t pid = ::fork();
        if (pid == 0) {
            int out = ::open(Path("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int err = ::open(Path("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(err, 2);
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int raw = 0;
        ::waitpid(pid, &raw, 0);
        Outcome r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        r.out = Slurp(Path("out"));
        r.err = Slurp(Path("err"));
        return r;
    }
    Outcome Cli(const std::string& args, const std::string& env = "") const { return Sh("exec $CLI " + args, env); }
    // The same with the fault shim preloaded; FaultySh exports it to a whole script, which runs in the folder.
    Outcome Faulty(const std::string& args, const std::string& faults) const { return Cli(args, Shim(faults)); }
    Outcome FaultySh(const std::string& script, const std::string& faults) const {
        return Sh("export " + Shim(faults) + "; cd " + dir_.string() + " && " + script);
    }
    static std::string Shim(const std::string& faults) {
        const char* asan = std::getenv("ASAN_OPTIONS");
        return "LD_PRELOAD=" + std::string(VG_FAULTSHIM) + " ASAN_OPTIONS=" + (asan ? std::string(asan) + ":" : "") +
               "verify_asan_link_order=0 " + faults;
    }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    // The names in the test's folder, other than the command's own out and err.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename() != "out" && e.path().filename() != "err") names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string SmallCsv(const std::string& user = "U") const {
        return "phone,street,house,flat,user\r\n12345,A,1,1," + user + "\r\n23456,B,2,,V\r\n";
    }

    fs::path dir_;
};

// ---- I/O failures ----

TEST_F(CliAttack, AFullDeviceIsAnErrorForEveryCommandThatPrints) {
    for (const char* command : {"dump", "stats", "search --street begins:A", "--help", "--version", "pack --help"}) {
        Outcome r = Sh(std::string("$CLI ") + command + " >/dev/full");
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_NE(r.err.find("cannot write the output: " + std::string(std::strerror(ENOSPC))), std::string::npos)
            << command << ": " << r.err;
    }
}

TEST_F(CliAttack, AClosedPipeEndsTheCommandQuietlyAsCatDoes) {
    // Default SIGPIPE, and SIGPIPE ignored by the parent (then the write fails with EPIPE): both end by SIGPIPE.
    for (const char* trap : {"", "trap '' PIPE;"}) {
        Outcome r = Sh(std::string(trap) + " ($CLI dump 2>" + Path("cli-err") + "; echo $? >" + Path("status") +
                       ") | head -c 100 >/dev/null");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(Slurp(Path("status")), "141\n") << trap;
        EXPECT_EQ(Slurp(Path("cli-err")), "") << trap;
    }
}

TEST_F(CliAttack, AReadErrorInTheCsvIsAnErrorAndWritesNothing) {
    std::string csv = vg::test::W("phone,street,house,flat,user\r\n");
    for (int i = 0; i < 2000; ++i)
        csv += std::to_string(10000 + i) + ",STREET,1,2,USER " + std::to_string(i) + "\r\n";
    Write("city.csv", csv);
    Write("city.rcd", "the old file");
    for (const char* after : {"0", "4096", "20000"}) {
        Outcome r =
            Faulty("pack " + Path("city.csv") + " -o " + Path("city.rcd"), std::string("VG_FAIL_READ_AFTER=") + after);
        EXPECT_EQ(r.status, 1) << after;
        EXPECT_NE(r.err.find("cannot read " + Path("city.csv") + ": " + std::strerror(EIO)), std::string::npos)
            << r.err;
        EXPECT_EQ(Slurp(Path("city.rcd")), "the old file") << after;
        EXPECT_EQ(Names(), (std::vector<std::string>{"city.csv", "city.rcd"}));
    }
    // Without faults the same CSV packs: the shim alone changes nothing.
    Outcome r = Faulty("pack " + Path("city.csv") + " -o " + Path("city.rcd"), "");
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliAttack, AReadErrorInADirectoryFileIsAnError) {
    Write("city.rcd", std::string(vg::BuiltinDirectory()));
    for (const char* command : {"dump", "stats", "search --user begins:А"}) {
        std::string args = std::string(command) + " " + Path("city.rcd");
        if (std::string(command).rfind("search", 0) == 0) args = "search " + Path("city.rcd") + " --user begins:А";
        Outcome r = Faulty(args, "VG_FAIL_READ_AFTER=300000");
        EXPECT_EQ(r.status, 1) << command << ": " << r.err;
        // Said as a read error, not as damage: the file may be sound.
        EXPECT_EQ(r.err, "vetlograd09-cli: cannot read " + Path("city.rcd") + ": " + std::strerror(EIO) + "\n")
            << command << ": " << r.err;
    }
}

TEST_F(CliAttack, AFailedWriteSyncOrCloseOfTheOutputKeepsTheOldFileAndLeavesNoTemporary) {
    Write("city.csv", SmallCsv());
    Write("city.rcd", "the old file");
    struct Fault {
        const char* env;
        const char* reason;
    };
    for (const Fault& f :
         {Fault{"VG_FAIL_WRITE_AFTER=0", std::strerror(ENOSPC)}, Fault{"VG_FAIL_WRITE_AFTER=10", std::strerror(ENOSPC)},
          Fault{"VG_FAIL_FSYNC=1", std::strerror(EIO)}, Fault{"VG_FAIL_CLOSE=1", std::strerror(EIO)}}) {
        std::string reason = f.reason;
        Outcome r = Faulty("pack " + Path("city.csv") + " -o " + Path("city.rcd"), f.env);
        EXPECT_EQ(r.status, 1) << f.env;
        EXPECT_NE(r.err.find("cannot write " + Path("city.rcd") + ": " + reason), std::string::npos) << f.env << r.err;
        EXPECT_EQ(Slurp(Path("city.rcd")), "the old file") << f.env;
        EXPECT_EQ(Names(), (std::vector<std::string>{"city.csv", "city.rcd"})) << f.env;
    }
}

TEST_F(CliAttack, AnInterruptedPackLeavesNoTemporaryAndTheOldFile) {
    // Every signal that ends the tool takes the temporary along (no core file either); an ignored one, as under
    // nohup, stays ignored and the pack completes.
    std::string csv = "phone,street,house,flat,user\r\n";
    for (int i = 0; i < 300; ++i)
        csv += std::to_string(10000 + i * 7919 % 90000) + ",STREET " + std::to_string(i * 37) + ",1,2,U\r\n";
    Write("city.csv", csv);
    struct Case {
        std::string before; // shell commands before the tool starts
        int signal;         // raised at its first write; 0: none
        int status;
    };
    std::vector<Case> cases = {{"ulimit -f 1;", 0, 128 + SIGXFSZ}, {"trap '' HUP;", SIGHUP, 0}};
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGALRM, SIGXFSZ, SIGPIPE, SIGRTMIN + 3})
        cases.push_back({"", signal, 128 + signal});
    for (const Case& c : cases) {
        const std::string what = c.before + " signal " + std::to_string(c.signal);
        Write("city.rcd", "the old file");
        Outcome r = FaultySh("ulimit -c 0; " + c.before + " exec $CLI pack city.csv -o city.rcd",
                             "VG_SIGNAL_ON_WRITE=" + std::to_string(c.signal));
        EXPECT_EQ(r.status, c.status) << what << ": " << r.err;
        EXPECT_EQ(Slurp(Path("city.rcd")) == "the old file", c.status != 0) << what;
        EXPECT_EQ(Names(), (std::vector<std::string>{"city.csv", "city.rcd"})) << what;
    }
}

// Where pack's output lands and what it keeps: through links to their final target, never over what is not a
// regular file, with the replaced file's mode and owner, refusing what it cannot examine.
TEST_F(CliAttack, PackReplacesOnlyTheFinalTargetOfItsOutputAndKeepsItsModeAndOwner) {
    Write("city.csv", SmallCsv());
    ASSERT_EQ(Cli("pack " + Path("city.csv") + " -o " + Path("want.rcd")).status, 0);
    struct Case {
        const char* run;    // in the test's folder, which has city.csv, want.rcd and sub/old.rcd ("old")
        const char* faults; // for the shim
        const char* told;   // the start of the message; empty: success
        const char* check;  // a shell test afterwards
    };
    for (const Case& c : {
             Case{"ln -s sub/old.rcd a; ln -s a b; $PACK b", "", "", "test -L a -a -L b && cmp sub/old.rcd want.rcd"},
             Case{"ln -s sub/new.rcd d; $PACK d", "", "", "test -L d && cmp sub/new.rcd want.rcd"},
             Case{"$PACK /dev/stdout >sub/old.rcd", "", "", "test -L /dev/stdout && cmp sub/old.rcd want.rcd"},
             Case{"{ $PACK /dev/stdout; echo $? >sub/st; } | cat; exit $(cat sub/st)", "",
                  "/dev/stdout exists and is not a regular file", "true"},
             Case{"mkfifo sub/fifo; ln -s sub/fifo f; $PACK f", "", "f exists and is not a regular file",
                  "test -p sub/fifo -a -L f"},
             Case{"ln -s sub l; $PACK l", "", "l exists and is not a regular file", "test -d sub -a -L l"},
             Case{"chown 1234:2345 sub/old.rcd; chmod 2640 sub/old.rcd; $PACK sub/old.rcd", "", "",
                  "test \"$(stat -c '%a %u %g' sub/old.rcd)\" = '2640 1234 2345' && cmp sub/old.rcd want.rcd"},
             Case{"chmod 777 sub; chown 1234 sub/old.rcd; chmod 666 sub/old.rcd; "
                  "setpriv --reuid=65534 --regid=65534 --clear-groups $PACK sub/old.rcd",
                  "", "cannot keep the owner of sub/old.rcd", "test $(stat -c %u sub/old.rcd) = 1234"},
             Case{"$PACK sub/old.rcd", "VG_FAIL_STAT=sub/old.rcd", "cannot examine sub/old.rcd: ", "true"},
             Case{"echo new >sub/old.rcd.new; $PACK sub/old.rcd", "VG_RENAME_ON_LSTAT=sub/old.rcd", "",
                  "test ! -e sub/old.rcd.new && cmp sub/old.rcd want.rcd"}, // another writer's file between two looks
             Case{"$PACK sub/old.rcd", "VG_FAIL_STAT=city.csv", "cannot examine city.csv: ", "true"},
         }) {
        Sh("cd " + dir_.string() + " && rm -rf sub a b d f l && mkdir sub && echo old >sub/old.rcd");
        Outcome r = FaultySh(std::string("PACK=\"$CLI pack city.csv -o\"; ") + c.run, c.faults);
        EXPECT_EQ(r.status, *c.told ? 1 : 0) << c.run << ": " << r.err;
        const std::string told = *c.told ? "vetlograd09-cli: " + std::string(c.told) : "";
        EXPECT_EQ(r.err.substr(0, *c.told ? told.size() : std::string::npos), told) << c.run;
        EXPECT_TRUE(!*c.told || Slurp(Path("sub/old.rcd")) == "old\n") << c.run;
        const std::string check = std::string(c.check) + " && ! ls -A . sub | grep tmp";
        EXPECT_EQ(Sh("cd " + dir_.string() + " && " + check).status, 0) << c.run << ": " << c.check;
        EXPECT_EQ(Slurp(Path("city.csv")), SmallCsv()) << c.run;
    }
}

// ---- files pack does not own ----

TEST_F(CliAttack, PackRefusesToWriteOverItsOwnInputByAnyName) {
    Write("city.csv", SmallCsv());
    fs::create_hard_link(Path("city.csv"), Path("link.csv"));
    fs::create_symlink(Path("city.csv"), Path("sym.csv"));
    for (const std::string& out :
         {Path("city.csv"), (dir_ / "." / "city.csv").string(), Path("link.csv"), Path("sym.csv")}) {
        Outcome r = Cli("pack " + Path("city.csv") + " -o " + out);
        EXPECT_EQ(r.status, 1) << out;
        EXPECT_NE(r.err.find("is the CSV itself"), std::string::npos) << r.err;
        EXPECT_EQ(Slurp(Path("city.csv")), SmallCsv()) << out;
    }
}

TEST_F(CliAttack, PackNeverReplacesWhatIsNotARegularFile) {
    Write("city.csv", SmallCsv());
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
    fs::create_directory(Path("folder"));
    for (const char* name : {"fifo", "folder"}) {
        Outcome r = Cli("pack " + Path("city.csv") + " -o " + Path(name));
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_NE(r.err.find("exists and is not a regular file"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(fs::is_fifo(Path("fifo")));
    EXPECT_TRUE(fs::is_directory(Path("folder")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"city.csv", "fifo", "folder"}));
}

TEST_F(CliAttack, PackFollowsNoPlantedLinkAndGivesANewFileTheUmasksMode) {
    Write("city.csv", SmallCsv());
    Write("victim", "not yours");
    fs::create_symlink(Path("victim"), Path("city.rcd.tmp"));
    struct Case {
        const char* umask;
        fs::perms mode;
    };
    for (const Case& c : {Case{"022", fs::perms(0644)}, Case{"077", fs::perms(0600)}, Case{"000", fs::perms(0666)},
                          Case{"027", fs::perms(0640)}}) {
        fs::remove(Path("city.rcd"));
        Outcome r =
            Sh(std::string("umask ") + c.umask + "; exec $CLI pack " + Path("city.csv") + " -o " + Path("city.rcd"));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(fs::status(Path("city.rcd")).permissions(), c.mode) << c.umask;
    }
    EXPECT_EQ(Slurp(Path("victim")), "not yours");
    EXPECT_EQ(Names(), (std::vector<std::string>{"city.csv", "city.rcd", "city.rcd.tmp", "victim"}));
}

TEST_F(CliAttack, AnOutputNameOfTheLongestLengthWorksAndAMissingFolderIsAnError) {
    Write("city.csv", SmallCsv());
    std::string longName(255, 'n');
    Outcome r = Cli("pack " + Path("city.csv") + " -o " + Path(longName));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Names(), (std::vector<std::string>{"city.csv", longName}));
    Outcome dump = Cli("dump " + Path(longName));
    EXPECT_EQ(dump.out, SmallCsv());
    Outcome missing = Cli("pack " + Path("city.csv") + " -o " + Path("nowhere/city.rcd"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot create a file in " + Path("nowhere")), std::string::npos) << missing.err;
}

TEST_F(CliAttack, TwoPacksToOneOutputEachSucceedWithTheirOwnCompleteFile) {
    std::string one = SmallCsv("ONE"), two = "phone,street,house,flat,user\r\n";
    for (int i = 0; i < 3000; ++i)
        two += std::to_string(100000 + i) + ",TWO,1,1,TWO\r\n";
    Write("one.csv", one);
    Write("two.csv", two);
    for (int round = 0; round < 8; ++round) {
        Outcome r = Sh("$CLI pack " + Path("one.csv") + " -o " + Path("city.rcd") + " & a=$!; $CLI pack " +
                       Path("two.csv") + " -o " + Path("city.rcd") + "; b=$?; wait $a; echo $? $b");
        EXPECT_EQ(r.out, "0 0\n") << r.err;
        Outcome dump = Cli("dump " + Path("city.rcd"));
        EXPECT_TRUE(dump.out == one || dump.out == two) << dump.out.substr(0, 200);
        EXPECT_EQ(Names(), (std::vector<std::string>{"city.rcd", "one.csv", "two.csv"}));
    }
}

// ---- hostile input: a message, status 1 and bounded memory ----

struct Attack {
    const char* name;
    std::function<std::string(CliAttack&)> args; // prepares the files, gives the command line
    const char* message;
};

class HostileInput : public CliAttack, public ::testing::WithParamInterface<int> {};

std::string Header(std::int32_t count) {
    return Int32(count) + Int32(0);
}

std::vector<Attack> Attacks() {
    auto file = [](CliAttack& t, const char* name, const std::string& bytes) {
        std::ofstream(t.Path(name), std::ios::binary) << bytes;
        return t.Path(name);
    };
    auto sparse = [](CliAttack& t, const char* name) {
        std::string path = t.Path(name);
        std::ofstream(path).close();
        fs::resize_file(path, std::uintmax_t{2} << 30);
        return path;
    };
    return {
        {"twenty million empty records",
         [=](CliAttack& t) {
             // 20,000,000 records of 12 zero bytes: a few hundred kilobytes compressed.
             return "stats " + file(t, "records.rcd", Deflate(2001, [](std::size_t k) {
                                        return k == 0 ? Header(20'000'000) : std::string(120'000, '\0');
                                    }));
         },
         "The directory claims 20,000,000 records, more than the limit of 10,000,000"},
        {"one record of fifty million line breaks",
         [=](CliAttack& t) {
             return "dump " + file(t, "lines.rcd", Deflate(51, [](std::size_t k) {
                                       return k == 0 ? Header(1) + Int32(1) + Int32(50'000'000) + Int32(0) + "1"
                                                     : std::string(1'000'000, '\n');
                                   }));
         },
         "A record's text is 50,000,000 bytes long, more than the limit of 1,312"},
        {"a key of a gigabyte",
         [=](CliAttack& t) {
             return "search " +
                    file(t, "key.rcd",
                         Deflate(1025,
                                 [](std::size_t k) {
                                     return k == 0 ? Header(1) + Int32(1 << 30) + Int32(0) + Int32(0)
                                                   : std::string(1 << 20, '7');
                                 })) +
                    " --phone begins:7";
         },
         "A record's key is 1,073,741,824 bytes long, more than the limit of 32"},
        {"a sparse directory of two gigabytes", [=](CliAttack& t) { return "stats " + sparse(t, "sparse.rcd"); },
         "sparse.rcd is 2,147,483,648 bytes long, more than the limit of 268,435,456 bytes"},
        {"dev zero as a directory", [](CliAttack&) { return std::string("dump /dev/zero"); },
         "vetlograd09-cli: /dev/zero is damaged: error"},
        {"dev zero searched", [](CliAttack&) { return std::string("search /dev/zero --user begins:A"); },
         "vetlograd09-cli: /dev/zero is damaged: error"},
        {"a sparse CSV of two gigabytes",
         [=](CliAttack& t) { return "pack " + sparse(t, "sparse.csv") + " -o " + t.Path("out.rcd"); },
         "sparse.csv is 2,147,483,648 bytes long, more than the limit of 1,073,741,824 bytes; nothing was written"},
        {"a sparse CSV of a gigabyte, within the limit", // read, checked and given up row by row, never held
         [=](CliAttack& t) {
             const std::string path = file(t, "hole.csv", "phone,street,house,flat,user\r\n");
             fs::resize_file(path, std::uintmax_t{1} << 30);
             return "pack " + path + " -o " + t.Path("out.rcd");
         },
         "hole.csv: line 2: the phone is longer than the limit of 32 bytes; nothing was written"},
        {"dev urandom as a CSV", [](CliAttack& t) { return "pack /dev/urandom -o " + t.Path("out.rcd"); },
         "/dev/urandom: line 1: the header must be phone,street,house,flat,user; nothing was written"},
        {"dev zero as a CSV", [](CliAttack& t) { return "pack /dev/zero -o " + t.Path("out.rcd"); },
         "/dev/zero: line 1: the header must be phone,street,house,flat,user; nothing was written"},
        {"a subscriber name of five megabytes",
         [=](CliAttack& t) {
             return "pack " + file(t, "big.csv", t.SmallCsv() + "34567,C,3,3," + std::string(5'000'000, 'Z') + "\r\n") +
                    " -o " + t.Path("out.rcd");
         },
         "line 4: the user is longer than the limit of 80 bytes; nothing was written"},
    };
}

TEST_P(HostileInput, GetsAMessageStatusOneAndBoundedMemory) {
    const Attack attack = Attacks()[static_cast<std::size_t>(GetParam())];
    std::string args = attack.args(*this);
    Outcome r = Sh("exec " + std::string(VG_PEAKRSS) + " " + Path("peak") + " $CLI " + args);
    long peakKb = std::atol(Slurp(Path("peak")).c_str());
    ASSERT_GT(peakKb, 0) << attack.name;
    EXPECT_EQ(r.status, 1) << attack.name << ": " << r.err;
    EXPECT_NE(r.err.find(attack.message), std::string::npos) << attack.name << ": " << r.err;
    EXPECT_EQ(r.out, "") << attack.name;
    EXPECT_FALSE(fs::exists(Path("out.rcd"))) << attack.name;
    // The tool itself (the built-in directory is part of it) takes some tens of megabytes, and the sanitizers'
    // allocator holds freed memory back; the attacks once took gigabytes.
#if defined(__SANITIZE_ADDRESS__)
    const long boundKb = 512 * 1024;
#else
    const long boundKb = 200 * 1024;
#endif
    EXPECT_LT(peakKb, boundKb) << attack.name << " peaked at " << peakKb << " KB";
    std::printf("%s: peak %ld KB\n", attack.name, peakKb);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileInput, ::testing::Range(0, static_cast<int>(Attacks().size())),
                         [](const ::testing::TestParamInfo<int>& info) {
                             std::string name = Attacks()[static_cast<std::size_t>(info.param)].name;
                             for (auto& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// ---- the command line ----

TEST_F(CliAttack, RepeatedOptionsAreUsageErrorsAndEachAloneIsFine) {
    struct Case {
        const char* args;
        int status;
        const char* message;
    };
    for (const Case& c :
         {Case{"search --sort street --sort bogus", 2, "--sort given twice"},
          Case{"search --sort street --sort street", 2, "--sort given twice"},
          Case{"search --street begins:A --street begins:B", 2, "--street given twice"},
          Case{"search --user eq:X --phone eq:1 --user ne:Y", 2, "--user given twice"},
          Case{"search --sort street", 0, ""}, Case{"search --street begins:A --user begins:B", 0, ""}}) {
        Outcome r = Cli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
    }
}

TEST_F(CliAttack, TextThatIsNotUtf8IsNamedAndItsBytesAreNotEchoed) {
    Write("cp1251.csv", "phone,street,house,flat,user\r\n12345,A,1,1,U\r\n12346,\xCB\xC5\xCD\xC8\xCD\xC0,1,1,U\r\n");
    Outcome pack = Cli("pack " + Path("cp1251.csv") + " -o " + Path("out.rcd"));
    EXPECT_EQ(pack.status, 1);
    EXPECT_NE(pack.err.find("line 3: the street is not UTF-8"), std::string::npos) << pack.err;
    Outcome search = Cli("search --user 'contains:\xC8\xC2'");
    EXPECT_EQ(search.status, 2);
    EXPECT_NE(search.err.find("the user text is not UTF-8"), std::string::npos) << search.err;
    for (const Outcome* r : {&pack, &search})
        EXPECT_TRUE(std::all_of(r->err.begin(), r->err.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        })) << r->err;
}

// Phones as numbers, from the CSV the tool prints (an empty phone is 0).
std::vector<long long> Phones(const std::string& csv) {
    std::vector<long long> phones;
    std::size_t pos = csv.find('\n') + 1;
    while (pos < csv.size()) {
        std::size_t comma = csv.find(',', pos);
        std::string phone = csv.substr(pos, comma - pos);
        phones.push_back(phone.empty() ? 0 : std::stoll(phone));
        pos = csv.find('\n', pos) + 1;
    }
    return phones;
}

TEST_F(CliAttack, DescReversesTheSortOrder) {
    Outcome up = Cli("search --street begins:ЛЕН --sort phone");
    Outcome down = Cli("search --street begins:ЛЕН --sort phone --desc");
    ASSERT_EQ(up.status, 0) << up.err;
    ASSERT_EQ(down.status, 0) << down.err;
    std::vector<long long> a = Phones(up.out), d = Phones(down.out);
    ASSERT_GT(a.size(), 10u);
    ASSERT_EQ(a.size(), d.size());
    EXPECT_TRUE(std::is_sorted(a.begin(), a.end()));
    EXPECT_TRUE(std::is_sorted(d.rbegin(), d.rend()));
    EXPECT_GT(d.front(), d.back());
}

} // namespace
