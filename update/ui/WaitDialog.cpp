#include "update/ui/WaitDialog.h"

#include "ui/DialogParts.h"
#include "ui/Text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kTickMs = 500;

} // namespace

CUpdateDlg::CUpdateDlg(std::shared_ptr<std::atomic<bool>> event, const std::string& text,
                       bool cancelAllowed)
    : m_event(std::move(event)), m_bCancelAllowed(cancelAllowed)
{
    // From construction until the dialog is gone, the application shows the wait cursor.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setObjectName(QStringLiteral("dlg140"));
    setWindowTitle(QStringLiteral("Update"));
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   (cancelAllowed ? Qt::WindowCloseButtonHint : Qt::WindowType(0)));

    QString shown = ToQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto* label = Named(new QLabel(shown, this), 1027);
    label->setMinimumWidth(220);
    auto* button = Named(new QPushButton(QStringLiteral("Abbrechen"), this), 1);
    button->setVisible(cancelAllowed);
    button->setDefault(true);
    connect(button, &QPushButton::clicked, this, &CUpdateDlg::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CUpdateDlg::CheckEvent);
    timer->start(kTickMs);
}

CUpdateDlg::~CUpdateDlg()
{
    QApplication::restoreOverrideCursor();
}

void CUpdateDlg::CheckEvent()
{
    if (m_event->load())
        done(Accepted);
}

void CUpdateDlg::accept()
{
    // Enter and "Abbrechen" end the wait only where the caller allows it.
    if (!m_bCancelAllowed)
        return;
    m_event->store(true);
    done(Accepted);
}

void CUpdateDlg::reject()
{
    if (m_bCancelAllowed)
        QDialog::reject();
}

void CUpdateDlg::closeEvent(QCloseEvent* event)
{
    if (m_bCancelAllowed || m_event->load())
        QDialog::closeEvent(event);
    else
        event->ignore();
}

cWaitDialog::~cWaitDialog()
{
    delete m_dialog.data();
}

void cWaitDialog::Show()
{
    // A dialog still up from an unpaired Show would otherwise wait for ever.
    Hide();
    m_event = std::make_shared<std::atomic<bool>>(false);
    m_dialog = new CUpdateDlg(m_event, m_strText, m_bCancelAllowed);
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void cWaitDialog::Hide()
{
    if (!m_event)
        return;
    m_event->store(true);
    // The dialog would see the event at its next tick; looking once more as soon as the
    // event loop runs lets a following message box appear without the wait dialog.
    if (m_dialog)
        QTimer::singleShot(0, m_dialog.data(), &CUpdateDlg::CheckEvent);
}
