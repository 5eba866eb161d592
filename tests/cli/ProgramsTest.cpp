// Both programs started as processes: help, version and manual pages from one table, a
// window start without a display, the questionnaire numbers of info and --pdf, and the
// allocator setting built into the programs.

#include "common/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using testfiles::ReadBytes;
using testfiles::TempDir;

const std::string kWindowExe = QUORVANT_WINDOW_EXE;
const std::string kSample = QUORVANT_SOURCE_DIR "/resources/beispiel.vdr";

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs a shell command line (environment settings first) with standard error in a file.
Outcome Shell(const std::string& line, const TempDir& dir) {
    Outcome run;
    FILE* pipe = popen((line + " 2>'" + dir.Path("err") + "'").c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.err = ReadBytes(dir.Path("err"));
    return run;
}

const char* kNoDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";

#define NEEDS_WINDOW_PROGRAM()                                                                    \
    if (access(kWindowExe.c_str(), X_OK) != 0)                                                    \
    GTEST_SKIP() << "the window program is not built here"

// The man page's option entries with their escapes undone.
std::string ManText(const std::string& program) {
    std::string page = ReadBytes(std::string(QUORVANT_MAN_DIR "/") + program + ".1");
    for (std::size_t at; (at = page.find("\\-")) != std::string::npos;)
        page.erase(at, 1);
    return page;
}

// Every "  SYNOPSIS  PURPOSE" line of --help is an entry of the man page and the page has
// no other entries.
void ExpectSameEntries(const std::string& help, const std::string& page) {
    std::istringstream lines(help);
    std::size_t entries = 0;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t gap = line.find("  ", 2);
        if (line.rfind("  ", 0) != 0 || line[2] == ' ' || gap == std::string::npos)
            continue;
        ++entries;
        const std::string entry = ".TP\n.B " + line.substr(2, gap - 2) + "\n" +
                                  line.substr(line.find_first_not_of(' ', gap)) + "\n";
        EXPECT_NE(page.find(entry), std::string::npos) << entry;
    }
    std::size_t inPage = 0;
    for (std::size_t at = 0; (at = page.find(".TP\n", at)) != std::string::npos; ++at)
        ++inPage;
    EXPECT_GT(entries, 5u);
    EXPECT_EQ(inPage, entries);
}

TEST(WindowProgram, HelpAndVersionNeedNoDisplay) {
    NEEDS_WINDOW_PROGRAM();
    TempDir dir;
    for (const char* args : {"--help", "beispiel.vdr --help", "-h"}) {
        SCOPED_TRACE(args);
        const Outcome help = Shell(kNoDisplay + kWindowExe + " " + args, dir);
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.err, "");
        EXPECT_EQ(help.out.rfind("Aufruf: quorvant [DATEI.vdr ...]\n", 0), 0u) << help.out;
        for (const char* option : {"  DATEI.vdr ...", "  --pdf AUSGABE.pdf DATEI.vdr  ",
                                   "  --questionnaire N  ", "  --print DATEI.vdr  ",
                                   "  --print-to DRUCKER DATEI.vdr  ", "  --version  "})
            EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    const Outcome version = Shell(kNoDisplay + kWindowExe + " --version", dir);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Quorvant " QUORVANT_VERSION "\n");
}

TEST(WindowProgram, StartWithoutDisplaySaysSoAndEnds) {
    NEEDS_WINDOW_PROGRAM();
    TempDir dir;
    const std::string line = "Quorvant kann kein Fenster öffnen: Es ist kein Bildschirm erreichbar "
                             "(DISPLAY ist leer oder der X-Server antwortet nicht).\n";
    const std::string noServer = "env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:4097 ";
    for (const std::string& env : {std::string(kNoDisplay), noServer}) {
        for (const std::string& args : {std::string(), " " + kSample}) {
            SCOPED_TRACE(env + args);
            const Outcome run = Shell(env + kWindowExe + args, dir);
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err, line);
            EXPECT_EQ(run.out, "");
        }
    }
}

TEST(ManPages, ListWhatHelpLists) {
    TempDir dir;
    const Outcome cli = Shell(std::string(QUORVANT_CLI_EXE) + " --help", dir);
    ASSERT_EQ(cli.status, 0);
    const std::string cliPage = ManText("quorvant-cli");
    EXPECT_EQ(cliPage.rfind(".TH QUORVANT-CLI 1 \"\" \"Quorvant " QUORVANT_VERSION "\"", 0), 0u);
    ExpectSameEntries(cli.out, cliPage);
    NEEDS_WINDOW_PROGRAM();
    const std::string page = ManText("quorvant");
    EXPECT_NE(page.find(".B quorvant\n--pdf AUSGABE.pdf DATEI.vdr [--questionnaire N]\n"), std::string::npos);
    ExpectSameEntries(Shell(kNoDisplay + kWindowExe + " --help", dir).out, page);
}

// The number info shows before a questionnaire is the number --pdf takes for it.
TEST(QuestionnaireNumbers, InfoAndPdfCountAlike) {
    NEEDS_WINDOW_PROGRAM();
    TempDir dir;
    const std::string info = Shell(std::string(QUORVANT_CLI_EXE) + " info " + kSample, dir).out;
    for (const int n : {0, 1, 5}) {
        SCOPED_TRACE(n);
        const std::string number = "  " + std::to_string(n) + ". \"";
        const std::size_t at = info.find(number);
        ASSERT_NE(at, std::string::npos) << info;
        const std::size_t from = at + number.size();
        const std::string title = info.substr(from, info.find('"', from) - from);
        const std::string pdf = dir.Path("q.pdf");
        ASSERT_EQ(Shell(kNoDisplay + kWindowExe + " --pdf " + pdf + " " + kSample +
                        " --questionnaire " + std::to_string(n), dir).status, 0);
        EXPECT_NE(Shell("pdftotext -l 1 " + pdf + " -", dir).out.find(title), std::string::npos) << title;
    }
}

// The allocator with its large-page setting is linked in: no restart, no environment.
TEST(Allocator, IsBuiltIn) {
#if defined(__SANITIZE_ADDRESS__) // gcc; clang says it through __has_feature
    GTEST_SKIP() << "the sanitizer brings its own allocator";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the sanitizer brings its own allocator";
#endif
#endif
    TempDir dir;
    const Outcome run = Shell("MIMALLOC_VERBOSE=1 " + std::string(QUORVANT_CLI_EXE) + " info " + kSample, dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err.rfind("mimalloc: process init", 0), 0u) << run.err;
}

} // namespace
