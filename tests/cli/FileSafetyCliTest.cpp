// quorvant-cli as real processes beside each other and under hostile input: two practice
// runs on one file, kill -9 while saving, closed pipes and full disks, and JSON that is
// too deep, too big, overflowing or ambiguous.

#include "cli/Commands.h"
#include "cli/TrainingJson.h"
#include "common/TestFiles.h"

#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testfiles::ReadBytes;
using testfiles::TempDir;
using testfiles::WriteBytes;

// Starts quorvant-cli with args, standard input and output on these descriptors (which
// it takes over) and standard error into errPath.
pid_t Spawn(std::vector<std::string> args, int in, int out, const std::string& errPath) {
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in, 0);
        dup2(out, 1);
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        std::vector<char*> argv{const_cast<char*>(QUORVANT_CLI_EXE)};
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(QUORVANT_CLI_EXE, argv.data());
        _exit(127);
    }
    close(in);
    close(out);
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int Open(const std::string& path, int flags) {
    return open(path.c_str(), flags | O_CREAT | O_CLOEXEC, 0600);
}

// Runs quorvant-cli to its end with this input and its output in outPath.
int RunToEnd(const std::vector<std::string>& args, const std::string& input, const TempDir& dir,
             const std::string& outPath = "/dev/null") {
    WriteBytes(dir.Path("input"), input);
    return Wait(Spawn(args, Open(dir.Path("input"), O_RDONLY), Open(outPath, O_WRONLY),
                      dir.Path("err")));
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

TEST(TwoPracticeRuns, TheLaterKeepsItsStatisticsBesideTheFile) {
    TempDir dir;
    const std::string path = dir.Path("vokabeln.vdr");
    cTrainingData data = testfiles::MakeTrainingData(3);
    data.m_nMinPercent = data.m_nMinRight = data.m_nMaxWords = 0; // every task is asked
    ASSERT_EQ(data.WriteTrainingFile(path), 0);
    const std::uint64_t before = TotalCounts(path);

    for (const char* conflict : {"vokabeln.konflikt.vdr", "vokabeln.konflikt-2.vdr"}) {
        int answers[2];
        ASSERT_EQ(pipe2(answers, O_CLOEXEC), 0);
        const pid_t first = Spawn({"practice", path}, answers[0],
                                  Open(dir.Path("out1"), O_WRONLY | O_TRUNC), dir.Path("err1"));
        // Once it asks, it has read the file; the second run answers once and saves.
        for (int i = 0; i < 1000 && ReadBytes(dir.Path("out1")).find("Antwort> ") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(RunToEnd({"practice", path}, "x\n", dir), 0);
        const std::string second = ReadBytes(path);
        ASSERT_EQ(write(answers[1], "x\nx\n", 4), 4);
        close(answers[1]);
        EXPECT_EQ(Wait(first), 1);

        EXPECT_EQ(ReadBytes(dir.Path("err1")),
                  "Die Datei " + path + " wurde während der Übung von einem anderen Programm "
                  "geändert und bleibt unverändert.\nDie Statistik dieser Übung ist in " +
                      dir.Path(conflict) + " gespeichert.\n");
        EXPECT_EQ(ReadBytes(path), second);
        EXPECT_EQ(TotalCounts(dir.Path(conflict)), TotalCounts(path) + 1);
    }
    EXPECT_EQ(TotalCounts(path), before + 2);
}

TEST(KillDuringSave, LeavesTheOldOrTheNewFileAndNoTemporary) {
    TempDir work;
    TempDir dir;
    const std::string target = dir.Path("ziel.vdr");
    std::string bytes[2];
    std::string json[2];
    for (int k = 0; k < 2; ++k) {
        json[k] = work.Path("quelle" + std::to_string(k) + ".json");
        std::ostringstream text;
        WriteTrainingJson(testfiles::MakeTrainingData(4000, k + 1), text);
        WriteBytes(json[k], text.str());
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(RunToEnd({"import", json[k], target}, "", work), 0);
        bytes[k] = ReadBytes(target);
        if (k == 1) { // the last import: how long a whole run takes
            const auto full = std::chrono::steady_clock::now() - start;
            const unsigned seed = std::random_device()();
            std::mt19937 rng(seed);
            for (int round = 0; round < 50; ++round) {
                const pid_t pid = Spawn({"import", json[round % 2], target},
                                        Open("/dev/null", O_RDONLY), Open("/dev/null", O_WRONLY),
                                        work.Path("err"));
                std::this_thread::sleep_for(full * (rng() % 1000) / 1000);
                kill(pid, SIGKILL);
                Wait(pid);
                const std::string now = ReadBytes(target);
                ASSERT_TRUE(now == bytes[0] || now == bytes[1]) << "round " << round << " seed " << seed;
            }
        }
    }
    ASSERT_EQ(RunToEnd({"import", json[0], target}, "", work), 0);
    EXPECT_EQ(ReadBytes(target), bytes[0]);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"ziel.vdr"});
}

TEST(BrokenOutput, EveryCommandReportsItWithExitOne) {
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    cTrainingData data = testfiles::MakeTrainingData(20);
    ASSERT_EQ(data.WriteTrainingFile(path), 0);
    for (const bool fullDisk : {false, true})
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"export", path}, {"info", path}, {"list", path}, {"practice", path}, {"--help"}}) {
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

std::string Repeat(const std::string& piece, std::size_t n) {
    std::string s;
    s.reserve(piece.size() * n);
    for (std::size_t i = 0; i < n; ++i)
        s += piece;
    return s;
}

TEST(HostileJson, IsRefusedWithItsPlace) {
    const std::string longText(kMaxJsonText + 1, 'a');
    const std::pair<std::string, std::string> cases[] = { // input, refusal after "Import abgelehnt: "
        {"{\"a\":" + std::string(60000, '[') + std::string(60000, ']') + ",\"b\":1}",
         "a" + Repeat("[0]", 63) + ": mehr als 64 Ebenen ineinander verschachtelt"},
        {"{\"tasks\":[{\"points\":1,\"stats\":[1,1e400]}]}",
         "tasks[0].stats[1]: Zahl außerhalb des darstellbaren Bereichs"},
        {"{\"crypt\":-" + std::string(400, '9') + "}", "crypt: Zahl außerhalb des darstellbaren Bereichs"},
        {"{\"tasks\":[{},{\"points\":1,\"solution\":\"a\",\"points\":2}]}",
         "tasks[1].points: Schlüssel kommt doppelt vor"},
        {std::string("{\"tasks\":[]}\0{\"x\":1}", 20),
         "Dokument: nach dem JSON-Wert folgen weitere Zeichen (ab Byte 13)"},
        {"{} []", "Dokument: nach dem JSON-Wert folgen weitere Zeichen (ab Byte 4)"},
        {"{\"questionTemplate\":\"" + longText + "\"}",
         "questionTemplate: Text länger als 16 MiB (16777216 Bytes)"},
        {"{\"tasks\":[{\"" + longText + "\":1}]}", "tasks[0]: Schlüssel länger als 16 MiB (16777216 Bytes)"},
    };
    for (const auto& [json, err] : cases) {
        TempDir dir;
        WriteBytes(dir.Path("in.json"), json);
        const clitest::CliRun run = clitest::RunTool({"import", dir.Path("in.json"), dir.Path("out.vdr")});
        EXPECT_EQ(run.status, 2) << err.substr(0, 80);
        EXPECT_EQ(run.err, "Import abgelehnt: " + err + ".\n") << err.substr(0, 80);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"in.json"});
    }
    // "ä" is two bytes of UTF-8, plain or escaped: exactly the limit passes, a byte more not.
    const std::string atLimit = Repeat("\xC3\xA4", kMaxJsonText / 2 - 1) + "\\u00e4";
    for (const auto& [text, accepted] : {std::pair{atLimit, true}, std::pair{atLimit + "x", false}}) {
        std::istringstream in("{\"questionTemplate\":\"" + text + "\"}");
        cTrainingData data;
        cJsonRefusal refusal;
        EXPECT_EQ(ReadTrainingJson(in, data, refusal), accepted);
        EXPECT_EQ(refusal.message,
                  accepted ? "" : "questionTemplate: Text länger als 16 MiB (16777216 Bytes)");
    }
}

} // namespace
