// quorvant-cli as real processes beside each other and under hostile input: two practice
// runs on one file, kill -9 in the middle of saving, closed pipes and full disks, and
// JSON that is too deep, too big, overflowing or ambiguous.

#include "cli/Commands.h"
#include "cli/TrainingJson.h"
#include "common/TestFiles.h"

#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using clitest::RunTool;
using testfiles::ReadBytes;
using testfiles::TempDir;
using testfiles::WriteBytes;

// A running quorvant-cli; in and out are our ends of its standard input and output
// (-1 where it got a file instead).
struct Child {
    pid_t pid = -1;
    int in = -1;
    int out = -1;
};

// Starts quorvant-cli with args. stdinFd/stdoutFd given (>= 0) are handed to it,
// otherwise it gets pipes to us; standard error goes to errPath.
Child Start(const std::vector<std::string>& args, const std::string& errPath, int stdinFd = -1,
            int stdoutFd = -1)
{
    Child child;
    int inPipe[2] = {-1, -1};
    int outPipe[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinFd < 0) {
        EXPECT_EQ(pipe2(inPipe, O_CLOEXEC), 0);
        stdinFd = inPipe[0];
        child.in = inPipe[1];
    }
    if (stdoutFd < 0) {
        EXPECT_EQ(pipe2(outPipe, O_CLOEXEC), 0);
        stdoutFd = outPipe[1];
        child.out = outPipe[0];
    }
    posix_spawn_file_actions_adddup2(&actions, stdinFd, 0);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{const_cast<char*>(QUORVANT_CLI_EXE)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&child.pid, QUORVANT_CLI_EXE, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    for (const int fd : {inPipe[0], outPipe[1]})
        if (fd >= 0)
            close(fd);
    return child;
}

// Reads the child's output until it contains text or ends.
std::string ReadUntil(int fd, const std::string& text)
{
    std::string got;
    char buffer[4096];
    ssize_t n = 0;
    while (got.find(text) == std::string::npos && (n = read(fd, buffer, sizeof buffer)) > 0)
        got.append(buffer, static_cast<std::size_t>(n));
    return got;
}

// Exit status, or 128 + signal.
int Wait(const Child& child)
{
    for (const int fd : {child.in, child.out})
        if (fd >= 0)
            close(fd);
    int status = 0;
    waitpid(child.pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs quorvant-cli to its end with this input; returns its exit status.
int RunToEnd(const std::vector<std::string>& args, const std::string& input, const std::string& errPath)
{
    Child child = Start(args, errPath);
    EXPECT_EQ(write(child.in, input.data(), input.size()), ssize_t(input.size()));
    close(child.in);
    child.in = -1;
    (void)ReadUntil(child.out, "\x01never");
    return Wait(child);
}

std::uint64_t TotalCounts(const std::string& path)
{
    cTrainingData d;
    EXPECT_EQ(d.ReadTrainingFile(path), 0) << path;
    std::uint64_t total = 0;
    for (const cTask& t : d.m_aTasks)
        for (const std::uint32_t n : t.m_nStats)
            total += n;
    return total;
}

TEST(TwoPracticeRuns, TheLaterKeepsItsStatisticsBesideTheFile)
{
    TempDir dir;
    const std::string path = dir.Path("vokabeln.vdr");
    cTrainingData data = testfiles::MakeTrainingData(3);
    data.m_nMinPercent = data.m_nMinRight = data.m_nMaxWords = 0; // every task is asked
    ASSERT_EQ(data.WriteTrainingFile(path), 0);
    const std::uint64_t before = TotalCounts(path);

    Child first = Start({"practice", path}, dir.Path("err1"));
    EXPECT_NE(ReadUntil(first.out, "Antwort> ").find("Antwort> "), std::string::npos);
    // The second run reads, answers once and saves while the first is still asking.
    EXPECT_EQ(RunToEnd({"practice", path}, "x\n", dir.Path("err2")), 0);
    const std::string second = ReadBytes(path);
    const std::string answers = "x\nx\n";
    ASSERT_EQ(write(first.in, answers.data(), answers.size()), ssize_t(answers.size()));
    close(first.in);
    first.in = -1;
    const std::string transcript = ReadUntil(first.out, "\x01never");
    EXPECT_EQ(Wait(first), 1);

    const std::string conflict = dir.Path("vokabeln.konflikt.vdr");
    EXPECT_EQ(ReadBytes(dir.Path("err1")),
              "Die Datei " + path + " wurde während der Übung von einem anderen Programm "
              "geändert und bleibt unverändert.\nDie Statistik dieser Übung ist in " + conflict +
              " gespeichert.\n");
    EXPECT_EQ(transcript.find("Die Statistik ist gespeichert."), std::string::npos);
    EXPECT_EQ(ReadBytes(path), second);
    EXPECT_EQ(TotalCounts(path), before + 1);
    EXPECT_EQ(TotalCounts(conflict), before + 2);

    // A second conflict never overwrites the first one's file.
    first = Start({"practice", path}, dir.Path("err1"));
    (void)ReadUntil(first.out, "Antwort> ");
    EXPECT_EQ(RunToEnd({"practice", path}, "x\n", dir.Path("err2")), 0);
    ASSERT_EQ(write(first.in, "x\n", 2), 2);
    EXPECT_EQ(Wait(first), 1);
    EXPECT_EQ(TotalCounts(conflict), before + 2);
    EXPECT_EQ(TotalCounts(dir.Path("vokabeln.konflikt-2.vdr")), before + 2);
}

TEST(KillDuringSave, LeavesTheOldOrTheNewFileAndNoTemporary)
{
    TempDir work;
    TempDir dir;
    std::string bytes[2];
    std::string json[2];
    for (int k = 0; k < 2; ++k) {
        json[k] = work.Path("quelle" + std::to_string(k) + ".json");
        WriteBytes(json[k], TrainingToJson(testfiles::MakeTrainingData(4000, k + 1)).dump());
        const std::string reference = work.Path("ref" + std::to_string(k) + ".vdr");
        ASSERT_EQ(RunToEnd({"import", json[k], reference}, "", work.Path("err")), 0);
        bytes[k] = ReadBytes(reference);
    }
    const std::string target = dir.Path("ziel.vdr");
    WriteBytes(target, bytes[0]);

    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunToEnd({"import", json[1], target}, "", work.Path("err")), 0);
    const auto full = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    const unsigned seed = std::random_device()();
    std::mt19937 rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    for (int round = 0; round < 50; ++round) {
        Child child = Start({"import", json[round % 2], target}, work.Path("err"));
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % (full.count() + 1)));
        kill(child.pid, SIGKILL);
        Wait(child);
        const std::string now = ReadBytes(target);
        ASSERT_TRUE(now == bytes[0] || now == bytes[1]) << "round " << round;
    }
    ASSERT_EQ(RunToEnd({"import", json[0], target}, "", work.Path("err")), 0);
    EXPECT_EQ(ReadBytes(target), bytes[0]);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"ziel.vdr"});
}

struct Sink {
    const char* name;
    std::vector<std::string> args; // FILE stands for the training file
    bool fullDisk;                 // else a pipe nobody reads
};
void PrintTo(const Sink& c, std::ostream* os) { *os << c.name; }

class BrokenOutput : public ::testing::TestWithParam<Sink> {};

TEST_P(BrokenOutput, IsReportedWithExitOne)
{
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    cTrainingData data = testfiles::MakeTrainingData(20);
    ASSERT_EQ(data.WriteTrainingFile(path), 0);
    std::vector<std::string> args = GetParam().args;
    for (std::string& a : args)
        if (a == "FILE")
            a = path;
    int sink = -1;
    if (GetParam().fullDisk) {
        sink = open("/dev/full", O_WRONLY | O_CLOEXEC);
    } else {
        int ends[2];
        ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
        close(ends[0]);
        sink = ends[1];
    }
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const Child child = Start(args, dir.Path("err"), nothing, sink);
    close(sink);
    close(nothing);
    EXPECT_EQ(Wait(child), 1);
    EXPECT_EQ(ReadBytes(dir.Path("err")), std::string(kOutputFailed) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, BrokenOutput,
    ::testing::Values(Sink{"export_pipe", {"export", "FILE"}, false},
                      Sink{"info_pipe", {"info", "FILE"}, false},
                      Sink{"list_pipe", {"list", "FILE"}, false},
                      Sink{"practice_pipe", {"practice", "FILE"}, false},
                      Sink{"help_pipe", {"--help"}, false},
                      Sink{"export_full", {"export", "FILE"}, true},
                      Sink{"list_full", {"list", "FILE"}, true},
                      Sink{"practice_full", {"practice", "FILE"}, true}));

std::string Repeat(const std::string& piece, std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += piece;
    return s;
}

TEST(HostileJson, IsRefusedWithItsPlace)
{
    const std::string longText(kMaxJsonText + 1, 'a');
    const struct {
        std::string json;
        std::string err; // after "Import abgelehnt: "
    } cases[] = {
        {"{\"a\":" + std::string(60000, '[') + std::string(60000, ']') + ",\"b\":1}",
         "a" + Repeat("[0]", 63) + ": mehr als 64 Ebenen ineinander verschachtelt"},
        {"{\"tasks\":[{\"points\":1,\"stats\":[1,1e400]}]}",
         "tasks[0].stats[1]: Zahl außerhalb des darstellbaren Bereichs"},
        {"{\"crypt\":-" + std::string(400, '9') + "}",
         "crypt: Zahl außerhalb des darstellbaren Bereichs"},
        {"{\"tasks\":[{},{\"points\":1,\"solution\":\"a\",\"points\":2}]}",
         "tasks[1].points: Schlüssel kommt doppelt vor"},
        {std::string("{\"tasks\":[]}\0{\"x\":1}", 20),
         "Dokument: nach dem JSON-Wert folgen weitere Zeichen (ab Byte 13)"},
        {"{} []", "Dokument: nach dem JSON-Wert folgen weitere Zeichen (ab Byte 4)"},
        {"{\"questionTemplate\":\"" + longText + "\"}",
         "questionTemplate: Text länger als 16 MiB (16777216 Bytes)"},
        {"{\"tasks\":[{\"" + longText + "\":1}]}",
         "tasks[0]: Schlüssel länger als 16 MiB (16777216 Bytes)"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteBytes(dir.Path("in.json"), c.json);
        const clitest::CliRun run = RunTool({"import", dir.Path("in.json"), dir.Path("out.vdr")});
        EXPECT_EQ(run.status, 2) << c.err.substr(0, 80);
        EXPECT_EQ(run.err, "Import abgelehnt: " + c.err + ".\n") << c.err.substr(0, 80);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"in.json"});
    }
}

TEST(HostileJson, TextLimitCountsDecodedBytes)
{
    // "ä" is two bytes of UTF-8, written plain or escaped: exactly the limit passes, one
    // byte more not.
    const std::string atLimit = Repeat("\xC3\xA4", kMaxJsonText / 2 - 1) + "\\u00e4";
    for (const auto& [text, accepted] : {std::pair{atLimit, true}, std::pair{atLimit + "x", false}}) {
        std::istringstream in("[\"" + text + "\"]");
        OrderedJson doc;
        cJsonRefusal refusal;
        EXPECT_EQ(ParseTrainingJson(in, doc, refusal), accepted);
        EXPECT_EQ(refusal.message, accepted ? "" : "[0]: Text länger als 16 MiB (16777216 Bytes)");
        if (accepted)
            EXPECT_EQ(doc[0].get_ref<const std::string&>().size(), kMaxJsonText);
    }
}

} // namespace
