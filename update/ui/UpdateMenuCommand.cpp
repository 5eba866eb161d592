#include "update/ui/UpdateMenuCommand.h"

#include "ui/MessageBoxPresenter.h"
#include "update/AutoUpdate.h"
#include "update/UpdateCommand.h"
#include "update/ui/WaitDialog.h"

#include <QFile>
#include <QEventLoop>

#include <thread>

namespace {

class cWindowUpdateHost : public cUpdateHost {
public:
    cWindowUpdateHost(QWidget* owner, cWaitDialog& wait) : m_owner(owner), m_wait(wait) {}

    void RunWaiting(const std::string& text, const std::function<void()>& work) override
    {
        m_wait.SetText(text);
        m_wait.SetCancelAllowed(false);
        m_wait.Show();
        // The window keeps painting while the transfer blocks the worker; the wait
        // dialog is application-modal, so nothing else can be started meanwhile.
        QEventLoop loop;
        std::thread worker([&loop, &work] {
            work();
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        worker.join();
        m_wait.Hide();
    }

    int Box(const std::string& caption, const std::string& text, std::uint32_t style) override
    {
        CMessageBox box(caption, text, style, m_owner);
        box.exec();
        return box.ResultCode();
    }

private:
    QWidget* m_owner;
    cWaitDialog& m_wait;
};

} // namespace

void OnCheckForUpdate(QWidget* owner, cWaitDialog& wait, const QString& programDir)
{
    cAutoUpdate update;
    update.SetProgramDir(QFile::encodeName(programDir).toStdString());
    cWindowUpdateHost host(owner, wait);
    (void)RunUpdateFlow(update, UpdateBaseUrl(), host);
}
