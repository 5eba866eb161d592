#pragma once
// The training view: the one form view of a training file's child window. It shows the
// questionnaire overview, the task list of one questionnaire and the question screens,
// and forwards every click and key to the query object of the core.

#include <QWidget>

class CVendrillDoc;
class cSettings;

class CVendrillView : public QWidget {
    Q_OBJECT
public:
    // Commands the frame routes to the active view (menu, tool bar and accelerators).
    static constexpr int kCmdResetStatistics = 32775;
    static constexpr int kCmdDetailView = 32779;
    static constexpr int kCmdMiniatureView = 32780;
    static constexpr int kCmdToggleView = 32781; // Ctrl+A
    static constexpr int kCmdEscape = 32784;     // Esc
    static constexpr int kCmdOverview = 32785;   // "Zur Übersicht"
    static constexpr int kCmdNewQuestionnaire = 32787;
    static constexpr int kCmdNewTask = 32788;
    static constexpr int kCmdDeleteTask = 32789;
    static constexpr int kCmdDeleteQuestionnaire = 32790;
    static constexpr int kCmdSplitQuestionnaire = 32792;
    static constexpr int kCmdExamStart = 32793;
    static constexpr int kCmdExamEnd = 32794;
    static constexpr int kCmdEvaluationEnd = 32795;
    static constexpr int kCmdDelete = 32796; // Del key: no behaviour of its own

    CVendrillView(CVendrillDoc& doc, const cSettings& settings, QWidget* parent = nullptr);
    ~CVendrillView() override;

    /// Reads the document's file and shows the overview; call once after construction.
    void InitialUpdate();

    /// True when the view handles this command id at all.
    [[nodiscard]] bool HandlesCommand(int id) const;
    /// Whether the command is enabled now (for the frame's action update).
    [[nodiscard]] bool IsCommandEnabled(int id) const;
    /// Runs a routed command; false when the view does not handle the id.
    bool ExecuteCommand(int id);

    /// Display mode: 0 before InitialUpdate, 2 overview, 3 task list, 4-6 question screens.
    [[nodiscard]] int ViewMode() const;

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

signals:
    /// Emitted whenever the enabled state of a routed command may have changed.
    void CommandStateChanged();

private:
    CVendrillDoc& m_doc;
    const cSettings& m_settings;
    int m_nViewMode = 0;
};
