#include "data/Document.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "data/Cp1252.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include <sys/stat.h>

using testfiles::FileSizeLimit;
using testfiles::MakeTrainingData;
using testfiles::ReadBytes;
using testfiles::StreamBuilder;
using testfiles::TempDir;
using testfiles::WriteBytes;

namespace {

using Indices = std::vector<std::uint32_t>;

const std::string kOpenFailedCaption = "Fehler   (Fehler #5)";
const std::string kSaveFailedCaption = "Fehler   (Fehler #6)";
const std::string kOpenFailedText = Cp1252FromUtf8("Fehler beim Öffnen der Datei");
const std::string kSaveFailedText = "Datei konnte nicht gespeichert werden";

// Five tasks "T0".."T4" and one stored questionnaire with the list 1, 2, 3, 2, 4.
std::string WriteFiveTasks(const std::string& path)
{
    cTrainingData d;
    for (int i = 0; i < 5; ++i) {
        cTask t;
        t.m_strQuestion = "T" + std::to_string(i);
        t.m_strTaskNo = std::to_string(i);
        t.m_nStats[0] = static_cast<std::uint32_t>(i + 1);
        d.m_aTasks.push_back(t);
    }
    cQuestionnaire q;
    q.m_strTitle = "Liste";
    q.m_aTaskIndex = {1, 2, 3, 2, 4};
    d.m_aQuestionnaires = {q, cQuestionnaire()};
    EXPECT_EQ(d.WriteTrainingFile(path), 0);
    return ReadBytes(path);
}

// Grows the document far beyond the file on disk, then runs write while writes past a
// little more than that file fail, so the write breaks off halfway. Returns its result.
int WriteGrownUnderSizeLimit(cDocument& doc, std::size_t fileSize, const std::function<int()>& write)
{
    for (int i = 0; i < 3000; ++i)
        doc.m_data.m_aTasks.push_back(doc.m_data.m_aTasks[0]);
    FileSizeLimit limit(fileSize + 64);
    return write();
}

// Exactly one box, the one a failed save shows.
void ExpectOneSaveFailedBox(const RecordingPresenter& boxes)
{
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, kSaveFailedCaption);
    EXPECT_EQ(boxes.boxes[0].text, kSaveFailedText);
}

std::vector<std::string> Questions(const cTrainingData& d)
{
    std::vector<std::string> out;
    for (const cTask& t : d.m_aTasks)
        out.push_back(t.m_strQuestion);
    return out;
}

// ---- opening -------------------------------------------------------------------------

TEST(DocumentOpen, ReadsTheFile)
{
    TempDir dir;
    WriteFiveTasks(dir.Path("a.vdr"));
    RecordingPresenter boxes;
    cDocument doc;
    EXPECT_EQ(doc.Open(dir.Path("a.vdr")), 0);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(doc.ReadFailed());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.m_nCurQuestionnaire, -1);
    EXPECT_EQ(doc.Path(), dir.Path("a.vdr"));
    EXPECT_EQ(doc.m_data.m_aTasks.size(), 5u);
    ASSERT_EQ(doc.m_data.m_aQuestionnaires.size(), 2u);
    EXPECT_EQ(doc.m_data.m_aQuestionnaires.back().m_strTitle, "Alle Aufgaben");
}

struct OpenFailCase {
    const char* name;
    std::string bytes; // "" with exists false: no file at all
    bool exists;
    std::size_t readerBoxes;
};
void PrintTo(const OpenFailCase& c, std::ostream* os) { *os << c.name; }

class DocumentOpenFails : public ::testing::TestWithParam<OpenFailCase> {};

TEST_P(DocumentOpenFails, ShowsMessage104AndNeverWritesBack)
{
    const OpenFailCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.Path("kaputt.vdr");
    if (c.exists)
        WriteBytes(path, c.bytes);
    RecordingPresenter boxes;
    {
        cDocument doc;
        EXPECT_EQ(doc.Open(path), 1);
        EXPECT_TRUE(doc.ReadFailed());
        ASSERT_EQ(boxes.boxes.size(), c.readerBoxes + 1);
        EXPECT_EQ(boxes.boxes.back().caption, kOpenFailedCaption);
        EXPECT_EQ(boxes.boxes.back().text, kOpenFailedText);
        EXPECT_EQ(boxes.boxes.back().style, 0x10u);

        // What was read is safe to show: the automatic questionnaire and columns exist.
        ASSERT_FALSE(doc.m_data.m_aQuestionnaires.empty());
        EXPECT_EQ(doc.m_data.m_aQuestionnaires.back().m_strTitle, "Alle Aufgaben");
        EXPECT_EQ(doc.m_data.m_aColumnTitle.size(), 2u);

        // Neither "Speichern" nor "Speichern unter" with the same name writes it back.
        doc.SetModifiedFlag();
        EXPECT_EQ(doc.Save(), 1);
        EXPECT_EQ(doc.SaveAs(path), 1);
        EXPECT_EQ(doc.Close(), 0);
    }
    EXPECT_EQ(boxes.boxes.size(), c.readerBoxes + 3);
    if (c.exists)
        EXPECT_EQ(ReadBytes(path), c.bytes);
    else
        EXPECT_TRUE(dir.Entries().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, DocumentOpenFails,
    ::testing::Values(
        OpenFailCase{"missing", "", false, 0},
        OpenFailCase{"empty", "", true, 1},
        OpenFailCase{"wrong preChar after two tasks",
                     StreamBuilder().FileStart().Str("+AUF").Str("1TXT").Str("a").Str("+AUF")
                         .Str("2TXT").Str("b").Bytes(),
                     true, 1},
        OpenFailCase{"cut short",
                     StreamBuilder().FileStart().DefaultSettings().Str("+AUF").Str("1TXT").Bytes(),
                     true, 2}));

TEST(DocumentOpen, PartlyReadTasksKeepIndicesValid)
{
    TempDir dir;
    const std::string path = dir.Path("teil.vdr");
    WriteBytes(path, StreamBuilder()
                         .FileStart()
                         .Str("+AUF").Str("-AUF").Str("+FB").Str("#FRA").Num(3).Num(0).Num(5).Num(0)
                         .Str("+FB").Str("2FNA")
                         .Bytes());
    RecordingPresenter boxes;
    cDocument doc;
    EXPECT_EQ(doc.Open(path), 1);
    ASSERT_EQ(doc.m_data.m_aQuestionnaires.size(), 2u);
    EXPECT_EQ(doc.m_data.m_aQuestionnaires[0].m_aTaskIndex, (Indices{0, 0}));
    EXPECT_EQ(doc.m_data.m_aQuestionnaires[1].m_aTaskIndex, (Indices{0}));
}

// ---- saving --------------------------------------------------------------------------

TEST(DocumentSave, WritesAndClearsTheModifiedFlag)
{
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    WriteFiveTasks(path);
    RecordingPresenter boxes;
    cDocument doc;
    ASSERT_EQ(doc.Open(path), 0);
    doc.m_data.m_aTasks[0].m_strQuestion = "neu";
    doc.SetModifiedFlag();
    EXPECT_EQ(doc.Save(), 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(boxes.boxes.empty());
    cTrainingData back;
    ASSERT_EQ(back.ReadTrainingFile(path), 0);
    EXPECT_EQ(back.m_aTasks[0].m_strQuestion, "neu");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.vdr"});
}

TEST(DocumentSave, NewDocumentWithoutPathFailsWith105)
{
    RecordingPresenter boxes;
    cDocument doc;
    doc.NewDocument();
    doc.SetModifiedFlag();
    EXPECT_EQ(doc.Save(), 1);
    ExpectOneSaveFailedBox(boxes);
    EXPECT_TRUE(doc.IsModified()); // a failed save keeps the changes marked
}

TEST(DocumentSave, FailedSaveKeepsTheOldFileAndTheFlag)
{
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    const std::string before = WriteFiveTasks(path);
    RecordingPresenter boxes;
    cDocument doc;
    ASSERT_EQ(doc.Open(path), 0);
    doc.SetModifiedFlag();
    EXPECT_EQ(WriteGrownUnderSizeLimit(doc, before.size(), [&doc] { return doc.Save(); }), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kSaveFailedText);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.vdr"});
}

TEST(DocumentSave, TargetThatIsADirectoryFails)
{
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    WriteFiveTasks(path);
    RecordingPresenter boxes;
    cDocument doc;
    ASSERT_EQ(doc.Open(path), 0);
    mkdir(dir.Path("ordner.vdr").c_str(), 0700);
    EXPECT_EQ(doc.SaveAs(dir.Path("ordner.vdr")), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kSaveFailedText);
    EXPECT_EQ(doc.Path(), path); // the old path stays
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path("ordner.vdr")));
}

TEST(DocumentSave, SaveAsMovesTheDocument)
{
    TempDir dir;
    RecordingPresenter boxes;
    cDocument doc;
    doc.NewDocument();
    doc.m_data.m_aTasks.resize(2);
    doc.SetModifiedFlag();
    EXPECT_EQ(doc.SaveAs(dir.Path("neu.vdr")), 0);
    EXPECT_EQ(doc.Path(), dir.Path("neu.vdr"));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(boxes.boxes.empty());

    cTrainingData back;
    ASSERT_EQ(back.ReadTrainingFile(dir.Path("neu.vdr")), 0);
    EXPECT_EQ(back.m_aTasks.size(), 2u);
    EXPECT_EQ(back.m_strQuestionTemplate, "{frage}");
    EXPECT_EQ(back.m_strRightTemplate, "{antwort}");
    EXPECT_EQ(back.m_strWrongTemplate, "{antwort}");
    EXPECT_EQ(back.m_aColumnTitle, (std::vector<std::string>{"Statistik", "Frage"}));
    // The automatic questionnaire is never stored, so reading has exactly one.
    ASSERT_EQ(back.m_aQuestionnaires.size(), 1u);
}

TEST(DocumentSave, SaveAsAfterAFailedReadWritesTheNewFileOnly)
{
    TempDir dir;
    const std::string broken = StreamBuilder().FileStart().Str("+AUF").Str("1TXT").Str("x").Bytes();
    WriteBytes(dir.Path("kaputt.vdr"), broken);
    RecordingPresenter boxes;
    cDocument doc;
    EXPECT_EQ(doc.Open(dir.Path("kaputt.vdr")), 1);
    EXPECT_EQ(doc.SaveAs(dir.Path("gerettet.vdr")), 0);
    EXPECT_FALSE(doc.ReadFailed());
    doc.m_data.m_aTasks.resize(1);
    EXPECT_EQ(doc.Close(), 0);
    EXPECT_EQ(ReadBytes(dir.Path("kaputt.vdr")), broken);
    cTrainingData back;
    ASSERT_EQ(back.ReadTrainingFile(dir.Path("gerettet.vdr")), 0);
    EXPECT_EQ(back.m_aTasks.size(), 1u);
}

// ---- new document and closing --------------------------------------------------------

TEST(DocumentNew, HasTheAutomaticQuestionnaireColumnsAndTemplates)
{
    cDocument doc;
    doc.m_data.m_aTasks.resize(3); // whatever was there before
    doc.NewDocument();
    EXPECT_TRUE(doc.Path().empty());
    EXPECT_TRUE(doc.m_data.m_aTasks.empty());
    ASSERT_EQ(doc.m_data.m_aQuestionnaires.size(), 1u);
    EXPECT_EQ(doc.m_data.m_aQuestionnaires[0].m_strTitle, "Alle Aufgaben");
    EXPECT_TRUE(doc.m_data.m_aQuestionnaires[0].m_aTaskIndex.empty());
    EXPECT_EQ(doc.m_data.m_aColumnTitle, (std::vector<std::string>{"Statistik", "Frage"}));
    EXPECT_EQ(doc.m_data.m_aColumnWidth, (Indices{100, 450}));
    EXPECT_EQ(doc.m_data.m_aColumnKind, (Indices{6, 2}));
    EXPECT_EQ(doc.m_data.m_strQuestionTemplate, "{frage}");
    EXPECT_EQ(doc.m_data.m_strRightTemplate, "{antwort}");
    EXPECT_EQ(doc.m_data.m_strWrongTemplate, "{antwort}");
    EXPECT_EQ(doc.m_nCurQuestionnaire, -1);
    EXPECT_FALSE(doc.IsModified());
}

TEST(DocumentClose, NewDocumentWritesNothing)
{
    TempDir dir;
    RecordingPresenter boxes;
    cDocument doc;
    doc.NewDocument();
    EXPECT_EQ(doc.Close(), 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(DocumentClose, WritesStatisticsBackOnce)
{
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    WriteFiveTasks(path);
    RecordingPresenter boxes;
    cDocument doc;
    ASSERT_EQ(doc.Open(path), 0);
    doc.m_data.m_aTasks[1].m_nStats[1] = 9; // counted without marking the document
    EXPECT_EQ(doc.Close(), 0);
    cTrainingData back;
    ASSERT_EQ(back.ReadTrainingFile(path), 0);
    EXPECT_EQ(back.m_aTasks[1].m_nStats[1], 9u);

    WriteBytes(path, "danach geändert");
    EXPECT_EQ(doc.Close(), 0); // a second close does not write again
    EXPECT_EQ(ReadBytes(path), "danach geändert");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(DocumentClose, FailedWriteShows105)
{
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    const std::string before = WriteFiveTasks(path);
    RecordingPresenter boxes;
    cDocument doc;
    ASSERT_EQ(doc.Open(path), 0);
    EXPECT_EQ(WriteGrownUnderSizeLimit(doc, before.size(), [&doc] { return doc.Close(); }), 1);
    ExpectOneSaveFailedBox(boxes);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(DocumentClose, DestroyingWithoutCloseWritesNothing)
{
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    const std::string before = WriteFiveTasks(path);
    {
        cDocument doc;
        ASSERT_EQ(doc.Open(path), 0);
        doc.m_data.m_aTasks.clear();
    }
    EXPECT_EQ(ReadBytes(path), before);
}

// ---- deleting tasks on real files ----------------------------------------------------

struct DeleteCase {
    const char* name;
    int task; // index to delete
    Indices stored;
    Indices automatic;
    std::vector<std::string> questions;
};
void PrintTo(const DeleteCase& c, std::ostream* os) { *os << c.name; }

class DocumentDelete : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(DocumentDelete, RemovesTheTaskEverywhereAndSurvivesSaving)
{
    const DeleteCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    WriteFiveTasks(path);
    RecordingPresenter boxes;
    {
        cDocument doc;
        ASSERT_EQ(doc.Open(path), 0);
        doc.m_data.DeleteTask(&doc.m_data.m_aTasks[static_cast<std::size_t>(c.task)]);
        doc.SetModifiedFlag();
        EXPECT_EQ(doc.m_data.m_aQuestionnaires[0].m_aTaskIndex, c.stored);
        EXPECT_EQ(doc.m_data.m_aQuestionnaires[1].m_aTaskIndex, c.automatic);
        EXPECT_EQ(doc.Close(), 0);
    }
    EXPECT_TRUE(boxes.boxes.empty());
    cDocument again;
    ASSERT_EQ(again.Open(path), 0);
    EXPECT_EQ(Questions(again.m_data), c.questions);
    EXPECT_EQ(again.m_data.m_aQuestionnaires[0].m_aTaskIndex, c.stored);
    EXPECT_EQ(again.m_data.m_aQuestionnaires[1].m_aTaskIndex, c.automatic);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DocumentDelete,
    ::testing::Values(
        DeleteCase{"middle task referenced twice", 2, {1, 2, 3}, {0, 1, 2, 3},
                   {"T0", "T1", "T3", "T4"}},
        DeleteCase{"last task", 4, {1, 2, 3, 2}, {0, 1, 2, 3}, {"T0", "T1", "T2", "T3"}},
        DeleteCase{"first task", 0, {0, 1, 2, 1, 3}, {0, 1, 2, 3}, {"T1", "T2", "T3", "T4"}}));

TEST(DocumentDeleteUnknown, TaskOutsideTheArrayShows108AndChangesNothing)
{
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    WriteFiveTasks(path);
    RecordingPresenter boxes;
    cDocument doc;
    ASSERT_EQ(doc.Open(path), 0);
    const cTask stranger;
    doc.m_data.DeleteTask(&stranger);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Index der Aufgabe konnte nicht ermittelt werden");
    EXPECT_EQ(doc.m_data.m_aTasks.size(), 5u);
    EXPECT_EQ(doc.m_data.m_aQuestionnaires[0].m_aTaskIndex, (Indices{1, 2, 3, 2, 4}));
}

TEST(DocumentStatistics, ResetIsWrittenOnClose)
{
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    WriteFiveTasks(path);
    RecordingPresenter boxes;
    {
        cDocument doc;
        ASSERT_EQ(doc.Open(path), 0);
        EXPECT_EQ(doc.m_data.m_aTasks[4].m_nStats[0], 5u);
        doc.m_data.ResetStatistics();
        EXPECT_EQ(doc.Close(), 0);
    }
    cTrainingData back;
    ASSERT_EQ(back.ReadTrainingFile(path), 0);
    for (const cTask& t : back.m_aTasks)
        EXPECT_EQ(t.m_nStats[0], 0u);
}

TEST(DocumentRealistic, ScrambledFileSurvivesOpenAndClose)
{
    TempDir dir;
    const std::string path = dir.Path("gross.vdr");
    cTrainingData d = MakeTrainingData(500, 5);
    d.m_nCrypt = 1;
    ASSERT_EQ(d.WriteTrainingFile(path), 0);
    const std::string before = ReadBytes(path);
    RecordingPresenter boxes;
    cDocument doc;
    ASSERT_EQ(doc.Open(path), 0);
    EXPECT_EQ(doc.Close(), 0);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(boxes.boxes.empty());
}

} // namespace
