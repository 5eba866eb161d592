// Saving beside other programs and people, on real files: changed files, locks, read-only
// files and folders, links, owners, attributes, special files and leftover temporaries.

#include "base/SafeSave.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "base/Datei.h"
#include "data/Document.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace testfiles;

namespace {

constexpr uid_t kNobody = 65534;

void WriteNew(cDatei& out) { out.WriteString("neu"); }
const std::string kNewBytes = testfiles::Hex({12, 3, 'n', 'e', 'u'});

std::string WriteSample(const std::string& path, std::uint32_t counter = 1) {
    cTrainingData d = testfiles::MakeTrainingData(3);
    d.m_aTasks[0].m_nStats[0] = counter;
    EXPECT_EQ(d.WriteTrainingFile(path), 0);
    return ReadBytes(path);
}

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

// Runs fn as the user nobody when we are root (in a child process), else as ourselves;
// returns fn's result.
int AsAnotherUser(const std::function<int()>& fn) {
    if (geteuid() != 0) return fn();
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(99);
        _exit(fn());
    }
    int status = 0; waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ---- the file changed since it was read ----------------------------------------------

// Another program replaces the file, or rewrites it in place with the same size and
// modification time (only the content hash can tell).
void ChangeBehindOurBack(const std::string& path, bool inPlace) {
    if (!inPlace) return (void)WriteSample(path, 7);
    const struct stat before = StatOf(path);
    std::string bytes = ReadBytes(path); bytes.back() ^= 1;
    const int fd = open(path.c_str(), O_WRONLY);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    ASSERT_EQ(futimens(fd, times), 0);
    close(fd);
}

TEST(ChangedOnDisk, IsNeverOverwrittenSilently) {
    for (const bool inPlace : {false, true}) {
        TempDir dir;
        const std::string path = dir.Path("geteilt.vdr");
        WriteSample(path);
        RecordingPresenter boxes;
        cDocument doc;
        ASSERT_EQ(doc.Open(path), 0);
        doc.m_data.m_aTasks[0].m_nStats[0] = 5;
        ChangeBehindOurBack(path, inPlace);
        const std::string theirs = ReadBytes(path);
        EXPECT_EQ(doc.Save(), kSaveChanged) << inPlace;
        EXPECT_EQ(doc.Close(), kSaveChanged); // closing asks the same, and may be tried again
        EXPECT_EQ(ReadBytes(path), theirs);
        EXPECT_EQ(doc.Save(true), 0);
        // Once saved, the document's own file is no change.
        doc.m_data.m_aTasks[0].m_nStats[0] = 6;
        EXPECT_EQ(doc.Close(), 0);
        cTrainingData back;
        ASSERT_EQ(back.ReadTrainingFile(path), 0); EXPECT_EQ(back.m_aTasks[0].m_nStats[0], 6u);
        EXPECT_TRUE(boxes.boxes.empty());
    }
}

TEST(FileLock, ReadingWaitsWhileAnotherProgramSaves) {
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    WriteSample(path);
    const int held = open(path.c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    std::atomic<int> result{-1};
    std::thread reader([&] { cTrainingData d; result = d.ReadTrainingFile(path); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(result, -1);
    flock(held, LOCK_UN); reader.join();
    EXPECT_EQ(result, 0);
    close(held);
}

// ---- permissions, links and what the file carries -----------------------------------

TEST(SafeSave, ReadOnlyFileIsNotWritten) {
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    const std::string before = WriteSample(path);
    chmod(path.c_str(), 0444);
    // Unchanged counters close quietly; new ones are refused with 105.
    RecordingPresenter boxes;
    for (const std::uint32_t counter : {1u, 2u}) {
        cDocument doc;
        ASSERT_EQ(doc.Open(path), 0);
        doc.m_data.m_aTasks[0].m_nStats[0] = counter;
        EXPECT_EQ(doc.Close(), counter == 1 ? 0 : 1);
    }
    ASSERT_EQ(boxes.boxes.size(), 1u); EXPECT_EQ(boxes.boxes[0].currentId, kMsgSaveFailed);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(SafeSave, WritableFileInReadOnlyFolderIsWrittenInPlace) {
    TempDir dir;
    const std::string folder = dir.Path("nurlesen"), path = folder + "/a.vdr";
    mkdir(folder.c_str(), 0755);
    WriteSample(path);
    const ino_t inode = StatOf(path).st_ino;
    chmod(dir.Dir().c_str(), 0711);
    ASSERT_TRUE(geteuid() != 0 || chown(path.c_str(), kNobody, kNobody) == 0);
    chmod(folder.c_str(), 0555);
    const int outcome = AsAnotherUser([&] { return int(SaveFileSafely(path, WriteNew, nullptr, nullptr)); });
    EXPECT_EQ(outcome, int(SaveOutcome::Saved));
    EXPECT_EQ(ReadBytes(path), kNewBytes); EXPECT_EQ(StatOf(path).st_ino, inode);
    EXPECT_EQ(std::filesystem::directory_iterator(folder)->path().filename(), "a.vdr");
}

TEST(SafeSave, KeepsOwnerModeAttributesAndHardLinks) {
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    WriteSample(path);
    chmod(path.c_str(), 0640);
    const bool root = geteuid() == 0 && chown(path.c_str(), kNobody, kNobody) == 0;
    const bool xattrs = setxattr(path.c_str(), "user.quorvant", "x1", 2, 0) == 0;
    if (!root || !xattrs)
        std::printf("[  SKIP    ] owner (needs root) or user attributes (file system)\n");
    const ino_t inode = StatOf(path).st_ino;

    ASSERT_EQ(SaveFileSafely(path, WriteNew, nullptr, nullptr), SaveOutcome::Saved);
    const struct stat st = StatOf(path);
    EXPECT_NE(st.st_ino, inode); // replaced, not rewritten
    EXPECT_EQ(st.st_mode & 07777, 0640u); EXPECT_EQ(st.st_uid, root ? kNobody : geteuid());
    char value[8] = {};
    EXPECT_EQ(getxattr(path.c_str(), "user.quorvant", value, sizeof value), xattrs ? 2 : -1);

    // A hard-link partner sees the new content: the file is written in place.
    ASSERT_EQ(link(path.c_str(), dir.Path("partner.vdr").c_str()), 0);
    ASSERT_EQ(SaveFileSafely(path, [](cDatei& out) { out.WriteBool(true); }, nullptr, nullptr),
              SaveOutcome::Saved);
    EXPECT_EQ(ReadBytes(dir.Path("partner.vdr")), testfiles::Hex({1, 1}));
    EXPECT_EQ(StatOf(path).st_ino, st.st_ino);
    {   // A write in place that fails halfway puts the old content back.
        testfiles::FileSizeLimit limit(64);
        EXPECT_EQ(SaveFileSafely(path, [](cDatei& out) { out.WriteString(std::string(200, 'x')); },
                                 nullptr, nullptr),
                  SaveOutcome::Failed);
    }
    EXPECT_EQ(ReadBytes(path), testfiles::Hex({1, 1}));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.vdr", "partner.vdr"}));
}

TEST(SafeSave, DanglingLinkCreatesItsTargetAndALoopIsRefused) {
    TempDir dir;
    ASSERT_EQ(symlink("ziel.vdr", dir.Path("link.vdr").c_str()), 0);
    EXPECT_EQ(SaveFileSafely(dir.Path("link.vdr"), WriteNew, nullptr, nullptr), SaveOutcome::Saved);
    EXPECT_TRUE(S_ISLNK(StatOf(dir.Path("link.vdr")).st_mode));
    EXPECT_EQ(ReadBytes(dir.Path("ziel.vdr")), kNewBytes);

    ASSERT_EQ(symlink("b.vdr", dir.Path("a.vdr").c_str()), 0);
    ASSERT_EQ(symlink("a.vdr", dir.Path("b.vdr").c_str()), 0);
    RecordingPresenter boxes;
    cDocument doc;
    doc.NewDocument();
    EXPECT_EQ(doc.SaveAs(dir.Path("a.vdr")), 1); EXPECT_EQ(doc.LastSaveOutcome(), SaveOutcome::LinkLoop);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Datei konnte nicht gespeichert werden: Die Verkn\xFCpfung " +
                                       dir.Path("a.vdr") + " verweist im Kreis auf sich selbst.");
    EXPECT_TRUE(S_ISLNK(StatOf(dir.Path("a.vdr")).st_mode));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.vdr", "b.vdr", "link.vdr", "ziel.vdr"}));
}

TEST(SafeSave, SpecialFilesAreRefusedBeforeOpening) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.Path("fifo.vdr").c_str(), 0600), 0);
    mkdir(dir.Path("ordner.vdr").c_str(), 0700);
    for (const std::string& path : {dir.Path("fifo.vdr"), dir.Path("ordner.vdr"), std::string("/dev/zero")}) {
        RecordingPresenter boxes;
        cDocument doc;
        EXPECT_EQ(doc.Open(path), 1) << path; // a FIFO without a writer would block here
        ASSERT_EQ(boxes.boxes.size(), 1u); EXPECT_EQ(boxes.boxes[0].currentId, kMsgOpenFailed);
        EXPECT_EQ(doc.Close(), 0);
        EXPECT_EQ(SaveFileSafely(path, WriteNew, nullptr, nullptr), SaveOutcome::Failed) << path;
    }
    EXPECT_TRUE(S_ISFIFO(StatOf(dir.Path("fifo.vdr")).st_mode));
    // Paths no file can have are refused before anything is touched.
    for (const std::string& path :
         {std::string(), std::string("a\0b.vdr", 7), dir.Path(std::string(kMaxDateiPath, 'x'))})
        EXPECT_EQ(SaveFileSafely(path, WriteNew, nullptr, nullptr), SaveOutcome::Failed) << path.size();
}

TEST(SafeSave, StaleTemporariesOfEndedProcessesAreRemoved) {
    TempDir dir;
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    waitpid(ended, nullptr, 0);
    const std::string stale = ".quorvant-" + std::to_string(ended) + "-0.tmp";
    const std::string running = ".quorvant-" + std::to_string(getpid()) + "-3.tmp";
    for (const std::string& name : {stale, running, std::string(".quorvant-x-1.tmp")})
        WriteBytes(dir.Path(name), "rest");
    ASSERT_EQ(SaveFileSafely(dir.Path("a.vdr"), WriteNew, nullptr, nullptr), SaveOutcome::Saved);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{running, ".quorvant-x-1.tmp", "a.vdr"}));
}

} // namespace
