#pragma once
// The training view: the one form view of a training file's child window. It shows the
// questionnaire overview, the task list of one questionnaire and the question screens,
// and forwards every click and key to the query object of the core, whose state it
// shows.

#include "practice/QueryHost.h"
#include "practice/ui/ViewCommands.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CVendrillDoc;
struct cSettings;
class cQuery;
class cLearner;
struct cExamReadiness;
class cTask;
struct cSplitTexts;
class cPercentBar;
class CSearchBar;
class CTaskListModel;
class CTaskIconProxy;
class CQuestionnaireListModel;
class QAbstractButton;
class QAbstractItemView;
class QButtonGroup;
class QComboBox;
class QLabel;
class QListView;
class QModelIndex;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;

class CVendrillView : public QWidget, private cQueryHost {
    Q_OBJECT
public:
    /// What the other windows on the same file learn once a routed command ran.
    enum class Others { Nothing, Structure, Statistics };
    /// One row of the view's command table: a command the frame routes to the active
    /// view from its menus, tool bar and accelerators (ids in ViewCommands.h).
    struct Command {
        int id;
        void (CVendrillView::*run)();              // nullptr: no behaviour of its own
        bool (*enabled)(const CVendrillView& view); // asked only once the view is set up
        Others others;
    };
    /// Every routed command, one row each: the frame builds its routing from these.
    [[nodiscard]] static std::span<const Command> Commands();

    /// Period of the exam countdown timer in milliseconds.
    static constexpr int kTimerPeriodMs = 500;
    /// Space the result text leaves to its right for the marks and rating buttons.
    static constexpr int kResultTextMargin = 220;

    /// Shows a picture file (full path) modally; the default opens the picture window.
    using PictureShower = std::function<void(const QString& path, QWidget* parent)>;
    /// Edits a task in the task editor; true when the user confirmed with OK.
    using TaskEditor = std::function<bool(cTask& task, QWidget* parent)>;
    /// Edits the questionnaire dialog's texts; true when the user confirmed with OK.
    using SplitEditor = std::function<bool(cSplitTexts& texts, QWidget* parent)>;

    CVendrillView(CVendrillDoc& doc, const cSettings& settings, QWidget* parent = nullptr);
    ~CVendrillView() override;

    /// Reads the document's file and shows the overview; call once after construction.
    void InitialUpdate();

    /// True when the view handles this command id at all (it has a row in Commands()).
    [[nodiscard]] bool HandlesCommand(int id) const;
    /// Whether the command is enabled now (for the frame's action update).
    [[nodiscard]] bool IsCommandEnabled(int id) const;
    /// Runs a routed command; false when the view does not handle the id.
    bool ExecuteCommand(int id);

    /// Display mode: 0 before InitialUpdate, 2 overview, 3 task list, 4-6 question screens.
    [[nodiscard]] int ViewMode() const;
    /// True while the task list shows the report style, false for small icons.
    [[nodiscard]] bool IsDetailView() const { return m_bDetailView; }

    /// The query this view shows (tests and the frame's editor commands use it).
    [[nodiscard]] cQuery& Query() { return *m_query; }
    /// The learning side of this window (answer history, plan, readiness).
    [[nodiscard]] cLearner& Learner() { return *m_learner; }
    [[nodiscard]] CVendrillDoc& Document() { return m_doc; }

    /// The player for the tasks' sounds (not owned) in place of the view's own Qt
    /// Multimedia player; nullptr plays nothing.
    void SetSoundPlayer(cSoundPlayer* player);
    /// The player for the warning tone after a wrong answer (not owned) in place of the
    /// view's own; nullptr gives the system beep.
    void SetWarningPlayer(cSoundPlayer* player);
    /// Folder that task pictures and sounds are relative to, with a trailing "/".
    void SetProgramDir(const QString& dir);
    void SetPictureShower(PictureShower shower) { m_pictureShower = std::move(shower); }
    void SetTaskEditor(TaskEditor editor);
    void SetSplitEditor(SplitEditor editor);
    /// After the file's settings were changed: the overview shows or hides "Alle Aufgaben".
    void FileSettingsChanged();
    /// "Suchen...": the search bar above the task list (in the overview: over all tasks).
    void OpenSearch();
    [[nodiscard]] CSearchBar* SearchBar() const { return m_pSearchBar; }
    /// After undo or redo replaced the document's content: shows it anew.
    void ContentRestored();
    /// This window became the active one: its questionnaire is the document's current
    /// one again (several windows on one file each keep their own).
    void Activated();

    /// Sets (or with -1 clears) the file's exam date and shows the readiness anew; false
    /// when the history could not store it (it then holds for this session).
    bool SetExamDay(std::int64_t day);
    /// Computes the exam readiness anew and shows it (after answers or a new exam date).
    void RefreshReadiness();
    /// The file's readiness as the status bar shows it; empty without an exam questionnaire
    /// and while neither the plan is on nor an exam date is set.
    [[nodiscard]] QString ReadinessText() const;

public slots:
    void OnBack();
    void OnResetStatistics();
    void OnExamStart();
    void OnExamEnd();
    void OnEvaluationEnd();
    void OnDetailView();
    void OnMiniatureView();
    void OnToggleView();
    void OnPlaySound();
    void OnPauseSound();
    void OnShowPicture();
    void OnEditTask();
    void OnAnswerOk();
    void OnSkip();
    void OnShowSolution();
    void OnNewQuestionnaire();
    void OnNewTask();
    void OnDeleteTask();
    void OnDeleteQuestionnaire();
    void OnSplitQuestionnaire();
    /// One tick of the exam countdown.
    void OnTimer();

signals:
    /// Emitted whenever the enabled state of a routed command may have changed.
    void CommandStateChanged();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    static const Command kCommands[];
    /// The row of a command id, nullptr for none.
    [[nodiscard]] static const Command* FindCommand(int id);
    /// Runs a query operation once the view is set up: the slots that only pass a click on.
    void ToQuery(void (cQuery::*operation)());

    // cQueryHost
    void Changed(unsigned what) override;
    void RowChanged(int row) override;
    void Beep() override;

    void CreateControls();
    void LayOut();
    void PlaceQuestionArea(int& taskListTop);
    int FitText(QLabel* label, const QString& text, int left, int top);
    void SyncAnswerField();
    void SyncAssessment();
    void SyncTaskSelection();
    void SyncQuestionnaireSelection();
    void SyncSortIndicator();
    void ApplyColumnWidths();
    void ApplyExamBar();
    void ApplyListStyle();
    void ApplyBackground(int mode);
    void FocusForMode(int mode);
    [[nodiscard]] bool IsActiveWindowView() const;
    void OpenOverviewRow(int row);
    bool HandleListKey(QAbstractItemView* list, QKeyEvent* key);
    bool HandleListMouse(QAbstractItemView* list, QEvent* event);
    void OnTaskActivated(const QModelIndex& index);
    void OnTaskCurrentChanged(const QModelIndex& current);
    void OnAnswerTextChanged();
    void OnAssessClicked(int id);
    void OnPointsActivated(int entry);
    void OnHeaderClicked(int column);
    void OnOtherViewChanged(QObject* sender, bool structure);
    void NotifyOtherViews();
    void UpdateReadiness();
    [[nodiscard]] std::string ReadinessNoteOf(int row) const;
    [[nodiscard]] bool ReadinessShown() const;
    QAbstractItemView* ActiveTaskView() const;

    CVendrillDoc& m_doc;
    const cSettings& m_settings;
    // Shared by every window on the file; outlives the query, which reports to it.
    std::shared_ptr<cLearner> m_learner;
    std::vector<cExamReadiness> m_readiness; // as last computed, for the overview's rows
    bool m_bExamDate = false;                // the file has an exam date
    std::unique_ptr<cQuery> m_query;
    cSoundPlayer* m_pWarningPlayer = nullptr;
    bool m_bWarningOpen = false;  // the warning tone is open in m_pWarningPlayer
    std::string m_strTakenAnswer; // the answer field's text as last handed to the query
    bool m_bReady = false;        // the controls exist and InitialUpdate ran
    bool m_bClosing = false;
    bool m_bSyncing = false;      // widgets are being set from the query's state
    bool m_bDetailView = true;
    bool m_bRowsSorted = false;   // the rows are in the order of a header click
    int m_nShownMode = -1;        // mode the focus and background were set for
    /// Runs work with this window's questionnaire as the document's current one.
    void OnOwnQuestionnaire(const std::function<void()>& work);
    int m_nOwnQuestionnaire = -1; // this window's questionnaire (the document's current one)
    bool m_bNotifyPending = false; // other windows on the file are told once the batch ends
    PictureShower m_pictureShower;
    TaskEditor m_taskEditor;
    SplitEditor m_splitEditor;

    // Drag start on a list: where the left button went down and on which row.
    QAbstractItemView* m_pPressList = nullptr;
    QPoint m_pressPos;
    int m_nPressRow = -1;
    bool m_bDragHandled = false;

    QLabel* m_pHeading = nullptr;         // 1064
    QLabel* m_pResultText = nullptr;      // 1010
    QPlainTextEdit* m_pAnswer = nullptr;  // 1000
    QListView* m_pQuestionnaireList = nullptr; // 1009
    QTableView* m_pTaskList = nullptr;    // 1002, report style
    QListView* m_pTaskIcons = nullptr;    // 1002, small-icon style
    QPushButton* m_pOk = nullptr;         // 1003
    QPushButton* m_pSkip = nullptr;       // 1004
    QPushButton* m_pShowSolution = nullptr; // 1014
    QPushButton* m_pEdit = nullptr;       // 1013
    QPushButton* m_pPlay = nullptr;       // 1006
    QPushButton* m_pPause = nullptr;      // 1073
    QPushButton* m_pPicture = nullptr;    // 1007
    QRadioButton* m_pRadioRight = nullptr;  // 1071
    QRadioButton* m_pRadioPartly = nullptr; // 1072
    QRadioButton* m_pRadioWrong = nullptr;  // 1070
    QButtonGroup* m_pAssessGroup = nullptr;
    QComboBox* m_pPoints = nullptr;       // 1076
    QLabel* m_pRightMark = nullptr;       // 1011
    QLabel* m_pWrongMark = nullptr;       // 1012
    QLabel* m_pTick[3] = {};              // 1077-1079
    QLabel* m_pChoice[3] = {};            // 1080-1082
    cPercentBar* m_pExamBar = nullptr;    // 1063
    CSearchBar* m_pSearchBar = nullptr;
    CTaskListModel* m_pTaskModel = nullptr;
    CTaskIconProxy* m_pIconProxy = nullptr;
    CQuestionnaireListModel* m_pQuestionnaireModel = nullptr;
    QTimer* m_pTimer = nullptr;
};
