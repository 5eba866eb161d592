#pragma once
// The query: everything the training view does with an open document, without the
// window. It runs one questionnaire at a time through the view modes (overview, task
// list, question, result, self-assessment), selects tasks, checks answers and counts
// statistics, runs the exam simulation and evaluation, carries out the editor commands
// and lays out the printout. A front end shows its state and forwards the user's input.
// Each part of the interface below names the source file that implements it.

#include "data/TrainingData.h"
#include "learning/Answer.h"
#include "practice/Editor.h"
#include "practice/Exam.h"
#include "practice/PrintLayout.h"
#include "practice/QueryHost.h"
#include "practice/QueryScreen.h"
#include "practice/TaskRows.h"
#include "practice/TaskSearch.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class cDocument;
struct cSettings;

class cQuery {
public:
    cQuery(cDocument& doc, const cSettings& settings, cQueryHost& host);
    cQuery(const cQuery&) = delete;
    cQuery& operator=(const cQuery&) = delete;
    ~cQuery();

    /// Player for the tasks' sounds; nullptr plays nothing.
    void SetSoundPlayer(cSoundPlayer* player);
    /// Directory (UTF-8, trailing "/") that task pictures and sounds are relative to.
    void SetProgramDir(std::string dir);
    /// Clock of the exam countdown (default: the local time).
    void SetClock(std::function<cLocalTime()> clock);
    /// Random source, values 0 or more (default: an engine seeded from the clock).
    void SetRandom(std::function<int()> random);
    /// Learning side told of every counted answer, rated exam answer and statistics
    /// reset, and asked for the next task while its plan is on; nullptr for none.
    void SetAnswerObserver(cAnswerObserver* observer) { m_pObserver = observer; }
    [[nodiscard]] cAnswerObserver* AnswerObserver() const { return m_pObserver; }

    // --- start-up (Query.cpp) -----------------------------------------------------------
    /// After the document was read: the overview (mode 2) with questionnaire 0 loaded.
    void InitialUpdate();

    // --- query: opening, asking, answering (Query.cpp, QueryAnswer.cpp) -----------------
    /// Opens questionnaire k into the task list: mode 3, row 0 current.
    void OpenQuestionnaire(int k);
    /// Opening from the overview: a questionnaire other than the current one first
    /// resets the sort direction to descending.
    void OpenFromOverview(int k);
    /// Makes k current and fills the task list, without changing mode or current row.
    void LoadQuestionnaire(int k);
    /// Asks the task of this row: mode 4 (mode 6 during the exam evaluation).
    void StartAt(int row);
    /// Starts asking without a chosen row: the first task that passes the filter (from a
    /// random row with random order), mode 4 (mode 6 during the exam evaluation).
    void StartQuery();
    /// Makes row start current, or with -1 finds the next row that passes the filter.
    void SelectTask(int start);
    /// Changes the mode (and lays the view out); unchanged modes only with force.
    void SetViewMode(int mode, bool force = false);
    /// Button "OK": check, count, rate or go on, by mode.
    void OnAnswerOk();
    /// Button "Überspringen".
    void OnSkip();
    /// Button "Lösung anzeigen".
    void OnShowSolution();
    /// "Statistik zurücksetzen" after message 401.
    void OnResetStatistics();
    /// "Zur Übersicht" / Esc.
    void OnBack();
    /// After the task editor was left with OK on CurrentTask().
    void OnEditTaskAccepted();

    // --- input (QueryAnswer.cpp) --------------------------------------------------------
    /// The text of the answer field.
    void SetAnswerText(std::string text);
    /// Click on multiple-choice row i (mode 4 outside the evaluation only).
    void OnTickRow(int i);
    /// Sets all ticks at once (row i ticked when bit i is set); mode 4 outside the
    /// evaluation only.
    void SetTicks(unsigned mask);
    /// The radio group.
    void SetAssessChoice(int choice);
    /// Choosing entry in the points list checks "Teilrichtig".
    void OnPartialPoints(int entry);
    /// The row that carries the task list's selection mark (-1 none).
    void SetSelectionMark(int row);

    // --- media (QueryMedia.cpp) ---------------------------------------------------------
    /// Button "Abspielen".
    void OnPlaySound();
    /// Button "Pause".
    void OnPauseSound();
    /// Full path (UTF-8) of the current task's picture below the training file's folder or
    /// the program folder (see FindMediaFile); "" without one or for a refused name.
    [[nodiscard]] std::string PicturePath() const;

    // --- exam (ExamFlow.cpp) ------------------------------------------------------------
    [[nodiscard]] bool CanExamStart() const;
    [[nodiscard]] bool CanExamEnd() const;
    [[nodiscard]] bool CanEvaluationEnd() const;
    /// "Prüfungssimulation starten".
    void OnExamStart();
    /// One countdown tick (the window calls it every 500 ms).
    void OnTimer();
    /// "Prüfungssimulation beenden".
    void OnExamEnd();
    /// "Prüfungsauswertung beenden".
    void OnEvaluationEnd();
    /// Another window on the file changed its tasks or questionnaires. An exam or
    /// evaluation here goes on while its questionnaire holds the same tasks (true);
    /// otherwise it ends, with a box saying why, and the caller shows the file anew.
    bool KeepExamAfterChangeElsewhere();

    // --- lists (QueryLists.cpp, the rows in cTaskRows) ----------------------------------
    [[nodiscard]] int RowCount() const;
    /// Task index (into m_aTasks) of a row, -1 for no such row.
    [[nodiscard]] int TaskOfRow(int row) const;
    /// The task indices of all rows, in list order.
    [[nodiscard]] const std::vector<std::uint32_t>& RowTasks() const;
    [[nodiscard]] int ColumnCount() const;
    [[nodiscard]] std::string ColumnTitle(int column) const;
    [[nodiscard]] int ColumnWidth(int column) const;
    [[nodiscard]] std::uint32_t ColumnKind(int column) const;
    /// Text of a cell as the list shows it (exam states included).
    [[nodiscard]] std::string CellText(int row, int column) const;
    /// Image of a row: statistics 0..66, or the exam states 67/68 and 0/1/56/66.
    [[nodiscard]] int RowImage(int row) const;
    /// Refreshes one row (and rates a multiple-choice task during the evaluation).
    void UpdateTaskRow(int row);
    /// Header click: same column flips the direction, another sorts ascending.
    void OnColumnClick(int column);
    /// Sorts the rows by one column; the current task stays current.
    void SortTaskList(int column, bool ascending);
    [[nodiscard]] int SortColumn() const { return m_rows.SortColumn(); }
    [[nodiscard]] bool SortAscending() const { return m_rows.SortAscending(); }
    /// Questionnaires shown in the overview ("Alle Aufgaben" only with m_bShowAll).
    [[nodiscard]] int OverviewCount() const;
    [[nodiscard]] std::string OverviewTitle(int row) const;
    [[nodiscard]] int OverviewIcon(int row) const;
    /// The learning plan's counts for an overview row ("" without; UTF-8).
    [[nodiscard]] std::string OverviewNote(int row) const;

    // --- editor (EditorCommands.cpp) ----------------------------------------------------
    [[nodiscard]] bool HasCurrentQuestionnaire() const;
    /// The task "Neue Aufgabe" opens the editor on.
    [[nodiscard]] cTask NewTaskProposal() const;
    /// After the editor's OK on a new task: append it to the file and "Alle Aufgaben".
    void AddNewTask(const cTask& task);
    /// "Aufgabe Löschen" (message 402; 108 without a selected task).
    void OnDeleteTask();
    /// "Neuen Fragebogen".
    void OnNewQuestionnaire();
    /// "Fragebogen löschen" after a yes/no question: in the overview the highlighted row
    /// (overviewRow, -1 for none), elsewhere the open questionnaire.
    void OnDeleteQuestionnaire(int overviewRow = -1);
    /// Texts for the questionnaire dialog; false without a current questionnaire.
    [[nodiscard]] bool SplitDialogTexts(cSplitTexts& out) const;
    /// The questionnaire dialog's OK.
    void ApplySplitDialog(const cSplitTexts& texts);

    // --- search and undo (QuerySearch.cpp) ----------------------------------------------
    /// Starts or changes the search: the task list keeps the rows whose task contains
    /// text (see cTaskSearch); an empty text shows every row.
    void SetSearchText(const std::string& text);
    /// Ends the search and shows the rows as before it.
    void EndSearch();
    [[nodiscard]] bool Searching() const { return m_bSearching; }
    /// F3 (+1) / Shift+F3 (-1) in a question screen: asks the next or previous found task;
    /// on the list of found tasks (F3, Enter in the search field) the highlighted one.
    void StepSearch(int direction);
    /// After undo or redo replaced the document's content: shows it anew.
    void OnContentRestored();

    // --- printing (PrintPages.cpp) ------------------------------------------------------
    /// Pages of the printout of the open task list; 0 without a current questionnaire.
    [[nodiscard]] int PrintPageCount() const;
    /// Layout of one page (from 1) of the printout.
    [[nodiscard]] cPrintPage LayoutPrintPage(const cPrintRect& rect, int page,
                                             const cTextMeasure& measure) const;

    // --- state (Query.cpp) --------------------------------------------------------------
    [[nodiscard]] int Mode() const { return m_nMode; }
    [[nodiscard]] int CurrentRow() const { return m_nCurrentRow; }
    [[nodiscard]] int SelectionMark() const { return m_nSelectionMark; }
    [[nodiscard]] int LastVerdict() const { return m_nLastVerdict; }
    [[nodiscard]] const std::string& Heading() const { return m_strHeading; }
    [[nodiscard]] const std::string& ResultText() const { return m_strResultText; }
    /// The verdict text of the last check (kept when the screen moves on).
    [[nodiscard]] const std::string& LastVerdictText() const { return m_strVerdictText; }
    /// How many answers were checked so far (grows by one with every check).
    [[nodiscard]] int CheckCount() const { return m_nCheckCount; }
    [[nodiscard]] const std::string& AnswerText() const { return m_strAnswerText; }
    [[nodiscard]] bool AnswerReadOnly() const;
    [[nodiscard]] bool Tick(int i) const;
    [[nodiscard]] int AssessChoiceValue() const { return m_nAssessChoice; }
    [[nodiscard]] int PointsSelection() const { return m_nPointsSelection; }
    [[nodiscard]] const std::vector<std::string>& PointsEntries() const { return m_aPointsEntries; }
    [[nodiscard]] bool ExamActive() const { return m_bExamActive; }
    [[nodiscard]] bool EvaluationActive() const { return m_bEvaluationActive; }
    [[nodiscard]] std::int32_t ExamStart() const { return m_nExamStart; }
    [[nodiscard]] const cExamBar& ExamBar() const { return m_examBar; }
    [[nodiscard]] const cExamVerdict& LastExamVerdict() const { return m_examVerdict; }
    [[nodiscard]] cScreen Screen() const;
    /// Text of multiple-choice row i of the current task.
    [[nodiscard]] std::string ChoiceText(int i) const;
    /// The current row's task, nullptr without one.
    [[nodiscard]] cTask* CurrentTask();
    [[nodiscard]] const cTask* CurrentTask() const;
    [[nodiscard]] int CurrentQuestionnaire() const;
    [[nodiscard]] cDocument& Document() { return m_doc; }
    [[nodiscard]] const cDocument& Document() const { return m_doc; }
    [[nodiscard]] bool SoundOpen() const { return m_bSoundOpen; }
    [[nodiscard]] bool SoundPaused() const { return m_bSoundPaused; }

private:
    class cBatch;
    friend class cBatch;

    cTrainingData& Data();
    const cTrainingData& Data() const;
    cTask* TaskPtr(int row);
    const cTask* TaskPtr(int row) const;
    void Notify(unsigned what);
    void Flush();
    void LayOut();
    void ShowQuestion();
    /// Sets the heading by the one rule of the mode shown.
    void SetModeHeading();
    [[nodiscard]] std::string TaskHeading(const cTask& task) const;
    void FillPointsList(const cTask& task);
    /// The next row that passes the filter (the search starts at a random row with random
    /// order); -1 when no row does.
    int FindFilteredRow();
    void CountAnswer(cTask& task, int points);
    /// Tells the observer of an answer to task (grade: AnswerGrade).
    void ReportAnswer(const cTask& task, int grade, int points, AnswerKind kind);
    /// Whether the learning plan chooses the next task now.
    [[nodiscard]] bool PlanChooses() const;
    /// Points the rating screen awards this task: a multiple-choice task by its ticks,
    /// any other by the radio group (and the points list); -1 while nothing is chosen.
    [[nodiscard]] int RatedPoints(const cTask& task) const;
    void StoreAnswerInTask(cTask& task);
    void OpenSound(const std::string& soundText);
    void StartSound();
    void StopSound();
    void CloseSound();
    void ExpireExam();
    void RefreshAllRows();
    /// What the task list's statistics column shows now.
    [[nodiscard]] RowPhase Phase() const;
    /// After the rows were sorted (order as cTaskRows::Sort returns it): the current row
    /// and the selection mark follow their tasks.
    void FollowOrder(const std::vector<int>& order);
    bool QuestionnaireValid(int k) const;
    int Random();
    cLocalTime Now() const;
    int Ask(int id, const std::string& param);
    void ShowTaskAgainOrList(int shownTask);

    cDocument& m_doc;
    const cSettings& m_settings;
    cQueryHost& m_host;
    cSoundPlayer* m_pPlayer = nullptr;
    cAnswerObserver* m_pObserver = nullptr;
    std::chrono::steady_clock::time_point m_shownAt; // when the current task was shown
    std::string m_strProgramDir;
    std::function<cLocalTime()> m_clock;
    std::function<int()> m_random;

    int m_nMode = ModeNone;
    int m_nCurrentRow = -1;
    int m_nSelectionMark = -1;
    int m_nLastVerdict = -1;
    int m_nCheckCount = 0;
    cTaskRows m_rows;                   // the task list
    std::string m_strLoadedTitle;       // title of the questionnaire in the task list
    std::string m_strHeading;
    std::string m_strResultText;
    std::string m_strVerdictText;
    std::string m_strAnswerText;
    std::array<bool, kTaskSlots> m_bTicks{};
    int m_nAssessChoice = AssessNone;
    std::array<int, 5> m_presetKey{}; // row, mode, check, evaluation, task of the last preset
    bool m_bPresetDue = true;
    int m_nPointsSelection = -1;
    std::vector<std::string> m_aPointsEntries;

    bool m_bExamActive = false;
    bool m_bEvaluationActive = false;
    std::int32_t m_nExamStart = 0;
    cExamBar m_examBar;
    cExamVerdict m_examVerdict;

    bool m_bSoundOpen = false;
    bool m_bSoundPaused = false;

    void RebaseSearch();
    void ApplySearch(bool narrowing);
    bool m_bSearching = false;
    cSearchKey m_searchKey;                  // folded
    std::string m_strSearchText;             // as typed
    std::vector<std::uint32_t> m_aSearchBase; // rows before the search
    std::vector<bool> m_aSearchBaseReset;
    std::size_t m_nSearchTaskCount = 0;       // tasks when the base was taken
    cTaskSearch m_search;

    int m_nBatchDepth = 0;
    unsigned m_nPending = 0;
    std::vector<int> m_aPendingRows;
};
