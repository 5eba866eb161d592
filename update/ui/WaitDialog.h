#pragma once
// The wait dialog: a small application-modal window that asks the user to wait while the
// update works on a worker thread. Show returns at once; Hide signals the dialog, which
// closes at its next tick. The owner keeps the event, so Hide is safe at any time.

#include <QDialog>
#include <QPointer>

#include <atomic>
#include <memory>
#include <string>

class QLabel;
class QPushButton;

/// Dialog 140 "Update": the text 1027 and the button 1 "Abbrechen".
class CUpdateDlg : public QDialog {
    Q_OBJECT
public:
    /// text is Windows-1252 with "\r\n" between lines; event ends the dialog when set.
    CUpdateDlg(std::shared_ptr<std::atomic<bool>> event, const std::string& text,
               bool cancelAllowed);
    ~CUpdateDlg() override;

    /// Ends the dialog when its event is set (every 500 ms, and at once after Hide).
    void CheckEvent();
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::shared_ptr<std::atomic<bool>> m_event;
    bool m_bCancelAllowed;
};

class cWaitDialog {
public:
    cWaitDialog() = default;
    ~cWaitDialog();
    cWaitDialog(const cWaitDialog&) = delete;
    cWaitDialog& operator=(const cWaitDialog&) = delete;

    /// The text of the next Show (Windows-1252, "\r\n" between lines).
    void SetText(const std::string& text) { m_strText = text; }
    /// Whether the next Show offers "Abbrechen" and lets Esc and the close box end it.
    void SetCancelAllowed(bool allowed) { m_bCancelAllowed = allowed; }
    /// Opens a new dialog with the text and returns at once.
    void Show();
    /// Makes the dialog close and returns without waiting for it.
    void Hide();
    /// The dialog of the last Show while it exists (tests).
    [[nodiscard]] CUpdateDlg* Dialog() const { return m_dialog; }

private:
    std::string m_strText;
    bool m_bCancelAllowed = false;
    std::shared_ptr<std::atomic<bool>> m_event;
    QPointer<CUpdateDlg> m_dialog;
};
