#pragma once
// The main window: menus, tool bar, status bar, the child windows of the open training
// files, and the program-wide objects (settings, printer, recent files).

#include "base/Settings.h"
#include "shell/ui/RecentFiles.h"

#include <QMainWindow>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CChildFrame;
class CHelpWindow;
class CVendrillDoc;
class CVendrillView;
struct cExchangeTarget;
class QLabel;
class QMdiArea;
class QMenu;
class QPrinter;
class QToolBar;
class cWaitDialog;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    /// What a file dialog is asked for.
    enum class FileChoice { Open, SaveAs };
    /// Asks the user for a file; an empty text means cancelled. suggestion is the
    /// current or proposed name.
    using FileChooser = std::function<QString(FileChoice choice, const QString& suggestion)>;

    /// Loads the program settings; recentIni names the file of the recent-file list
    /// (empty: the user's configuration).
    explicit CMainFrame(const QString& recentIni = {}, QWidget* parent = nullptr);
    ~CMainFrame() override;

    [[nodiscard]] const cSettings& Settings() const { return m_settings; }
    /// Directory of the program with a trailing "/".
    [[nodiscard]] QString ProgramDir() const { return m_strProgramDir; }
    /// The settings file that the settings dialog writes.
    [[nodiscard]] QString SettingsPath() const { return m_strSettingsPath; }
    /// The printer that "Druckereinrichtung..." sets up, for printing.
    [[nodiscard]] QPrinter& Printer();
    [[nodiscard]] QMdiArea* MdiArea() const { return m_mdi; }
    [[nodiscard]] cRecentFiles& RecentFiles() { return m_recent; }
    /// The wait dialog of the update command.
    [[nodiscard]] cWaitDialog& WaitDialog();
    /// The help window, nullptr until help was asked for.
    [[nodiscard]] CHelpWindow* HelpWindow() const { return m_helpWindow; }

    /// The action of a command id, nullptr for none.
    [[nodiscard]] QAction* Action(int id) const { return m_actions.value(id, nullptr); }
    /// The child window now active, nullptr when none.
    [[nodiscard]] CChildFrame* ActiveChild() const;
    [[nodiscard]] QList<CChildFrame*> Children() const;
    /// The view of the active child window, nullptr when none.
    [[nodiscard]] CVendrillView* ActiveView() const;

    /// Replaces the file dialogs (tests).
    void SetFileChooser(FileChooser chooser);

    /// Opens a training file in its own maximized child window, or brings the window that
    /// has it open already to the front. nullptr when the file cannot be opened.
    CChildFrame* OpenDocumentFile(const QString& path);
    /// A new, untitled document in its own child window.
    CChildFrame* NewDocument();
    /// Writes the document under a name the user chooses. False when cancelled or failed.
    bool SaveDocumentAs(CVendrillDoc& doc);

public slots:
    /// Files handed over by a later start of the program: open them and come to the front.
    void OpenHandedFiles(const QStringList& files);
    /// A print request handed over by a later start: print each file's first
    /// questionnaire to printer, or through the print dialog when printer is empty.
    void PrintHandedFiles(const QStringList& files, const QString& printer);
    /// Enables the actions and picks the menu for the current state.
    void UpdateActions();

    void OnFileNew();
    void OnFileOpen();
    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();
    void OnPrintSetup();
    void OnImport();
    void OnPrint();
    void OnPrintPreview();
    void OnAppAbout();
    void OnHelp();
    void OnSettings();
    /// "Prüfungstermin...": sets or clears the active file's exam date.
    void OnExamDate();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // A CSV, KVTML, notes text or JSON file opens as a new untitled file through the import.
    CChildFrame* OpenImported(const QString& path);
    // The window an import goes into: target (the active one, or the new one made).
    cExchangeTarget ExchangeTarget(CChildFrame*& target);
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void UpdateRecentActions();
    void UpdateLockIndicators();
    void RouteToView(int id);
    void RouteToFocus(const char* slot);
    /// Undo or redo of the active document's last edit.
    void UndoEdit(bool redo);
    void UpdateUndoActions(CChildFrame* child, CVendrillView* view);
    void OnSubWindowActivated();
    void ArrangeIcons();
    void ShowMenuSet(bool fileActive);
    void FillWindowList(QMenu& menu);
    bool CanCloseChild(CChildFrame& child);
    bool HandleFailedSave(CChildFrame& child, bool closing);
    CChildFrame* AddChild(std::shared_ptr<CVendrillDoc> doc);
    void OnNewWindow();
    /// Numbers the windows of doc (":1", ":2") while there are several.
    void NumberViews(const CVendrillDoc& doc);
    [[nodiscard]] CChildFrame* FindChild(const QString& path) const;
    [[nodiscard]] QString ChooseFile(FileChoice choice, const QString& suggestion);

    QString m_strProgramDir;
    QString m_strSettingsPath;
    cSettings m_settings;
    cRecentFiles m_recent;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<cWaitDialog> m_waitDialog;
    QMdiArea* m_mdi = nullptr;
    CHelpWindow* m_helpWindow = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_ready = nullptr;
    QLabel* m_readiness = nullptr; // the active file's exam readiness
    QLabel* m_lockLabels[3] = {};
    QMap<int, QAction*> m_actions;
    QList<QAction*> m_recentActions;
    QList<QMenu*> m_menusNoFile;
    QList<QMenu*> m_menusFile;
    bool m_bFileMenus = false;
    FileChooser m_chooser;
};
