// The update against real servers on 127.0.0.1: the configuration rules, downloads that
// put files in place or leave the program folder untouched, time-outs, HTTPS, the
// command-line command and the publishing script.

#include "update/AutoUpdate.h"

#include "cli/CliTestSupport.h"
#include "common/TestFiles.h"
#include "common/UpdateServer.h"
#include "base/FileVersion.h"
#include "update/UpdateCommand.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testfiles::ReadBytes;
using testfiles::TempDir;
using testfiles::UpdateServer;
using testfiles::WriteBytes;

namespace {

std::string Config(const std::string& version, const std::vector<std::string>& names,
                   const std::string& count = "") {
    std::string text = "UpdateConfigFile\r\n" + version + "\r\n" +
                       (count.empty() ? std::to_string(names.size()) : count) + "\r\n";
    for (const std::string& name : names)
        text += name + "\r\n";
    return text;
}

cTransferLimits Fast() {
    cTransferLimits limits;
    limits.connectMs = limits.requestMs = limits.fileMs = 1500;
    limits.lowSpeedSeconds = 1;
    return limits;
}

std::unique_ptr<cAutoUpdate> MakeUpdate(const TempDir& dir, const cTransferLimits& limits = Fast()) {
    auto update = std::make_unique<cAutoUpdate>(MakeCurlClient(limits), limits);
    update->SetProgramDir(dir.Dir());
    update->SetOwnVersion("1.0");
    return update;
}

void WriteFile(const std::string& path, const std::string& bytes, mode_t mode) {
    fs::create_directories(fs::path(path).parent_path());
    WriteBytes(path, bytes);
    chmod(path.c_str(), mode);
}

// Every entry below dir with its mode and content, to see that nothing changed.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        struct stat st {};
        lstat(entry.path().c_str(), &st);
        entries[fs::relative(entry.path(), dir).string()] =
            std::to_string(st.st_mode) + ":" + (entry.is_regular_file() ? ReadBytes(entry.path()) : "");
    }
    return entries;
}

// Takes the write permission on dir away: as root by acting as "nobody" on the
// root-owned folder (as an installed program), else by chmod.
struct NotWritable {
    explicit NotWritable(std::string dir) : m_dir(std::move(dir)) {
        chmod(m_dir.c_str(), geteuid() == 0 ? 0755 : 0555);
        m_bSwitched = geteuid() == 0 && seteuid(65534) == 0;
    }
    ~NotWritable() {
        if (m_bSwitched)
            (void)seteuid(0);
        chmod(m_dir.c_str(), 0700);
    }
    std::string m_dir;
    bool m_bSwitched;
};

} // namespace

TEST(CompareVersions, FollowsTheRules) {
    struct Row { const char* a; const char* b; int result; };
    const Row rows[] = {
        {"1.0.0.1", "1.0", 1}, {"1.0", "1.0", 0}, {"1.0", "1.0.0.0", 0}, {"0.9", "1.0", -1},
        {"1.10", "1.9", 1},    {"1..2", "1.2", 0}, {"2.a", "1.0", -21},  {"1.2.3.4.5", "1", -21},
        {"1.0 ", "1.0", -21},  {"", "1", -21},     {".", "1", -21},      {"1", "x", -22},
        {"+1", "1", -21},      {"1234567890", "1", -21}, {"999999999", "1", 1},
    };
    for (const Row& row : rows)
        EXPECT_EQ(cAutoUpdate::CompareVersions(row.a, row.b), row.result) << row.a << " ~ " << row.b;
}

TEST(UpdateUrl, OnlyHttpsOrThisMachine) {
    struct Row { const char* url; bool allowHttp; bool allowed; };
    const Row rows[] = {
        {"https://example.org/update/", false, true},   {"HTTP://127.0.0.1:8080/update/", false, true},
        {"http://localhost/update/", false, true},      {"http://[::1]:80/update/", false, true},
        {"http://example.org/update/", false, false},   {"http://127.0.0.1@example.org/", false, false},
        {"http://127.0.0.1.example.org/", false, false}, {"ftp://127.0.0.1/update/", false, false},
        {"127.0.0.1/update/", false, false},            {"http://example.org/update/", true, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsAllowedUpdateUrl(row.url, row.allowHttp), row.allowed) << row.url;
    EXPECT_EQ(CanonicalUrl("https://h/a b/\xFC.txt?x y"), "https://h/a%20b/%FC.txt?x y");
    EXPECT_EQ(CanonicalUrl("https://h/a\nb"), "");
    EXPECT_EQ(CanonicalUrl("https://h/" + std::string(1014, 'a')), "");
}

// The reply decides: one row per reply, against a real server.
TEST(CheckForUpdate, ReadsTheConfigurationAsSpecified) {
    struct Row { const char* name; std::string reply; const char* own; int result; };
    const std::string longLine = "UpdateConfigFile" + std::string(4100, ' ');
    const Row rows[] = {
        {"newer", Config("1.0.0.1", {"quorvant", "bilder/neu.png"}), "1.0", 0},
        {"CR only, LF anywhere", "UpdateConfigFile x\r1.\n0.1\r\n1\rquor\nvant", "1.0", 0},
        {"text ends at a zero byte", std::string("UpdateConfigFile\r\n1.1\0\r\n1\r\nquorvant", 35), "1.0", 3},
        {"same", Config("1.0", {"quorvant"}), "1.0", 6},
        {"older", Config("0.9.9", {"quorvant"}), "1.0", 6},
        {"malformed", Config("2.a", {"quorvant"}), "1.0", 6},
        {"five pieces", Config("1.2.3.4.5", {"quorvant"}), "1.0", 6},
        {"trailing blank", Config("1.0.0.1 ", {"quorvant"}), "1.0", 6},
        {"own version empty", Config("1.1", {"quorvant"}), "", 5},
        {"small header", "updateconfigfile\r\n1.1\r\n1\r\nquorvant", "1.0", 3},
        {"empty reply", "", "1.0", 3},
        {"cut at 4096 bytes", longLine + "\r\n1.1\r\n1\r\nquorvant", "1.0", 3},
        {"no count line", "UpdateConfigFile\r\n1.1", "1.0", 3},
        {"count 0", Config("1.1", {}, "0"), "1.0", 3},
        {"count not a number", Config("1.1", {"quorvant"}, "x"), "1.0", 3},
        {"count 1001", Config("1.1", {"quorvant"}, "1001"), "1.0", 3},
        {"count beyond the lines", Config("1.1", {"quorvant"}, "3"), "1.0", 3},
    };
    const char* const refused[] = {
        "/etc/passwd", "../quorvant", "bilder/../../x", "a..b", "bilder\\x.png", "tab\there",
        "bilder//x.png", "./quorvant", "bilder/", "settings_vdr.dat", "SETTINGS_VDR.DAT",
        "beispiel.vdr", "sub/Eigene.VDR", "quorvant.bak", "link/outside.txt", ""};
    UpdateServer server;
    TempDir dir;
    fs::create_directory_symlink(fs::temp_directory_path(), dir.Path("link"));
    const auto before = Snapshot(dir.Dir());
    auto check = [&](const std::string& reply, const char* own) {
        server.Publish("quorvant.php", reply);
        auto update = MakeUpdate(dir);
        update->SetOwnVersion(own);
        return update->CheckForUpdate(server.BaseUrl(), "?test=simulation");
    };
    for (const Row& row : rows)
        EXPECT_EQ(check(row.reply, row.own), row.result) << row.name;
    for (const char* name : refused)
        EXPECT_EQ(check(Config("1.1", {"quorvant", name}), "1.0"), 3) << name;
    EXPECT_EQ(check(Config("1.1", {"quorvant", "hilfe_vdr.html", "quorvant"}), "1.0"), 3) << "repeated";
    EXPECT_EQ(Snapshot(dir.Dir()), before);

    auto update = MakeUpdate(dir);
    server.Publish("quorvant.php", rows[0].reply);
    ASSERT_EQ(update->CheckForUpdate(server.BaseUrl(), "?test=simulation"), 0);
    EXPECT_EQ(update->Files(), (std::vector<std::string>{"quorvant", "bilder/neu.png"}));
    EXPECT_EQ(server.Requests().substr(0, server.Requests().find('\n') + 1),
              "/update/quorvant.php?test=simulation\tAutoUpdateAgent\tno-cache\n");
}

TEST(CheckForUpdate, FailsOnTheWireWithinTheTimeLimits) {
    struct Row { const char* name; UpdateServer::Mode mode; const char* path; int result; };
    const Row rows[] = {
        {"no configuration (404)", UpdateServer::Mode::Http, "/update/", 2},
        {"redirect to plain http", UpdateServer::Mode::Http, "/moved/", 2},
        {"certificate not trusted", UpdateServer::Mode::Https, "/update/", 2},
        {"server stalls", UpdateServer::Mode::Stall, "/update/", 2},
    };
    TempDir dir;
    for (const Row& row : rows) {
        UpdateServer server(row.mode, "--redirect http://127.0.0.1:9/update/");
        if (row.mode == UpdateServer::Mode::Https)
            unsetenv("QUORVANT_TEST_UPDATE_CA");
        const auto start = std::chrono::steady_clock::now();
        const std::string url = "http" + std::string(row.mode == UpdateServer::Mode::Https ? "s" : "") +
                                "://127.0.0.1:" + std::to_string(server.Port()) + row.path;
        EXPECT_EQ(MakeUpdate(dir)->CheckForUpdate(url, "?test=simulation"), row.result) << row.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << row.name;
    }
    const int port = UpdateServer().Port(); // the server has ended again
    EXPECT_EQ(MakeUpdate(dir)->CheckForUpdate("http://127.0.0.1:" + std::to_string(port) + "/update/", ""), 1);
    EXPECT_EQ(MakeUpdate(dir)->CheckForUpdate("http://example.org/update/", ""), 2);
}

// Over HTTPS: newer version, download, every file in place with its ".bak" and modes.
TEST(DownloadUpdate, PutsEveryFileInPlaceOverHttps) {
    UpdateServer server(UpdateServer::Mode::Https);
    TempDir dir;
    WriteFile(dir.Path("quorvant"), "old program", 0755);
    WriteFile(dir.Path("hilfe_vdr.html"), "old help", 0640);
    server.Publish("quorvant.php", Config("1.0.0.1", {"quorvant", "hilfe_vdr.html", "bilder/neu png"}));
    server.Publish("hilfe_vdr.html", "new help");
    server.Publish("bilder/neu png", "picture");
    WriteFile(dir.Path(".update-Ab12Cd/0"), "complete", 0644);
    WriteFile(dir.Path(".update-Ab12Cd/1"), "parti", 0644);

    for (const char* program : {"new program", "newer program"}) {
        SCOPED_TRACE(program);
        // The first update removes the folder an interrupted one left; beside the second
        // another update is at work (holding its lock), and that one's folder stays.
        const bool second = program == std::string("newer program");
        const int busy = open(dir.Dir().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (second) {
            fs::create_directory(dir.Path(".update-Zz99Yy"));
            ASSERT_EQ(flock(busy, LOCK_SH), 0);
        }
        server.Publish("quorvant", program);
        struct stat old {};
        stat(dir.Path("quorvant").c_str(), &old);
        auto update = MakeUpdate(dir);
        ASSERT_EQ(update->CheckForUpdate(server.BaseUrl(), "?test=simulation"), 0);
        ASSERT_EQ(update->DownloadUpdate(), 0);
        EXPECT_EQ(ReadBytes(dir.Path("quorvant")), program);
        EXPECT_EQ(ReadBytes(dir.Path("bilder/neu png")), "picture");
        // A file new to the folder is simply moved in: no backup the first time.
        EXPECT_EQ(fs::exists(dir.Path("bilder/neu png.bak")), program == std::string("newer program"));
        EXPECT_EQ(fs::status(dir.Path("quorvant")).permissions(), fs::perms(0755));
        EXPECT_EQ(fs::status(dir.Path("hilfe_vdr.html")).permissions(), fs::perms(0640));
        close(busy);
        std::vector<std::string> entries{"bilder", "hilfe_vdr.html", "hilfe_vdr.html.bak", "quorvant",
                                         "quorvant.bak"};
        if (second)
            entries.insert(entries.begin(), ".update-Zz99Yy");
        EXPECT_EQ(dir.Entries(), entries);
        struct stat backup {};
        stat(dir.Path("quorvant.bak").c_str(), &backup);
        EXPECT_EQ(backup.st_ino, old.st_ino); // the old file was moved aside, never written into
    }
    // The second round kept the first round's files as the backups.
    EXPECT_EQ(ReadBytes(dir.Path("quorvant.bak")), "new program");
    EXPECT_EQ(ReadBytes(dir.Path("hilfe_vdr.html.bak")), "new help");
    EXPECT_NE(server.Requests().find("/update/bilder/neu%20png\tAutoUpdateAgent\tno-cache\n"),
              std::string::npos);
}

// Whatever goes wrong, the program folder stays as it was and nothing is left behind.
TEST(DownloadUpdate, FailureLeavesTheProgramFolderUntouched) {
    struct Row { const char* name; std::vector<std::string> files; std::uint64_t cap; int result; };
    const Row rows[] = {
        {"file missing (404)", {"quorvant", "fehlt.txt"}, 1 << 20, 2},
        {"connection cut", {"quorvant", "gross.bin"}, 1 << 20, 4},
        {"over the size cap", {"quorvant", "gross2.bin"}, 100, 4},
        {"second move fails", {"quorvant", "hilfe_vdr.html"}, 1 << 20, 9},
        {"new folder, then a move fails", {"neu/a.txt", "hilfe_vdr.html"}, 1 << 20, 9},
    };
    UpdateServer server(UpdateServer::Mode::Http, "--cut gross.bin");
    server.Publish("quorvant", "new program");
    server.Publish("hilfe_vdr.html", "new help");
    server.Publish("neu/a.txt", "a");
    server.Publish("gross.bin", std::string(5000, 'g'));
    server.Publish("gross2.bin", std::string(5000, 'g'));
    for (const Row& row : rows) {
        TempDir dir;
        WriteFile(dir.Path("quorvant"), "old program", 0755);
        WriteFile(dir.Path("hilfe_vdr.html"), "old help", 0644);
        WriteFile(dir.Path("quorvant.bak"), "older program", 0755); // the only copy of it
        // A folder where the backup must go makes the move of hilfe_vdr.html fail.
        WriteFile(dir.Path("hilfe_vdr.html.bak/keep"), "", 0644);
        const auto before = Snapshot(dir.Dir());
        server.Publish("quorvant.php", Config("1.1", row.files));
        cTransferLimits limits = Fast();
        limits.maxFileBytes = row.cap;
        auto update = MakeUpdate(dir, limits);
        ASSERT_EQ(update->CheckForUpdate(server.BaseUrl(), ""), 0) << row.name;
        EXPECT_EQ(update->DownloadUpdate(), row.result) << row.name;
        EXPECT_EQ(Snapshot(dir.Dir()), before) << row.name;
    }
}

// The maintainer's way: publish an installed tree, then update another one from the
// command line, with the texts the window shows.
TEST(UpdateCommand, PublishCheckAndInstallFromTheCommandLine) {
    const std::string marker = std::string("\x7F" "ELF\0", 5) + "QUORVANT-FILE-VERSION:";
    UpdateServer server;
    TempDir release;
    WriteFile(release.Path("quorvant"), marker + std::string("1.0.0.7\0rest", 12), 0755);
    WriteFile(release.Path("hilfe_vdr.html"), "new help", 0644);
    WriteFile(release.Path("beispiel.vdr"), "user data", 0644);
    WriteFile(release.Path("settings_vdr.dat"), "settings", 0644);
    WriteFile(release.Path("quorvant.bak"), "backup", 0755);
    const std::string script = QUORVANT_SOURCE_DIR "/scripts/make-update.sh " + release.Dir() +
                               " " + server.UpdateDir() + " > /dev/null";
    ASSERT_EQ(std::system(script.c_str()), 0);
    EXPECT_EQ(ReadBytes(server.UpdateDir() + "/quorvant.php"),
              Config("1.0.0.7", {"hilfe_vdr.html", "quorvant"}));
    EXPECT_FALSE(fs::exists(server.UpdateDir() + "/beispiel.vdr"));

    TempDir installed;
    WriteFile(installed.Path("quorvant"), marker + std::string("1.0.0\0", 6), 0755);
    WriteFile(installed.Path("beispiel.vdr"), "my statistics", 0644);
    setenv("QUORVANT_UPDATE_URL", server.BaseUrl().c_str(), 1);
    const std::vector<std::string> args{"update", "--program-dir", installed.Dir()};
    const std::string searching = "Suche nach Updates...\nBitte warten...\n";
    const std::string available = "Update verfügbar\nEin neues Update steht zum Download bereit. "
                                  "Möchten Sie es jetzt herunterladen?\n";

    auto run = clitest::RunTool(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, searching + available + "Update abgebrochen\nDas Update wurde nicht heruntergeladen.\n");
    EXPECT_EQ(ReadBytes(installed.Path("quorvant")), marker + std::string("1.0.0\0", 6));

    const std::vector<std::string> withYes{"update", "--program-dir", installed.Dir(), "--yes"};
    {
        NotWritable readOnly(installed.Dir());
        run = clitest::RunTool(withYes);
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(server.Requests().find("/update/quorvant\t"), std::string::npos); // nothing fetched
    EXPECT_EQ(ReadBytes(installed.Path("quorvant")), marker + std::string("1.0.0\0", 6));
    EXPECT_EQ(run.out.substr(run.out.find("Update nicht möglich")),
              "Update nicht möglich\nDas Update braucht Schreibrechte im Programmverzeichnis " +
                  installed.Dir() + ".\nBitte führen Sie es mit den Rechten der Installation aus "
                  "oder aktualisieren Sie das Programm über die Paketverwaltung. Es wurde nichts verändert.\n");

    run = clitest::RunTool(withYes);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, searching + available + "Update wird heruntergeladen.\nBitte warten...\n"
              "Update heruntergeladen\nDas Update wurde heruntergeladen. Die Änderungen sind beim "
              "nächsten Programmstart aktiv.\n");
    EXPECT_EQ(ReadBytes(installed.Path("hilfe_vdr.html")), "new help");
    EXPECT_EQ(ReadBytes(installed.Path("beispiel.vdr")), "my statistics");
    EXPECT_EQ(GetFileVersionText(installed.Path("quorvant")), "1.0.0.7");

    // Now the installed window program is the newest; the tool's own version plays no part.
    run = clitest::RunTool(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, searching + "Keine neuere Version verfügbar\nSie haben bereits die "
              "aktuellste Version. Ein Update wird daher nicht benötigt.\n");

    server.Publish("quorvant.php", "updateconfigfile\r\n9\r\n1\r\nquorvant\r\n");
    run = clitest::RunTool(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, searching + "Fehler: Update nicht durchgeführt\nDas Update wurde NICHT durchgeführt\n");
    UpdateServer stalling(UpdateServer::Mode::Stall);
    setenv("QUORVANT_UPDATE_URL", stalling.BaseUrl().c_str(), 1);
    setenv("QUORVANT_TEST_UPDATE_TIMEOUT_MS", "1500", 1);
    const auto start = std::chrono::steady_clock::now();
    run = clitest::RunTool(args);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, searching + "Fehler\nFehler bei der Internetverbindung\n");
    setenv("QUORVANT_UPDATE_URL", "https://example.org/update", 1);
    EXPECT_EQ(UpdateBaseUrl(), "https://example.org/update/");
    unsetenv("QUORVANT_UPDATE_URL");
    unsetenv("QUORVANT_TEST_UPDATE_TIMEOUT_MS");
    EXPECT_EQ(clitest::RunTool({"update", "--bogus"}).status, 2);
    EXPECT_EQ(clitest::RunTool({"update", "--program-dir", installed.Path("fehlt")}).status, 2);
    EXPECT_EQ(GetFileVersionText(QUORVANT_CLI_EXE), ProgramVersionText());
    EXPECT_EQ(ProgramVersionText(), "1.0");
}
