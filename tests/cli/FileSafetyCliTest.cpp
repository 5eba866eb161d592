// quorvant-cli as real processes beside each other: two practice runs on one file, kill -9
// while saving, closed pipes and full disks.

#include "cli/Commands.h"
#include "exchange/TrainingJson.h"
#include "common/TestFiles.h"

#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <set>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testfiles::ReadBytes;
using testfiles::TempDir;
using testfiles::WriteBytes;

// Starts quorvant-cli with args, standard input and output on these descriptors (which
// it takes over) and standard error into errPath.
pid_t Spawn(std::vector<std::string> args, int in, int out, const std::string& errPath) {
    if (const pid_t pid = fork(); pid != 0) {
        close(in); close(out);
        return pid;
    }
    dup2(in, 0); dup2(out, 1);
    dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    std::vector<char*> argv{const_cast<char*>(QUORVANT_CLI_EXE)};
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(QUORVANT_CLI_EXE, argv.data());
    _exit(127);
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int Open(const std::string& path, int flags) { return open(path.c_str(), flags | O_CREAT | O_CLOEXEC, 0600); }

// Runs quorvant-cli to its end with this input, its output thrown away.
int RunToEnd(const std::vector<std::string>& args, const std::string& input, const TempDir& dir) {
    WriteBytes(dir.Path("input"), input);
    return Wait(Spawn(args, Open(dir.Path("input"), O_RDONLY), Open("/dev/null", O_WRONLY), dir.Path("err")));
}

std::uint64_t TotalCounts(const std::string& path) {
    cTrainingData d;
    EXPECT_EQ(d.ReadTrainingFile(path), 0) << path;
    std::uint64_t total = 0;
    for (const cTask& t : d.m_aTasks)
        for (const std::uint32_t n : t.m_nStats)
            total += n;
    return total;
}

// Three runs at once: one saves, the other two find the file changed when they end at the
// same moment; each keeps its statistics in a conflict file of its own.
TEST(ThreePracticeRuns, EachLaterOneKeepsItsStatisticsInItsOwnFile) {
    TempDir dir;
    const std::string path = dir.Path("vokabeln.vdr");
    cTrainingData data = testfiles::MakeTrainingData(3);
    data.m_nMinPercent = data.m_nMinRight = data.m_nMaxWords = 0; // every task is asked
    ASSERT_EQ(data.WriteTrainingFile(path), 0);
    const std::uint64_t before = TotalCounts(path);
    std::set<std::string> named;
    for (int round = 1; round <= 4; ++round) {
        int answers[2][2];
        pid_t losers[2];
        for (int k = 0; k < 2; ++k) {
            ASSERT_EQ(pipe2(answers[k], O_CLOEXEC), 0);
            const std::string out = dir.Path("out" + std::to_string(k));
            losers[k] = Spawn({"practice", path}, answers[k][0], Open(out, O_WRONLY | O_TRUNC),
                              dir.Path("err" + std::to_string(k)));
            // Once it asks, it has read the file.
            for (int i = 0; i < 1000 && ReadBytes(out).find("Antwort> ") == std::string::npos; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_EQ(RunToEnd({"practice", path}, "x\n", dir), 0);
        for (auto& pipe : answers)
            ASSERT_EQ(write(pipe[1], "x\nx\n", 4), 4);
        for (auto& pipe : answers)
            close(pipe[1]);
        for (int k = 0; k < 2; ++k) {
            SCOPED_TRACE("round " + std::to_string(round) + ", run " + std::to_string(k));
            EXPECT_EQ(Wait(losers[k]), 1);
            const std::string err = ReadBytes(dir.Path("err" + std::to_string(k)));
            const std::string head = "Die Datei " + path + " wurde während der Übung von einem "
                                     "anderen Programm geändert und bleibt unverändert.\nDie "
                                     "Statistik dieser Übung ist in ";
            const std::size_t at = std::min(err.find(dir.Path("vokabeln.konflikt")), err.size());
            const std::string conflict = err.substr(at, err.find(' ', at) - at);
            EXPECT_EQ(err, head + conflict + " gespeichert.\n");
            EXPECT_TRUE(named.insert(conflict).second) << conflict << " named twice";
            EXPECT_EQ(TotalCounts(conflict), TotalCounts(path) + 1);
        }
    }
    std::set<std::string> expected{dir.Path("vokabeln.konflikt.vdr")};
    for (int n = 2; n <= 8; ++n)
        expected.insert(dir.Path("vokabeln.konflikt-" + std::to_string(n) + ".vdr"));
    EXPECT_EQ(named, expected);
    EXPECT_EQ(TotalCounts(path), before + 4);
}

TEST(KillDuringSave, LeavesTheOldOrTheNewFileAndNoTemporary) {
    // Without a hard link the file is replaced; with one it is written in place through
    // a journal, which the next open (here `info`) finishes or drops.
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "hard link" : "single name");
        TempDir work, dir;
        const std::string target = dir.Path("ziel.vdr");
        std::string bytes[2], json[2];
        std::chrono::steady_clock::duration full{}; // how long a whole import takes
        for (int k = 0; k < 2; ++k) {
            json[k] = work.Path("quelle" + std::to_string(k) + ".json");
            std::ostringstream text;
            WriteTrainingJson(testfiles::MakeTrainingData(4000, k + 1), text);
            WriteBytes(json[k], text.str());
            const auto start = std::chrono::steady_clock::now();
            ASSERT_EQ(RunToEnd({"import", json[k], target}, "", work), 0);
            full = std::chrono::steady_clock::now() - start;
            bytes[k] = ReadBytes(target);
        }
        if (linked) {
            ASSERT_EQ(link(target.c_str(), dir.Path("partner.vdr").c_str()), 0);
        }
        const unsigned seed = std::random_device()();
        std::mt19937 rng(seed);
        for (int round = 0; round < (linked ? 40 : 50); ++round) {
            const pid_t pid = Spawn({"import", json[round % 2], target}, Open("/dev/null", O_RDONLY),
                                    Open("/dev/null", O_WRONLY), work.Path("err"));
            // Parsing comes first: a linked file's write lies in the later part.
            std::this_thread::sleep_for(full * (linked ? 400 + rng() % 700 : rng() % 1000) / 1000);
            kill(pid, SIGKILL); Wait(pid);
            if (linked) {
                ASSERT_EQ(RunToEnd({"info", target}, "", work), 0) << "round " << round << " seed " << seed;
            }
            const std::string now = ReadBytes(target);
            ASSERT_TRUE(now == bytes[0] || now == bytes[1]) << "round " << round << " seed " << seed;
        }
        ASSERT_EQ(RunToEnd({"import", json[0], target}, "", work), 0);
        EXPECT_EQ(ReadBytes(target), bytes[0]);
        const std::vector<std::string> names = linked ? std::vector<std::string>{"partner.vdr", "ziel.vdr"}
                                                      : std::vector<std::string>{"ziel.vdr"};
        EXPECT_EQ(dir.Entries(), names);
    }
}

TEST(BrokenOutput, EveryCommandReportsItWithExitOne) {
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    cTrainingData data = testfiles::MakeTrainingData(20);
    ASSERT_EQ(data.WriteTrainingFile(path), 0);
    for (const bool fullDisk : {false, true})
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"export", path}, {"export", path, "--format", "csv"}, {"info", path}, {"list", path},
                 {"practice", path}, {"--help"}}) {
            int sink[2] = {-1, Open("/dev/full", O_WRONLY)};
            if (!fullDisk) { // a pipe nobody reads
                close(sink[1]);
                ASSERT_EQ(pipe2(sink, O_CLOEXEC), 0);
                close(sink[0]);
            }
            EXPECT_EQ(Wait(Spawn(args, Open("/dev/null", O_RDONLY), sink[1], dir.Path("err"))), 1)
                << args[0] << fullDisk;
            EXPECT_EQ(ReadBytes(dir.Path("err")), std::string(kOutputFailed) + "\n") << args[0];
        }
}

TEST(HostileInput, RefusedAtOnceWithTheLimitNamed) {
    TempDir dir;
    const std::string fifo = dir.Path("leer.json"), odd = dir.Path("a\nb.vdr");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    cTrainingData data = testfiles::MakeTrainingData(2);
    ASSERT_EQ(data.WriteTrainingFile(odd), 0);
    // A FIFO nobody writes into is no import source; endless input stops at 512 MiB.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"import", fifo, dir.Path("a.vdr")}, {"import", fifo, dir.Path("a.vdr"), "--format", "csv"},
             {"import", fifo, dir.Path("a.vdr"), "--replace-unmappable"}}) {
        EXPECT_EQ(Wait(Spawn(args, Open("/dev/null", O_RDONLY), Open("/dev/null", O_WRONLY), dir.Path("err"))), 1);
        EXPECT_EQ(ReadBytes(dir.Path("err")), "Die Datei " + fifo + " kann nicht gelesen werden.\n");
    }
    EXPECT_EQ(Wait(Spawn({"import", "-", dir.Path("a.vdr"), "--replace-unmappable"}, Open("/dev/zero", O_RDONLY),
                         Open("/dev/null", O_WRONLY), dir.Path("err"))), 2);
    EXPECT_EQ(ReadBytes(dir.Path("err")), "Import abgelehnt: -: Die Datei ist größer als 512 MiB.\n");
    // A line break in the file name stays out of the summary's lines and the KVTML title.
    EXPECT_EQ(Wait(Spawn({"info", "--", odd}, Open("/dev/null", O_RDONLY), Open(dir.Path("out"), O_WRONLY),
                         dir.Path("err"))), 0);
    EXPECT_EQ(ReadBytes(dir.Path("out")).substr(0, ReadBytes(dir.Path("out")).find("\nAufgaben")),
              "Datei: " + dir.Path("a?b.vdr"));
    EXPECT_EQ(Wait(Spawn({"export", odd, "--format", "kvtml"}, Open("/dev/null", O_RDONLY),
                         Open(dir.Path("out"), O_WRONLY | O_TRUNC), dir.Path("err"))), 0);
    EXPECT_NE(ReadBytes(dir.Path("out")).find("<title>a b</title>"), std::string::npos);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a\nb.vdr", "err", "leer.json", "out"}));
}

} // namespace
