#pragma once
// A task picture: loaded from a file, sized like on paper, drawn scaled into a rectangle.

#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

/// Where a picture of pixelWidth x pixelHeight is drawn inside target: as large as fits,
/// aspect ratio kept, centred.
QRect FitPictureRect(int pixelWidth, int pixelHeight, const QRect& target);

class cPicture {
public:
    /// Loads the picture; false on success, true on failure (the failure is reported in a
    /// message box "Fehler. Datei konnte nicht geladen werden:" + path).
    bool Load(const QString& path);
    /// Draws the whole picture into target; does nothing when none is loaded.
    void Draw(QPainter& painter, const QRect& target) const;

    [[nodiscard]] bool IsLoaded() const { return !m_image.isNull(); }
    /// Size on the screen in pixels.
    [[nodiscard]] int PixelWidth() const { return m_nPixelWidth; }
    [[nodiscard]] int PixelHeight() const { return m_nPixelHeight; }
    /// Natural size in 0.01 mm, from the file's resolution (96 dpi when it has none).
    [[nodiscard]] int NaturalWidth() const { return m_nNaturalWidth; }
    [[nodiscard]] int NaturalHeight() const { return m_nNaturalHeight; }

private:
    int m_nPixelWidth = 0;
    int m_nPixelHeight = 0;
    int m_nNaturalWidth = 0;
    int m_nNaturalHeight = 0;
    QImage m_image;
};
