#include "shell/ui/HelpWindow.h"

#include "base/Message.h"
#include "ui/Text.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

CHelpWindow::CHelpWindow(const QString& file, QWidget* parent)
    : QWidget(parent, Qt::Window), m_strFile(file)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Quorvant – Hilfe"));
    resize(760, 640);

    m_pBack = new QPushButton(QStringLiteral("&Zurück"), this);
    m_pBack->setObjectName(QStringLiteral("helpBack"));
    m_pForward = new QPushButton(QStringLiteral("&Vorwärts"), this);
    m_pForward->setObjectName(QStringLiteral("helpForward"));
    auto* external = new QPushButton(QStringLiteral("&Extern öffnen"), this);
    external->setObjectName(QStringLiteral("helpExternal"));
    external->setToolTip(QStringLiteral("Öffnet die Hilfe im Browser des Desktops"));
    m_pBrowser = new QTextBrowser(this);
    m_pBrowser->setObjectName(QStringLiteral("helpBrowser"));
    // Web links leave for the desktop's browser; the help's own pages stay here.
    m_pBrowser->setOpenExternalLinks(true);
    m_pBrowser->setOpenLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pBack);
    buttons->addWidget(m_pForward);
    buttons->addStretch(1);
    buttons->addWidget(external);
    auto* column = new QVBoxLayout(this);
    column->addLayout(buttons);
    column->addWidget(m_pBrowser, 1);

    m_pBack->setEnabled(false);
    m_pForward->setEnabled(false);
    connect(m_pBack, &QPushButton::clicked, m_pBrowser, &QTextBrowser::backward);
    connect(m_pForward, &QPushButton::clicked, m_pBrowser, &QTextBrowser::forward);
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, m_pBack, &QPushButton::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, m_pForward, &QPushButton::setEnabled);
    connect(external, &QPushButton::clicked, this, &CHelpWindow::OpenExternally);
}

void CHelpWindow::ShowHelp()
{
    if (m_pBrowser->source().isEmpty()) {
        if (QFileInfo::exists(m_strFile))
            m_pBrowser->setSource(QUrl::fromLocalFile(m_strFile));
        else
            m_pBrowser->setPlainText(
                QStringLiteral("Die Hilfedatei \"%1\" wurde nicht gefunden.").arg(m_strFile));
    }
    show();
    raise();
    activateWindow();
}

void CHelpWindow::OpenExternally()
{
    const QUrl page = QUrl::fromLocalFile(m_strFile).resolved(m_pBrowser->source());
    if (!QDesktopServices::openUrl(page))
        (void)MessagePresenter().Present(
            "Quorvant",
            ToCp1252(QStringLiteral("Die Hilfe konnte nicht extern geöffnet werden: Der Desktop "
                                    "hat kein Programm für \"%1\".\r\nSie bleibt in diesem "
                                    "Fenster lesbar.")
                         .arg(page.toDisplayString())),
            StyleIconWarning);
}
