#include "shell/ui/Icons.h"

#include "shell/ui/Commands.h"

#include <QApplication>
#include <QIconEngine>
#include <QLinearGradient>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

const QColor kOutline(60, 60, 70);
const QColor kPaper(255, 255, 255);
const QColor kBlue(36, 99, 176);
const QColor kLightBlue(120, 170, 230);
const QColor kGreen(40, 150, 60);
const QColor kFolder(236, 186, 60);
const QColor kFolderDark(190, 135, 30);
const QColor kGrey(150, 155, 165);

QPen Pen(const QColor& c, double width = 1.2)
{
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with a folded corner inside x..x+w, y..y+h.
void Page(QPainter& p, double x, double y, double w, double h)
{
    const double fold = w * 0.32;
    QPainterPath sheet;
    sheet.moveTo(x, y);
    sheet.lineTo(x + w - fold, y);
    sheet.lineTo(x + w, y + fold);
    sheet.lineTo(x + w, y + h);
    sheet.lineTo(x, y + h);
    sheet.closeSubpath();
    p.setPen(Pen(kOutline));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(x + w - fold, y);
    corner.lineTo(x + w - fold, y + fold);
    corner.lineTo(x + w, y + fold);
    p.setBrush(QColor(225, 228, 235));
    p.drawPath(corner);
}

void TextLines(QPainter& p, double x, double y, double w, int count, double gap)
{
    p.setPen(Pen(QColor(140, 150, 170), 1.4));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(x, y + i * gap), QPointF(x + w - (i % 2) * w * 0.3, y + i * gap));
}

void Gear(QPainter& p, QPointF centre, double outer, const QColor& colour)
{
    const int teeth = 8;
    QPainterPath path;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * std::numbers::pi / teeth;
        const double a1 = (i + 0.5) * std::numbers::pi / teeth;
        const double r = (i % 2 == 0) ? outer : outer * 0.74;
        const QPointF p0 = centre + QPointF(std::cos(a0) * r, std::sin(a0) * r);
        const QPointF p1 = centre + QPointF(std::cos(a1) * r, std::sin(a1) * r);
        if (i == 0)
            path.moveTo(p0);
        else
            path.lineTo(p0);
        path.lineTo(p1);
    }
    path.closeSubpath();
    path.addEllipse(centre, outer * 0.32, outer * 0.32);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(Pen(colour.darker(160), 1.0));
    QRadialGradient g(centre, outer);
    g.setColorAt(0, colour.lighter(130));
    g.setColorAt(1, colour);
    p.setBrush(g);
    p.drawPath(path);
}

void RoundBadge(QPainter& p, const QColor& colour, const QString& letter)
{
    QRadialGradient g(QPointF(13, 11), 16);
    g.setColorAt(0, colour.lighter(150));
    g.setColorAt(1, colour);
    p.setPen(Pen(colour.darker(150), 1.2));
    p.setBrush(g);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    QFont font(QStringLiteral("Liberation Serif"));
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, letter);
}

void DrawNew(QPainter& p)
{
    Page(p, 6, 3, 19, 25);
    TextLines(p, 9, 12, 11, 3, 4);
    p.setPen(Pen(kGreen.darker(130), 1.0));
    p.setBrush(kGreen);
    p.drawEllipse(QRectF(17, 17, 13, 13));
    p.setPen(Pen(Qt::white, 2.2));
    p.drawLine(QPointF(23.5, 19.8), QPointF(23.5, 27.2));
    p.drawLine(QPointF(19.8, 23.5), QPointF(27.2, 23.5));
}

void DrawOpen(QPainter& p)
{
    p.setPen(Pen(kFolderDark));
    p.setBrush(kFolderDark.lighter(115));
    QPainterPath back;
    back.moveTo(2, 8);
    back.lineTo(11, 8);
    back.lineTo(13, 11);
    back.lineTo(26, 11);
    back.lineTo(26, 27);
    back.lineTo(2, 27);
    back.closeSubpath();
    p.drawPath(back);
    Page(p, 7, 5, 15, 16);
    QLinearGradient g(0, 14, 0, 27);
    g.setColorAt(0, kFolder.lighter(115));
    g.setColorAt(1, kFolder);
    p.setPen(Pen(kFolderDark));
    p.setBrush(g);
    QPainterPath front;
    front.moveTo(6, 15);
    front.lineTo(30, 15);
    front.lineTo(26, 27);
    front.lineTo(2, 27);
    front.closeSubpath();
    p.drawPath(front);
}

void DrawSave(QPainter& p)
{
    QPainterPath disk;
    disk.moveTo(4, 4);
    disk.lineTo(24, 4);
    disk.lineTo(28, 8);
    disk.lineTo(28, 28);
    disk.lineTo(4, 28);
    disk.closeSubpath();
    p.setPen(Pen(kBlue.darker(160)));
    p.setBrush(kBlue);
    p.drawPath(disk);
    p.setPen(Pen(kBlue.darker(140), 1.0));
    p.setBrush(QColor(215, 222, 232));
    p.drawRect(QRectF(9, 4.5, 13, 8));
    p.setBrush(kBlue.darker(150));
    p.drawRect(QRectF(17, 6, 3, 5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(8, 17, 16, 10));
    TextLines(p, 10, 20, 12, 2, 3.5);
}

void Printer(QPainter& p)
{
    Page(p, 9, 2, 14, 12);
    p.setPen(Pen(kOutline));
    QLinearGradient g(0, 12, 0, 26);
    g.setColorAt(0, QColor(200, 204, 212));
    g.setColorAt(1, QColor(140, 146, 158));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(3, 12, 26, 12), 2.5, 2.5);
    p.setBrush(QColor(90, 95, 105));
    p.drawRect(QRectF(8, 20, 16, 3));
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 22, 14, 8));
    p.setPen(Pen(kGreen, 2));
    p.drawPoint(QPointF(25.5, 15.5));
}

void DrawPrint(QPainter& p)
{
    Printer(p);
    TextLines(p, 11, 25, 10, 2, 2.8);
}

void DrawPreview(QPainter& p)
{
    Page(p, 3, 2, 19, 26);
    TextLines(p, 6, 10, 12, 4, 4);
    p.setPen(Pen(kOutline, 2.6));
    p.drawLine(QPointF(23, 23), QPointF(29.5, 29.5));
    p.setPen(Pen(kOutline, 1.6));
    QRadialGradient g(QPointF(17, 17), 7);
    g.setColorAt(0, QColor(235, 245, 255, 230));
    g.setColorAt(1, QColor(160, 200, 240, 230));
    p.setBrush(g);
    p.drawEllipse(QPointF(18.5, 18.5), 6.5, 6.5);
}

// A sheet with three answer boxes, one ticked.
void DrawExamSheet(QPainter& p)
{
    Page(p, 5, 2, 22, 28);
    for (int i = 0; i < 3; ++i) {
        const double y = 10 + i * 6.5;
        p.setPen(Pen(kOutline, 1.2));
        p.setBrush(kPaper);
        p.drawRect(QRectF(8, y, 4.5, 4.5));
        p.setPen(Pen(QColor(140, 150, 170), 1.4));
        p.drawLine(QPointF(15, y + 2.25), QPointF(24 - (i % 2) * 3, y + 2.25));
    }
    p.setPen(Pen(kGreen.darker(120), 2.2));
    p.drawLine(QPointF(8.5, 19.2), QPointF(10.2, 21.5));
    p.drawLine(QPointF(10.2, 21.5), QPointF(14, 15.5));
}

void DrawSettings(QPainter& p)
{
    Gear(p, QPointF(16, 16), 13, kGrey);
}

void DrawFileSettings(QPainter& p)
{
    Page(p, 3, 2, 19, 26);
    TextLines(p, 6, 10, 12, 3, 4);
    Gear(p, QPointF(22, 22), 9, QColor(226, 150, 40));
}

void DrawOverview(QPainter& p)
{
    p.setPen(Pen(kOutline));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(3, 3, 26, 26), 2, 2);
    for (int i = 0; i < 4; ++i) {
        const double y = 8.5 + i * 5.5;
        p.setPen(Qt::NoPen);
        p.setBrush(i == 0 ? kGreen : kBlue);
        p.drawRect(QRectF(7, y - 1.5, 3, 3));
        p.setPen(Pen(QColor(120, 130, 150), 1.6));
        p.drawLine(QPointF(13, y), QPointF(25 - (i % 2) * 4, y));
    }
}

void DrawProgress(QPainter& p)
{
    p.setPen(Pen(kOutline));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(3, 3, 26, 26), 2, 2);
    const double heights[] = {7, 12, 10, 17};
    for (int i = 0; i < 4; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(i == 3 ? kGreen : kBlue);
        p.drawRect(QRectF(6.5 + i * 5, 25 - heights[i], 3.5, heights[i]));
    }
}

void DrawApp(QPainter& p)
{
    QLinearGradient back(0, 0, 0, 32);
    back.setColorAt(0, kLightBlue.darker(105));
    back.setColorAt(1, kBlue.darker(115));
    p.setPen(Pen(kBlue.darker(170), 1.0));
    p.setBrush(back);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    // The letter Q as a ring whose tail is a tick.
    p.setPen(QPen(Qt::white, 3.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 5.5, 17, 17), 40 * 16, 290 * 16);
    p.setPen(QPen(QColor(120, 230, 110), 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(13.5, 19.5);
    tick.lineTo(18, 24.5);
    tick.lineTo(27.5, 11.5);
    p.drawPath(tick);
}

using Drawing = void (*)(QPainter&);

// The drawing of a command's image, or nullptr for ids without one.
Drawing CommandDrawing(int id)
{
    switch (id) {
    case cmd::kFileNew: return DrawNew;
    case cmd::kFileOpen: return DrawOpen;
    case cmd::kFileSave: return DrawSave;
    case cmd::kPrint: return DrawPrint;
    case cmd::kPrintPreview: return DrawPreview;
    case cmd::kExamSheet: return DrawExamSheet;
    case cmd::kSettings: return DrawSettings;
    case cmd::kFileSettings: return DrawFileSettings;
    case cmd::kOverview: return DrawOverview;
    case cmd::kProgress: return DrawProgress;
    case cmd::kAbout: return [](QPainter& p) { RoundBadge(p, kBlue, QStringLiteral("i")); };
    case cmd::kHelp: return [](QPainter& p) { RoundBadge(p, kGreen, QStringLiteral("?")); };
    default: return nullptr;
    }
}

QPixmap DrawImage(Drawing draw, int size, bool text)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (text)
        painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(size / 32.0, size / 32.0);
    draw(painter);
    return pixmap;
}

// An icon drawn at a size when that size is first asked for. Drawing every size of every
// icon up front (antialiased, up to 256 pixels) took a good part of the start-up time;
// the tool bar, the menus and the window manager each want one or two sizes.
class cDrawnIconEngine : public QIconEngine {
public:
    cDrawnIconEngine(Drawing draw, bool text, QList<int> sizes)
        : m_draw(draw), m_text(text), m_sizes(std::move(sizes)) {}

    QIconEngine* clone() const override { return new cDrawnIconEngine(*this); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int side : m_sizes)
            sizes.append(QSize(side, side));
        return sizes;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        if (side <= 0)
            return {};
        QPixmap& drawn = m_drawn[side];
        if (drawn.isNull())
            drawn = DrawImage(m_draw, side, m_text);
        if (mode == QIcon::Normal || mode == QIcon::Active || !qApp)
            return drawn;
        QStyleOption option;
        option.palette = QApplication::palette();
        return QApplication::style()->generatedIconPixmap(mode, drawn, &option);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap image = pixmap(rect.size() * ratio, mode, state);
        image.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, image);
    }

private:
    Drawing m_draw;
    bool m_text;
    QList<int> m_sizes;
    QMap<int, QPixmap> m_drawn;
};

} // namespace

QPixmap DrawCommandImage(int id, int size)
{
    const Drawing draw = CommandDrawing(id);
    return draw ? DrawImage(draw, size, true) : QPixmap();
}

QIcon CommandIcon(int id)
{
    const Drawing draw = CommandDrawing(id);
    return draw ? QIcon(new cDrawnIconEngine(draw, true, {16, 24, 32, 48})) : QIcon();
}

QPixmap DrawAppImage(int size)
{
    return DrawImage(DrawApp, size, false);
}

QIcon AppIcon()
{
    return QIcon(new cDrawnIconEngine(DrawApp, false, {16, 24, 32, 48, 64, 128, 256}));
}
