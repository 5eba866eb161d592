#pragma once
// The child window of one training file: holds its document and its one view.

#include <QMdiSubWindow>

#include <functional>
#include <memory>

class CVendrillDoc;
class CVendrillView;
struct cSettings;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(std::unique_ptr<CVendrillDoc> doc, const cSettings& settings,
                QWidget* parent = nullptr);
    ~CChildFrame() override;

    [[nodiscard]] CVendrillDoc& Document() const { return *m_doc; }
    [[nodiscard]] CVendrillView* View() const { return m_view; }

    /// Asked before the window closes; false keeps it open. Without a check the window
    /// closes the document (which writes its file) and closes.
    void SetCloseCheck(std::function<bool(CChildFrame&)> check);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateTitle();

    std::unique_ptr<CVendrillDoc> m_doc;
    CVendrillView* m_view = nullptr;
    std::function<bool(CChildFrame&)> m_closeCheck;
};
