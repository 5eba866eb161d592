#include "ui/Picture.h"

#include "base/Cp1252.h"
#include "base/Message.h"
#include "practice/Media.h"
#include "ui/Text.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kHimetricPerInch = 2540.0;
constexpr double kDefaultDotsPerInch = 96.0;

// Natural size in 0.01 mm of count pixels at dotsPerMeter (0: the file gives none).
int Himetric(int count, int dotsPerMeter)
{
    const double dpi = dotsPerMeter > 0 ? dotsPerMeter * 0.0254 : kDefaultDotsPerInch;
    return static_cast<int>(std::lround(count * kHimetricPerInch / dpi));
}

int ScreenDotsPerInch(bool horizontal)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const double dpi =
            horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
        if (dpi > 0)
            return static_cast<int>(std::lround(dpi));
    }
    return static_cast<int>(kDefaultDotsPerInch);
}

} // namespace

QRect FitPictureRect(int pixelWidth, int pixelHeight, const QRect& target)
{
    const int w = target.width();
    const int h = target.height();
    // A picture that rounds to no pixels at all still has a shape to keep.
    const double rW = double(w) / std::max(pixelWidth, 1);
    const double rH = double(h) / std::max(pixelHeight, 1);
    int drawnW = w;
    int drawnH = h;
    if (rW >= rH)
        drawnW = static_cast<int>(std::max(pixelWidth, 1) * rH);
    else
        drawnH = static_cast<int>(std::max(pixelHeight, 1) * rW);
    return QRect(target.left() + (w - drawnW) / 2, target.top() + (h - drawnH) / 2, drawnW,
                 drawnH);
}

bool cPicture::Load(const QString& path)
{
    m_image = QImage();
    m_nPixelWidth = m_nPixelHeight = m_nNaturalWidth = m_nNaturalHeight = 0;

    // Read here, bounded, and never from a FIFO or device: a training file's picture
    // name must not stall the window.
    std::string bytes;
    const bool read = ReadMediaFile(QFile::encodeName(path).toStdString(), kMaxPictureFile, bytes);
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, QFileInfo(path).suffix().toLatin1());
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    QImage image;
    if (!read || !buffer.open(QIODevice::ReadOnly) || !reader.read(&image) || image.isNull()) {
        MessagePresenter().Present(
            "Quorvant",
            Cp1252FromUtf8("Fehler. Datei konnte nicht geladen werden:") + ToCp1252(path),
            StyleIconWarning);
        return true;
    }
    m_image = std::move(image);
    m_nNaturalWidth = Himetric(m_image.width(), m_image.dotsPerMeterX());
    m_nNaturalHeight = Himetric(m_image.height(), m_image.dotsPerMeterY());
    m_nPixelWidth = (m_nNaturalWidth * ScreenDotsPerInch(true) + 1270) / 2540;
    m_nPixelHeight = (m_nNaturalHeight * ScreenDotsPerInch(false) + 1270) / 2540;
    return false;
}

void cPicture::Draw(QPainter& painter, const QRect& target) const
{
    if (m_image.isNull())
        return;
    const QRect place = FitPictureRect(m_nPixelWidth, m_nPixelHeight, target);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(place, m_image);
    painter.restore();
}
