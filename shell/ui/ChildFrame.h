#pragma once
// A child window of one training file: shares its document with the other windows on
// that file ("Neues Fenster") and holds one view.

#include <QMdiSubWindow>

#include <functional>
#include <memory>

class CVendrillDoc;
class CVendrillView;
struct cSettings;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(std::shared_ptr<CVendrillDoc> doc, const cSettings& settings,
                QWidget* parent = nullptr);
    ~CChildFrame() override;

    [[nodiscard]] CVendrillDoc& Document() const { return *m_doc; }
    [[nodiscard]] const std::shared_ptr<CVendrillDoc>& SharedDocument() const { return m_doc; }
    /// Number shown after the title (":1", ":2") while several windows show the file;
    /// 0 for none.
    void SetViewNumber(int number);
    [[nodiscard]] CVendrillView* View() const { return m_view; }

    /// Asked before the window closes; false keeps it open. Without a check the window
    /// closes the document (which writes its file) and closes.
    void SetCloseCheck(std::function<bool(CChildFrame&)> check);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateTitle();

    std::shared_ptr<CVendrillDoc> m_doc;
    int m_nViewNumber = 0;
    CVendrillView* m_view = nullptr;
    std::function<bool(CChildFrame&)> m_closeCheck;
};
