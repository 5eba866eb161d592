#include "ui/PictureDlg.h"

#include "ui/DialogParts.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kMinimumSide = 80;

} // namespace

CPictureDlg::CPictureDlg(QString path, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_strPath(std::move(path))
{
    setObjectName(QStringLiteral("dlg142"));
    setWindowTitle(QString::fromUtf8(
        "Bildanzeige (Klicken Sie auf das Bild, um das Fenster zu schließen)"));
    setSizeGripEnabled(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CPictureDlg::Prepare()
{
    if (m_bPrepared)
        return m_bLoaded;
    m_bPrepared = true;
    m_bLoaded = !m_picture.Load(m_strPath);
    if (!m_bLoaded)
        return false;
    // A tiny picture gets a window that can still be seen and clicked; drawing scales it up.
    QSize size(m_picture.PixelWidth(), m_picture.PixelHeight());
    if (size.width() < kMinimumSide || size.height() < kMinimumSide)
        size.scale(QSize(kMinimumSide, kMinimumSide), Qt::KeepAspectRatioByExpanding);
    // A picture larger than the screen is shown smaller; drawing keeps its shape.
    const QScreen* screen = parentWidget() ? parentWidget()->screen()
                                           : QGuiApplication::primaryScreen();
    if (screen) {
        const QSize room = screen->availableGeometry().size() * 9 / 10;
        if (room.isValid() && (size.width() > room.width() || size.height() > room.height()))
            size.scale(room, Qt::KeepAspectRatio);
    }
    // The title bar shows the whole title; drawing centres a narrower picture.
    int width = std::max(size.width(), CaptionWidth(*this, windowTitle()));
    if (screen)
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    size.setWidth(std::max(width, size.width()));
    resize(size);
    return true;
}

int CPictureDlg::exec()
{
    if (!Prepare())
        return QDialog::Rejected;
    return QDialog::exec();
}

void CPictureDlg::ShowPicture(const QString& path, QWidget* parent)
{
    CPictureDlg dlg(path, parent);
    dlg.exec();
}

void CPictureDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    m_picture.Draw(painter, rect());
}

void CPictureDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_picture.IsLoaded())
        update();
}

void CPictureDlg::mousePressEvent(QMouseEvent* event)
{
    QDialog::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        accept();
}
