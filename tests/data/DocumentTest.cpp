#include "data/Document.h"

#include "common/RecordingPresenter.h"
#include "common/TestFiles.h"
#include "base/Cp1252.h"

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

using namespace testfiles;

namespace {

using Indices = std::vector<std::uint32_t>;

const std::string kOpenFailedText = Cp1252FromUtf8("Fehler beim Öffnen der Datei");
const std::string kSaveFailedText = "Datei konnte nicht gespeichert werden";

// Five tasks "T0".."T4" and one stored questionnaire with the list 1, 2, 3, 2, 4.
std::string WriteFiveTasks(const std::string& path) {
    cTrainingData d;
    for (int i = 0; i < 5; ++i) {
        cTask& t = d.m_aTasks.emplace_back();
        t.m_strQuestion = "T" + std::to_string(i); t.m_strTaskNo = std::to_string(i); t.m_nStats[0] = i + 1;
    }
    cQuestionnaire q;
    q.m_strTitle = "Liste"; q.m_aTaskIndex = {1, 2, 3, 2, 4};
    d.m_aQuestionnaires = {q, cQuestionnaire()};
    EXPECT_EQ(d.WriteTrainingFile(path), 0);
    return ReadBytes(path);
}

// Grows the document far beyond the file on disk, then runs write while writes past a
// little more than that file fail, so the write breaks off halfway. Returns its result.
int WriteGrownUnderSizeLimit(cDocument& doc, std::size_t fileSize, const std::function<int()>& write) {
    doc.m_data.m_aTasks.resize(3000, doc.m_data.m_aTasks[0]);
    FileSizeLimit limit(fileSize + 64);
    return write();
}

// Exactly one box, the one a failed save shows.
void ExpectOneSaveFailedBox(const RecordingPresenter& boxes) {
    ASSERT_EQ(boxes.boxes.size(), 1u); EXPECT_EQ(boxes.boxes[0].caption, "Fehler   (Fehler #6)");
    EXPECT_EQ(boxes.boxes[0].text, kSaveFailedText);
}

std::vector<std::string> Questions(const cTrainingData& d) {
    std::vector<std::string> out;
    for (const cTask& t : d.m_aTasks) out.push_back(t.m_strQuestion);
    return out;
}

// ---- opening, editing, saving and closing a file -----------------------------------

// Open, delete a task referenced twice, save, count answers without marking the document,
// close: the file holds both, and a second close writes nothing.
TEST(DocumentWalk, OpenDeleteSaveCountAndClose) {
    TempDir dir;
    const std::string path = dir.Path("a.vdr");
    WriteFiveTasks(path);
    RecordingPresenter boxes;
    {
        cDocument doc;
        EXPECT_EQ(doc.Open(path), 0);
        EXPECT_FALSE(doc.ReadFailed()); EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.m_nCurQuestionnaire, -1); EXPECT_EQ(doc.Path(), path);
        ASSERT_EQ(doc.m_data.m_aQuestionnaires.size(), 2u);
        EXPECT_EQ(doc.m_data.m_aQuestionnaires.back().m_strTitle, "Alle Aufgaben");
        EXPECT_EQ(doc.m_data.m_aTasks[4].m_nStats[0], 5u);

        doc.m_data.DeleteTask(&doc.m_data.m_aTasks[2]);
        doc.SetModifiedFlag();
        EXPECT_EQ(doc.Save(), 0); EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.vdr"});
        doc.m_data.m_aTasks[1].m_nStats[1] = 9; // counted without marking the document
        EXPECT_EQ(doc.Close(), 0);
        WriteBytes(path + ".copy", ReadBytes(path));
        WriteBytes(path, "danach geändert");
        EXPECT_EQ(doc.Close(), 0); // a second close does not write again
        EXPECT_EQ(ReadBytes(path), "danach geändert");
        std::filesystem::rename(path + ".copy", path);
    }
    EXPECT_TRUE(boxes.boxes.empty());
    cDocument again;
    ASSERT_EQ(again.Open(path), 0);
    EXPECT_EQ(Questions(again.m_data), (std::vector<std::string>{"T0", "T1", "T3", "T4"}));
    EXPECT_EQ(again.m_data.m_aQuestionnaires[0].m_aTaskIndex, (Indices{1, 2, 3}));
    EXPECT_EQ(again.m_data.m_aQuestionnaires[1].m_aTaskIndex, (Indices{0, 1, 2, 3}));
    EXPECT_EQ(again.m_data.m_aTasks[1].m_nStats[1], 9u);
}

// A new document: defaults, nothing written on close, no save without a name, no save
// onto a folder, then "Speichern unter" gives it its file.
TEST(DocumentWalk, NewDocumentGetsItsFileBySaveAs) {
    TempDir dir;
    RecordingPresenter boxes;
    cDocument doc;
    doc.m_data.m_aTasks.resize(3); // whatever was there before
    doc.NewDocument();
    EXPECT_TRUE(doc.Path().empty()); EXPECT_TRUE(doc.m_data.m_aTasks.empty());
    // Completed as a read file is (the reading tests check what that adds).
    EXPECT_EQ(doc.m_data.m_aQuestionnaires.size(), 1u); EXPECT_EQ(doc.m_data.m_aColumnTitle.size(), 2u);
    EXPECT_EQ(doc.m_nCurQuestionnaire, -1); EXPECT_FALSE(doc.IsModified());
    {
        cDocument untouched; untouched.NewDocument();
        EXPECT_EQ(untouched.Close(), 0);
    }
    EXPECT_TRUE(boxes.boxes.empty());

    doc.m_data.m_aTasks.resize(2); doc.SetModifiedFlag();
    EXPECT_EQ(doc.Save(), 1); ExpectOneSaveFailedBox(boxes);
    EXPECT_TRUE(doc.IsModified()); // a failed save keeps the changes marked
    mkdir(dir.Path("ordner.vdr").c_str(), 0700);
    EXPECT_EQ(doc.SaveAs(dir.Path("ordner.vdr")), 1);
    ASSERT_EQ(boxes.boxes.size(), 2u); EXPECT_EQ(boxes.boxes[1].text, kSaveFailedText);
    EXPECT_EQ(doc.Path(), ""); // the old path stays
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path("ordner.vdr")));

    EXPECT_EQ(doc.SaveAs(dir.Path("neu.vdr")), 0);
    EXPECT_EQ(doc.Path(), dir.Path("neu.vdr")); EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(boxes.boxes.size(), 2u);
    cTrainingData back;
    ASSERT_EQ(back.ReadTrainingFile(dir.Path("neu.vdr")), 0); EXPECT_EQ(back.m_aTasks.size(), 2u);
    EXPECT_TRUE(back.m_bShowAll);
    EXPECT_EQ(std::tie(back.m_strQuestionTemplate, back.m_strRightTemplate, back.m_strWrongTemplate),
              std::make_tuple("{frage}", "{antwort}", "{antwort}"));
    // The automatic questionnaire is never stored, so reading has exactly one.
    EXPECT_EQ(back.m_aQuestionnaires.size(), 1u);
}

// A scrambled file comes back byte for byte after open and close; a save or close that
// breaks off halfway keeps the old file and the changes marked; destroying writes nothing.
TEST(DocumentWalk, FailedWritesKeepTheOldFile) {
    TempDir dir;
    const std::string path = dir.Path("gross.vdr");
    cTrainingData d = MakeTrainingData(500, 5); d.m_nCrypt = 1;
    ASSERT_EQ(d.WriteTrainingFile(path), 0);
    const std::string before = ReadBytes(path);
    RecordingPresenter boxes;
    {
        cDocument doc;
        ASSERT_EQ(doc.Open(path), 0); EXPECT_EQ(doc.Close(), 0);
    }
    EXPECT_EQ(ReadBytes(path), before); EXPECT_TRUE(boxes.boxes.empty());
    {
        cDocument doc;
        ASSERT_EQ(doc.Open(path), 0);
        doc.SetModifiedFlag();
        EXPECT_EQ(WriteGrownUnderSizeLimit(doc, before.size(), [&doc] { return doc.Save(); }), 1);
        ExpectOneSaveFailedBox(boxes);
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(WriteGrownUnderSizeLimit(doc, before.size(), [&doc] { return doc.Close(); }), 1);
        EXPECT_EQ(boxes.boxes.size(), 2u); EXPECT_EQ(boxes.boxes[1].text, kSaveFailedText);
        EXPECT_EQ(ReadBytes(path), before);
        doc.m_data.m_aTasks.clear();
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"gross.vdr"});
}

// Message 104; what was read is safe to show; the file is never written back, but
// "Speichern unter" with another name saves the rest.
TEST(DocumentOpenFails, ShowsMessage104AndNeverWritesBack) {
    const struct { const char* name; std::string bytes; bool exists; std::size_t readerBoxes; } cases[] = {
        {"missing", "", false, 0}, {"empty", "", true, 1},
        {"wrong preChar after two tasks", StreamBuilder().FileStart().Str("+AUF").Str("1TXT").Str("a")
                                              .Str("+AUF").Str("2TXT").Str("b").Bytes(), true, 1},
        {"cut short", StreamBuilder().FileStart().DefaultSettings().Str("+AUF").Str("1TXT").Bytes(), true,
         2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.Path("kaputt.vdr");
        if (c.exists) WriteBytes(path, c.bytes);
        RecordingPresenter boxes;
        {
            cDocument doc;
            EXPECT_EQ(doc.Open(path), 1); EXPECT_TRUE(doc.ReadFailed());
            ASSERT_EQ(boxes.boxes.size(), c.readerBoxes + 1);
            EXPECT_EQ(std::tie(boxes.boxes.back().caption, boxes.boxes.back().text, boxes.boxes.back().style),
                      std::make_tuple("Fehler   (Fehler #5)", kOpenFailedText, 0x10u));
            ASSERT_FALSE(doc.m_data.m_aQuestionnaires.empty());
            EXPECT_EQ(doc.m_data.m_aQuestionnaires.back().m_strTitle, "Alle Aufgaben");
            EXPECT_EQ(doc.m_data.m_aColumnTitle.size(), 2u);

            doc.SetModifiedFlag();
            EXPECT_EQ(doc.Save(), 1); EXPECT_EQ(doc.SaveAs(path), 1);
            EXPECT_EQ(doc.SaveAs(dir.Path("gerettet.vdr")), 0); EXPECT_FALSE(doc.ReadFailed());
            doc.m_data.m_aTasks.resize(1);
            EXPECT_EQ(doc.Close(), 0);
        }
        EXPECT_EQ(boxes.boxes.size(), c.readerBoxes + 3);
        if (c.exists) EXPECT_EQ(ReadBytes(path), c.bytes);
        else EXPECT_EQ(dir.Entries(), std::vector<std::string>{"gerettet.vdr"});
        cTrainingData back;
        ASSERT_EQ(back.ReadTrainingFile(dir.Path("gerettet.vdr")), 0);
        EXPECT_EQ(back.m_aTasks.size(), 1u);
    }
}

TEST(DocumentOpen, PartlyReadTasksKeepIndicesValid) {
    TempDir dir;
    const std::string path = dir.Path("teil.vdr");
    WriteBytes(path, StreamBuilder().FileStart().Str("+AUF").Str("-AUF").Str("+FB").Str("#FRA").Num(3).Num(0)
                         .Num(5).Num(0).Str("+FB").Str("2FNA").Bytes());
    RecordingPresenter boxes;
    cDocument doc;
    EXPECT_EQ(doc.Open(path), 1); ASSERT_EQ(doc.m_data.m_aQuestionnaires.size(), 2u);
    EXPECT_EQ(doc.m_data.m_aQuestionnaires[0].m_aTaskIndex, (Indices{0, 0}));
    EXPECT_EQ(doc.m_data.m_aQuestionnaires[1].m_aTaskIndex, (Indices{0}));
}

} // namespace
