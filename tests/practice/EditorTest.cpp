// Editor operations: the dialogs' store rules and their effect on every questionnaire, and
// how files chosen in the task editor are named in the task (relative to the program
// directory, with the sound rules of the view, on real files and folders).

#include "base/Number.h"
#include "practice/EditorDialogs.h"
#include "practice/Media.h"
#include "practice/QueryTestSupport.h"

#include <filesystem>
#include <set>
#include <tuple>

using namespace querytest;

TEST(AtolSemantics, ReadsLeadingNumber) {
    const std::pair<const char*, long long> cases[] = {
        {"41", 41}, {"  -12x", -12}, {"+7", 7}, {"A7", 0}, {"", 0}, {"- 3", 0}, {"\t\n9", 9},
        {"99999999999999999999", 9223372036854775807LL},
        {"-99999999999999999999", -9223372036854775807LL - 1}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(AtolValue(text), value) << '"' << text << '"';
}

TEST(NewTask, ProposalFollowsTheLastTaskNumber) {
    const std::pair<const char*, const char*> cases[] = {
        {"41", "42"}, {"A7", "1"}, {"", "1"}, {" 9b", "10"}, {"-3", "-2"},
        {"9223372036854775807", "9223372036854775807"}};
    for (const auto& [last, proposed] : cases) {
        cTrainingData d;
        d.m_aTasks = {TextTask("999", "q", "a"), TextTask(last, "q", "a")};
        d.m_aTasks.back().m_strCategory = "Recht";
        const cTask t = NewTaskProposal(d);
        EXPECT_EQ(t.m_strTaskNo, proposed) << '"' << last << '"';
        EXPECT_EQ(t.m_strCategory + "|" + t.m_strQuestion + "|" + std::to_string(t.m_nPoints), "Recht||1");
    }
}

// The field is read as atol reads it (text after the number is ignored, no number is 0);
// only values outside 0 to 8 are refused. 256 would otherwise be stored as 0.
TEST(TaskEditor, PointsCheckRefusesAllButZeroToEight) {
    const std::pair<const char*, bool> cases[] = {
        {"0", true}, {"8", true}, {" 3 ", true}, {"9", false}, {"300", false}, {"256", false}, {"-1", false},
        {" -0", true}, {"x", true}, {"", true}, {"2.5", true}, {"3 Punkte", true}, {"0008", true},
        {"+8", true}, {"99999999999999999999", false}};
    for (const auto& [text, accepted] : cases) {
        SCOPED_TRACE(text);
        RecordingPresenter presenter;
        cTaskEditTexts texts = TaskEditTexts(cTask());
        texts.points = text;
        EXPECT_EQ(CheckTaskEditTexts(texts), accepted ? 0 : 1);
        ASSERT_EQ(presenter.boxes.size(), accepted ? 0u : 1u);
        if (!accepted) {
            EXPECT_EQ(presenter.boxes[0].caption, "Warnung   (Warnung #1)");
            EXPECT_EQ(presenter.boxes[0].text, W("Die Punktzahl muss eine ganze Zahl von 0 bis 8 sein. "
                                                 "Bitte korrigieren Sie das Feld \"Punkte\"."));
        }
    }
}

TEST(TaskEditor, NewPointsKeepTheStatisticsMeaning) {
    using Slots = std::array<std::uint32_t, kTaskSlots>;
    struct Case { int from; Slots stats; int to; Slots expected; };
    const Case cases[] = {
        {1, {0, 1}, 2, {0, 0, 1}}, {3, {2, 1, 4, 5}, 2, {2, 5, 5}}, {3, {2, 1, 4, 5}, 1, {2, 5}},
        {3, {2, 1, 4, 5}, 0, {7}}, {2, {1, 3, 4}, 5, {1, 3, 0, 0, 0, 4}}, {0, {6}, 2, {6}},
        {2, {1, 3, 4, 9}, 2, {1, 3, 4, 9}}};
    for (const Case& c : cases) {
        cTask t = TextTask("1", "q", "a", c.from);
        t.m_nStats = c.stats;
        cTaskEditTexts texts = TaskEditTexts(t);
        texts.points = std::to_string(c.to);
        StoreTaskEditTexts(texts, t);
        EXPECT_EQ(t.m_nStats, c.expected) << c.from << " -> " << c.to;
    }
}

TEST(TaskEditor, StoresFieldsByTheDialogsRules) {
    cTask t = ChoiceTask("5", {"a", "b", "c"}, {true, false, true});
    t.m_strChoice[6] = "slot seven";
    cTaskEditTexts texts = TaskEditTexts(t);
    EXPECT_EQ(std::tuple(texts.type, texts.points, texts.choices[2]), std::tuple(1, "1", "c"));
    texts.choices = {"", "", "", "", ""}; // clearing all five keeps the count
    texts.pattern = "x|y"; texts.pictureSize = -1; texts.picturePlace = 1; texts.selfAssess = true;
    texts.points = "300"; // stored as its low 8 bits when a caller skips the check
    StoreTaskEditTexts(texts, t);
    EXPECT_EQ(std::tuple(int(t.m_nChoiceCount), t.m_strChoice[0], t.m_strChoice[6], int(t.m_nPatternCount)),
              std::tuple(3, "", "slot seven", 2));
    EXPECT_EQ(std::tuple(t.m_strPattern[1], int(t.m_nPictureSize), int(t.m_nPicturePlace), int(t.m_nPoints)),
              std::tuple("x|y", 255, 1, 44));
    EXPECT_TRUE(t.m_bSelfAssess);

    texts.choices = {"a", "", "", "d", ""}; texts.pattern.clear();
    StoreTaskEditTexts(texts, t);
    EXPECT_EQ(std::tuple(int(t.m_nChoiceCount), int(t.m_nPatternCount)), std::tuple(4, 0));
    EXPECT_EQ(TaskEditTexts(t).pictureSize, -1);
}

TEST(TaskEditor, NewTaskGoesToAllTasksOnly) {
    Rig rig(MakeData({TextTask("41", "a", "x")}, {{0}}));
    rig.Q().OpenQuestionnaire(0);
    cTask t = rig.Q().NewTaskProposal();
    EXPECT_EQ(t.m_strTaskNo, "42");
    t.m_strQuestion = "neu"; rig.Q().AddNewTask(t);
    EXPECT_TRUE(rig.doc.IsModified());
    EXPECT_EQ(rig.Q().RowCount(), 1); // the open user questionnaire does not list it
    EXPECT_EQ(Lists(rig.doc.m_data), "Fragebogen 1: 0 | Alle Aufgaben: 0 1 | ");
    const cTrainingData back = rig.CloseAndRead();
    ASSERT_EQ(back.m_aTasks.size(), 2u);
    EXPECT_EQ(back.m_aTasks[1].m_strQuestion, "neu");
    EXPECT_EQ(Lists(back), "Fragebogen 1: 0 | Alle Aufgaben: 0 1 | ");
}

TEST(TaskEditor, NewDocumentTakesItsFirstTask) {
    RecordingPresenter presenter;
    cDocument doc;
    doc.NewDocument();
    cSettings settings;
    FakeHost host;
    cQuery q(doc, settings, host);
    // Before any questionnaire is current the editor commands do nothing.
    cSplitTexts texts;
    EXPECT_FALSE(q.SplitDialogTexts(texts));
    q.ApplySplitDialog(texts); q.OnDeleteQuestionnaire(); q.OnDeleteTask();
    q.OnAnswerOk(); q.OnShowSolution();
    EXPECT_EQ(q.PrintPageCount(), 0);
    EXPECT_EQ(Lists(doc.m_data), "Alle Aufgaben: | ");
    EXPECT_FALSE(doc.IsModified());

    q.InitialUpdate();
    cTask t = q.NewTaskProposal(); // "1" in no category
    EXPECT_EQ(t.m_strTaskNo + "|" + t.m_strCategory, "1|");
    t.m_strQuestion = "Hund"; t.m_strSolution = "dog";
    q.AddNewTask(t);
    // The overview shows "Alle Aufgaben" under its own heading.
    EXPECT_EQ(q.OverviewCount(), 1);
    EXPECT_EQ(q.Heading().substr(0, 19), W("Fragebogenübersicht"));
    EXPECT_EQ(Lists(doc.m_data), "Alle Aufgaben: 0 | ");
    EXPECT_EQ(q.RowCount(), 1); // the open questionnaire is "Alle Aufgaben" itself
    q.OpenQuestionnaire(0); q.StartAt(0);
    const std::string question = q.ResultText(); // the new document's template "{frage}"
    q.OnShowSolution();
    EXPECT_EQ(question + "|" + q.ResultText(), "Hund|dog");
    EXPECT_TRUE(presenter.boxes.empty());
}

TEST(TaskEditor, DeletingATaskUpdatesEveryQuestionnaireAndTheList) {
    std::vector<cTask> tasks;
    for (int i = 0; i < 4; ++i)
        tasks.push_back(TextTask(std::to_string(i), "q" + std::to_string(i), "a"));
    Rig rig(MakeData(tasks, {{1, 2, 3}, {3, 2, 0, 2}}));
    rig.Ask(1, 1); // task 2
    rig.presenter.answers = {ResultNo}; rig.Q().OnDeleteTask();
    EXPECT_EQ(rig.doc.m_data.m_aTasks.size(), 4u);
    rig.presenter.answers = {ResultYes}; rig.Q().OnDeleteTask();
    EXPECT_EQ(rig.presenter.boxes.back().caption, W("Aufgabe löschen?   (Frage #3)"));
    const std::string lists = "Fragebogen 1: 1 2 | Fragebogen 2: 2 0 | Alle Aufgaben: 0 1 2 | ";
    EXPECT_EQ(Lists(rig.doc.m_data), lists);
    EXPECT_EQ(rig.Q().RowTasks(), Counts({2, 0}));
    EXPECT_EQ(rig.Where(), "question 1"); // the following entry
    EXPECT_EQ(rig.Q().ResultText(), "Frage: q0");
    EXPECT_TRUE(rig.doc.IsModified());
    const cTrainingData back = rig.CloseAndRead();
    EXPECT_EQ(back.m_aTasks.size(), 3u);
    EXPECT_EQ(Lists(back), lists);
}

TEST(TaskEditor, DeletingTheLastRowGoesBackToTheList) {
    Rig rig(MakeData({TextTask("1", "a", "x"), TextTask("2", "b", "y")}, {{1}}));
    rig.Ask(0);
    rig.presenter.answers = {ResultYes}; rig.Q().OnDeleteTask();
    EXPECT_EQ(rig.Q().RowCount(), 0);
    EXPECT_EQ(rig.Where(), "list -1");
    EXPECT_EQ(rig.presenter.boxes.size(), 1u); // no message 109
}

TEST(QuestionnaireEditor, DialogTextsAndTheirEffect) {
    // Task number 2 twice: the last one counts.
    cTrainingData d = MakeData({TextTask("1", "a", "x", 2), TextTask("2", "b", "y", 3),
                                TextTask("2", "b2", "y", 1)}, {{0, 1, 0}, {1}}, {-1, 90});
    d.m_aQuestionnaires[0].m_nPassPoints = 5; d.m_aQuestionnaires[0].m_nRetakePoints = 3;
    Rig rig(d);
    rig.Q().OpenQuestionnaire(1);
    cSplitTexts texts;
    ASSERT_TRUE(rig.Q().SplitDialogTexts(texts));
    EXPECT_EQ(texts.time, "1"); // 90 s shows 1 minute
    rig.Q().OnBack(); rig.Q().OpenQuestionnaire(0);
    ASSERT_TRUE(rig.Q().SplitDialogTexts(texts));
    EXPECT_EQ(std::tuple(texts.taskList, texts.name, texts.time),
              std::tuple("1,2,1", "Fragebogen 1", "")); // no exam
    EXPECT_EQ(texts.passPoints + "/" + texts.retakePoints + "/" + texts.totalPoints, "5/3/7");

    texts.taskList = "2,1, 2,,"; texts.name = "Neu"; texts.time = "";
    texts.passPoints = "12abc"; texts.retakePoints = "-4";
    rig.Q().ApplySplitDialog(texts);
    std::string missing;
    for (const RecordedBox& box : rig.presenter.boxes)
        missing += box.text + "|";
    EXPECT_EQ(missing, "Aufgabennummer nicht gefunden:  2|Aufgabennummer nicht gefunden: |"
                       "Aufgabennummer nicht gefunden: |");
    const cQuestionnaire& q = rig.doc.m_data.m_aQuestionnaires[0];
    EXPECT_EQ(Lists(rig.doc.m_data), "Neu: 2 0 | Fragebogen 2: 1 | Alle Aufgaben: 0 1 2 | ");
    // Left empty: still no exam.
    EXPECT_EQ(std::tuple(q.m_nExamSeconds, q.m_nPassPoints, std::int32_t(q.m_nRetakePoints)),
              std::tuple(-1, 12u, -4));
    EXPECT_EQ(rig.Q().RowTasks(), Counts({2, 0}));
    // Reloaded in place: the list keeps the heading of its mode, with the new name.
    EXPECT_EQ(rig.Q().Heading(), "Fragebogen 'Neu' (Doppelklicken Sie auf eine Zeile, um die "
                                 "Abfrage an dieser Stelle zu starten)");
    ASSERT_TRUE(rig.Q().SplitDialogTexts(texts));
    EXPECT_EQ(texts.retakePoints, "-4");

    rig.presenter.boxes.clear(); texts.taskList = "";
    const std::pair<const char*, int> times[] = {{"2", 120}, {"0", 0}, {"  ", -1}};
    for (const auto& [time, seconds] : times) {
        texts.time = time; rig.Q().ApplySplitDialog(texts); // an empty list leaves the tasks as they are
        EXPECT_EQ(q.m_aTaskIndex, Counts({2, 0}));
        EXPECT_EQ(q.m_nExamSeconds, seconds) << '"' << time << '"';
    }
    EXPECT_TRUE(rig.presenter.boxes.empty());
}

TEST(QuestionnaireEditor, ChangedListSendsTheQuestionScreenBackToTheList) {
    Rig rig(MakeData({TextTask("1", "a", "x"), TextTask("2", "b", "y")}, {{0, 1}}));
    rig.Ask(1);
    cSplitTexts texts;
    ASSERT_TRUE(rig.Q().SplitDialogTexts(texts));
    texts.name = "Umbenannt"; rig.Q().ApplySplitDialog(texts);
    EXPECT_EQ(rig.Q().Mode(), ModeQuestion); // same task in the same row
    texts.taskList = "2,1"; rig.Q().ApplySplitDialog(texts);
    EXPECT_EQ(rig.Q().Mode(), ModeTaskList); // row 1 now holds another task
}

TEST(QuestionnaireEditor, NewAndDeletedQuestionnaires) {
    Rig rig(MakeData({TextTask("1", "a", "x")}, {{0}, {0}}, {-1, 300}));
    ASSERT_EQ(rig.doc.m_data.m_nTimedCount, 1);
    rig.Q().OnNewQuestionnaire();
    const auto& qs = rig.doc.m_data.m_aQuestionnaires;
    const std::string four = "Fragebogen 1: 0 | Fragebogen 2: 0 | Neuer Fragebogen: | Alle Aufgaben: 0 | ";
    ASSERT_EQ(Lists(rig.doc.m_data), four);
    EXPECT_EQ(qs[2].m_nExamSeconds, -1);
    EXPECT_EQ(rig.Exam(), "q2 overview -1 can-start");
    EXPECT_TRUE(rig.doc.IsModified());

    rig.doc.m_nCurQuestionnaire = 3; rig.Q().OnDeleteQuestionnaire(); // "Alle Aufgaben" cannot be deleted
    EXPECT_EQ(Lists(rig.doc.m_data), four);
    EXPECT_EQ(rig.presenter.boxes.back().caption, "Info   (Meldung #1)");

    rig.doc.m_nCurQuestionnaire = 1;
    rig.presenter.answers = {ResultNo}; rig.Q().OnDeleteQuestionnaire();
    EXPECT_EQ(Lists(rig.doc.m_data), four);
    EXPECT_EQ(rig.presenter.boxes.back().caption, "Frage   (Frage #1)");
    EXPECT_EQ(rig.presenter.boxes.back().text,
              W("Soll der Fragebogen \"Fragebogen 2\" wirklich gelöscht werden? Die Aufgaben "
                "bleiben in der Datei erhalten."));
    rig.presenter.answers = {ResultYes}; rig.Q().OnDeleteQuestionnaire();
    const std::string three = "Fragebogen 1: 0 | Neuer Fragebogen: | Alle Aufgaben: 0 | ";
    EXPECT_EQ(Lists(rig.doc.m_data), three);
    EXPECT_EQ(rig.doc.m_data.m_nTimedCount, 0); // the only timed questionnaire is gone
    EXPECT_EQ(rig.Exam(), "q1 overview -1");
    EXPECT_EQ(Lists(rig.CloseAndRead()), three);
}

struct MediaCase {
    const char* file; // below the program directory, UTF-8
    bool sound;
    int result;
    const char* name; // UTF-8; converted to Windows-1252 for the comparison
};
void PrintTo(const MediaCase& c, std::ostream* os) { *os << c.file << (c.sound ? " (sound)" : " (picture)"); }
class MediaName : public ::testing::TestWithParam<MediaCase> {};

TEST_P(MediaName, IsRelativeToTheProgramDirectory) {
    const MediaCase& c = GetParam();
    testfiles::TempDir dir;
    const std::filesystem::path file = std::filesystem::path(dir.Dir()) / c.file;
    std::filesystem::create_directories(file.parent_path());
    testfiles::WriteBytes(file.string(), "x");

    for (const std::string& programDir : {dir.Dir(), dir.Dir() + "/"}) {
        std::string name = "unchanged";
        EXPECT_EQ(MediaNameForFile(programDir, file.string(), c.sound, name), c.result);
        EXPECT_EQ(name, c.result == MediaNameOk ? Cp1252FromUtf8(c.name) : "unchanged");
        if (c.result == MediaNameOk) { // the view finds the chosen file under that name
            EXPECT_EQ(std::filesystem::path(MediaPath(dir.Dir() + "/", name)).lexically_normal(),
                      file.lexically_normal());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, MediaName, ::testing::Values(
    MediaCase{"ton.wav", true, MediaNameOk, "ton.wav"},
    MediaCase{"bild.png", false, MediaNameOk, "bild.png"},
    MediaCase{"bilder/strasse.png", false, MediaNameOk, "bilder\\strasse.png"},
    MediaCase{"a/b/c.png", false, MediaNameOk, "a\\b\\c.png"},
    MediaCase{"mein bild.png", false, MediaNameOk, "mein bild.png"},
    MediaCase{"straße.png", false, MediaNameOk, "straße.png"},
    MediaCase{"€uro.wav", true, MediaNameOk, "€uro.wav"},
    MediaCase{"töne/ton.wav", true, MediaNameUnusable, ""},
    MediaCase{"mein ton.wav", true, MediaNameUnusable, ""},
    MediaCase{"mein-ton.wav", true, MediaNameUnusable, ""},
    MediaCase{"a\\b.png", false, MediaNameUnusable, ""},
    MediaCase{"日本.png", false, MediaNameNotCp1252, ""}));

TEST(MediaNameRules, FilesOutsideTheProgramDirectoryAreRefused) {
    testfiles::TempDir program, other;
    const std::string outside = other.Path("bild.png");
    testfiles::WriteBytes(outside, "x");
    // A sibling folder whose name starts like the program directory is outside too.
    const std::string sibling = program.Dir() + "x/bild.png";
    std::string name;
    for (const std::string& file :
         {outside, sibling, program.Dir() + "/../bild.png", program.Dir(), std::string()})
        EXPECT_EQ(MediaNameForFile(program.Dir(), file, false, name), MediaNameOutside) << file;
    EXPECT_EQ(MediaNameForFile("", outside, false, name), MediaNameOutside);
    EXPECT_TRUE(name.empty());
}

TEST(MediaNameRules, LinkedFoldersCountAsTheirTarget) {
    testfiles::TempDir dir;
    const std::string program = dir.Path("programm");
    std::filesystem::create_directories(program + "/bilder");
    testfiles::WriteBytes(program + "/bilder/b.png", "x");
    std::filesystem::create_directory_symlink(program, dir.Path("verweis"));
    std::string name;
    // The program directory reached through the link, the file through its real path.
    ASSERT_EQ(MediaNameForFile(dir.Path("verweis"), program + "/bilder/b.png", false, name), MediaNameOk);
    EXPECT_EQ(name, "bilder\\b.png");
    name.clear();
    ASSERT_EQ(MediaNameForFile(program, dir.Path("verweis") + "/bilder/b.png", false, name), MediaNameOk);
    EXPECT_EQ(name, "bilder\\b.png");
}

TEST(MediaNameRules, EveryRefusalHasItsOwnMessage) {
    EXPECT_EQ(MediaNameMessage(MediaNameOk, true), "");
    const std::string outside = MediaNameMessage(MediaNameOutside, false);
    const std::string sound = MediaNameMessage(MediaNameUnusable, true);
    const std::string picture = MediaNameMessage(MediaNameUnusable, false);
    const std::string charset = MediaNameMessage(MediaNameNotCp1252, false);
    EXPECT_EQ(outside, MediaNameMessage(MediaNameOutside, true));
    EXPECT_EQ(sound, Cp1252FromUtf8("Eine Sounddatei muss direkt im Programmverzeichnis liegen, "
                                    "und ihr Name darf weder Leerzeichen noch Bindestriche "
                                    "enthalten."));
    EXPECT_EQ(std::set<std::string>({outside, sound, picture, charset}).size(), 4u); // each its own
}
