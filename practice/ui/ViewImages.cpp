#include "practice/ui/ViewImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <array>
#include <cmath>
#include <numbers>
#include <map>

namespace ViewImages {
namespace {

const QColor kOutline(0x5A, 0x5A, 0x5A);
const QColor kInk(0x33, 0x33, 0x33);
const QColor kBlue(0x2F, 0x6F, 0xC8);
const QColor kGreen(0x2E, 0x9E, 0x44);
const QColor kRed(0xD2, 0x3C, 0x3C);

QPixmap Blank(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void Prepare(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
}

// A tick drawn as two strokes inside rect.
void DrawTick(QPainter& p, const QRectF& r, const QColor& colour, qreal width)
{
    QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPolygonF tick;
    tick << QPointF(r.left() + r.width() * 0.18, r.top() + r.height() * 0.52)
         << QPointF(r.left() + r.width() * 0.42, r.top() + r.height() * 0.76)
         << QPointF(r.left() + r.width() * 0.84, r.top() + r.height() * 0.26);
    p.drawPolyline(tick);
}

void DrawCross(QPainter& p, const QRectF& r, const QColor& colour, qreal width)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    const qreal m = r.width() * 0.28;
    p.drawLine(QPointF(r.left() + m, r.top() + m), QPointF(r.right() - m, r.bottom() - m));
    p.drawLine(QPointF(r.right() - m, r.top() + m), QPointF(r.left() + m, r.bottom() - m));
}

QPixmap MakeTaskImage(int index)
{
    QPixmap pixmap = Blank(kTaskImageSize);
    QPainter p(&pixmap);
    if (index == kTaskImageAnswered || index == kTaskImageNotAnswered) {
        Prepare(p);
        const QRectF disc(8.5, 1.5, 15, 15);
        if (index == kTaskImageAnswered) {
            p.setPen(Qt::NoPen);
            p.setBrush(kBlue);
            p.drawEllipse(disc);
            DrawTick(p, disc, Qt::white, 2.2);
        } else {
            p.setPen(QPen(kOutline, 1.4));
            p.setBrush(Qt::white);
            p.drawEllipse(disc);
            p.setPen(QPen(kOutline, 2.0, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(12.5, 9), QPointF(19.5, 9));
        }
        return pixmap;
    }
    int right = 0;
    int wrong = 0;
    if (index != 0 && !StatisticsShares(index, right, wrong))
        return pixmap;
    // Frame of the bar, then its three parts; no antialiasing so every pixel is exact.
    p.fillRect(QRect(0, 2, 32, 14), kOutline);
    const int top = 3;
    const int height = 12;
    if (index == 0) {
        p.fillRect(QRect(kBarLeft, top, kBarWidth, height), QColor(kEmptyColour));
        return pixmap;
    }
    const int rightWidth = right * 3;
    const int wrongWidth = wrong * 3;
    const int partWidth = kBarWidth - rightWidth - wrongWidth;
    p.fillRect(QRect(kBarLeft, top, rightWidth, height), QColor(kRightColour));
    p.fillRect(QRect(kBarLeft + rightWidth, top, partWidth, height), QColor(kPartColour));
    p.fillRect(QRect(kBarLeft + rightWidth + partWidth, top, wrongWidth, height),
               QColor(kWrongColour));
    return pixmap;
}

void DrawSheet(QPainter& p)
{
    QPainterPath sheet;
    sheet.moveTo(7, 2.5);
    sheet.lineTo(20, 2.5);
    sheet.lineTo(26, 8.5);
    sheet.lineTo(26, 29.5);
    sheet.lineTo(7, 29.5);
    sheet.closeSubpath();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(QColor(0xDD, 0xDD, 0xDD));
    p.drawPolygon(QPolygonF({QPointF(20, 2.5), QPointF(20, 8.5), QPointF(26, 8.5)}));
    p.setPen(QPen(kBlue, 1.5));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(10, 12 + i * 3.5), QPointF(i == 4 ? 17 : 23, 12 + i * 3.5));
}

void DrawBook(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xA8, 0x3A, 0x32));
    p.drawRoundedRect(QRectF(2.5, 6.5, 27, 21), 2, 2);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(4.5, 5.5), QPointF(15.5, 7.5), QPointF(15.5, 26.5),
                             QPointF(4.5, 24.5)}));
    p.drawPolygon(QPolygonF({QPointF(27.5, 5.5), QPointF(16.5, 7.5), QPointF(16.5, 26.5),
                             QPointF(27.5, 24.5)}));
    p.setPen(QPen(kInk, 1.2));
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(4.5, 9, 11, 12), Qt::AlignCenter, QStringLiteral("A"));
    p.drawText(QRectF(16.5, 9, 11, 12), Qt::AlignCenter, QStringLiteral("Z"));
}

void DrawChecklist(QPainter& p)
{
    for (int i = 0; i < 3; ++i) {
        const QRectF box(3.5, 3.5 + i * 9.5, 7, 7);
        p.setPen(QPen(kOutline, 1));
        p.setBrush(Qt::white);
        p.drawRect(box);
        if (i != 1)
            DrawTick(p, box.adjusted(-1, -1, 1, 1), kGreen, 1.8);
        p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, box.center().y()), QPointF(i == 2 ? 23 : 28, box.center().y()));
    }
}

void DrawStopwatch(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kOutline);
    p.drawRect(QRectF(13.5, 1.5, 5, 4));
    p.setBrush(Qt::white);
    p.setPen(QPen(kBlue, 2.5));
    p.drawEllipse(QRectF(4, 6, 24, 24));
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 18), QPointF(16, 10));
    p.drawLine(QPointF(16, 18), QPointF(21, 21));
    p.setPen(QPen(kRed, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7, 9, 18, 18), 90 * 16, -100 * 16);
}

void DrawCards(QPainter& p)
{
    const std::array<QColor, 3> colours{QColor(0xF0, 0xC4, 0x19), QColor(0x7F, 0xB8, 0xE8),
                                        Qt::white};
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(colours[std::size_t(i)]);
        p.drawRoundedRect(QRectF(3.5 + i * 4, 3.5 + i * 4, 18, 22), 2, 2);
    }
    p.setPen(QPen(kInk, 1.5));
    p.drawLine(QPointF(15, 17), QPointF(25, 17));
    p.drawLine(QPointF(15, 21), QPointF(25, 21));
}

void DrawQuestionBubble(QPainter& p)
{
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(2.5, 3.5, 27, 19), 6, 6);
    bubble.moveTo(9, 22);
    bubble.lineTo(7, 29);
    bubble.lineTo(15, 22);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xD9, 0xEC, 0xFF));
    p.drawPath(bubble.simplified());
    QFont font = p.font();
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kBlue);
    p.drawText(QRectF(2.5, 3.5, 27, 19), Qt::AlignCenter, QStringLiteral("?"));
}

void DrawBulb(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xFF, 0xE0, 0x5A));
    p.drawEllipse(QRectF(7, 2.5, 18, 18));
    p.setBrush(QColor(0x99, 0x99, 0x99));
    p.drawRect(QRectF(12, 20, 8, 7));
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(12, 23), QPointF(20, 23));
    p.drawLine(QPointF(13, 29), QPointF(19, 29));
}

void DrawStar(QPainter& p)
{
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const qreal radius = (i % 2 == 0) ? 14 : 6;
        star << QPointF(16 + radius * std::cos(angle), 17 + radius * std::sin(angle));
    }
    p.setPen(QPen(QColor(0xB0, 0x80, 0x00), 1));
    p.setBrush(QColor(0xF5, 0xC2, 0x1B));
    p.drawPolygon(star);
}

QPixmap MakeQuestionnaireImage(int index)
{
    QPixmap pixmap = Blank(kQuestionnaireImageSize);
    QPainter p(&pixmap);
    Prepare(p);
    switch (index) {
    case 1: DrawBook(p); break;
    case 2: DrawChecklist(p); break;
    case 3: DrawStopwatch(p); break;
    case 4: DrawCards(p); break;
    case 5: DrawQuestionBubble(p); break;
    case 6: DrawBulb(p); break;
    case 7: DrawStar(p); break;
    default: DrawSheet(p); break;
    }
    return pixmap;
}

QPixmap MakeMark(bool right)
{
    QPixmap pixmap = Blank(kMarkSize);
    QPainter p(&pixmap);
    Prepare(p);
    const QRectF disc(1, 1, 22, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(right ? kGreen : kRed);
    p.drawEllipse(disc);
    if (right)
        DrawTick(p, disc, Qt::white, 3);
    else
        DrawCross(p, disc, Qt::white, 3);
    return pixmap;
}

QPixmap MakeTickBox(int id)
{
    QPixmap pixmap = Blank(kMarkSize);
    QPainter p(&pixmap);
    Prepare(p);
    const QRectF box(3.5, 3.5, 17, 17);
    QColor border = kOutline;
    QColor fill = Qt::white;
    switch (id) {
    case kIconTickedRight: border = kGreen; fill = kGreen; break;
    case kIconTickedWrong: border = kRed; fill = kRed; break;
    case kIconMissed: border = kGreen; break;
    case kIconUntickedRight: fill = QColor(0xF2, 0xF2, 0xF2); break;
    default: break;
    }
    p.setPen(QPen(border, id == kIconMissed ? 2 : 1.2));
    p.setBrush(fill);
    p.drawRoundedRect(box, 2, 2);
    switch (id) {
    case kIconBoxTicked: DrawTick(p, box, kInk, 2.4); break;
    case kIconTickedRight:
    case kIconTickedWrong: DrawTick(p, box, Qt::white, 2.4); break;
    case kIconMissed:
        // The tick that should have been set, drawn pale.
        DrawTick(p, box, QColor(0x9E, 0xD3, 0xA8), 2.4);
        break;
    default: break;
    }
    return pixmap;
}

QPixmap MakeMediaIcon(int id)
{
    QPixmap pixmap = Blank(kMediaIconSize);
    QPainter p(&pixmap);
    Prepare(p);
    p.setPen(Qt::NoPen);
    if (id == kIconPlay) {
        p.setBrush(kGreen);
        p.drawPolygon(QPolygonF({QPointF(5, 3), QPointF(17, 10), QPointF(5, 17)}));
    } else if (id == kIconPause) {
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(4, 3, 4.5, 14), 1, 1);
        p.drawRoundedRect(QRectF(11.5, 3, 4.5, 14), 1, 1);
    } else {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(QColor(0xD9, 0xEC, 0xFF));
        p.drawRect(QRectF(1.5, 3.5, 17, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xF5, 0xC2, 0x1B));
        p.drawEllipse(QRectF(12, 5.5, 4, 4));
        p.setBrush(kGreen);
        p.drawPolygon(QPolygonF({QPointF(2, 16), QPointF(7.5, 8.5), QPointF(12, 16)}));
        p.setBrush(QColor(0x1F, 0x7A, 0x33));
        p.drawPolygon(QPolygonF({QPointF(8, 16), QPointF(12.5, 10.5), QPointF(18, 16)}));
    }
    return pixmap;
}

} // namespace

bool StatisticsShares(int index, int& rightTenths, int& wrongTenths)
{
    // Images 1-66 are laid out as a triangle: (11 - r) * (10 - r) / 2 + w + 1 for
    // r right tenths and w wrong tenths with r + w <= 10.
    for (int r = 0; r <= 10; ++r) {
        const int first = (11 - r) * (10 - r) / 2 + 1;
        const int w = index - first;
        if (w >= 0 && w <= 10 - r) {
            rightTenths = r;
            wrongTenths = w;
            return true;
        }
    }
    return false;
}

const QPixmap& TaskImage(int index)
{
    static const std::array<QPixmap, kTaskImageCount> images = [] {
        std::array<QPixmap, kTaskImageCount> all;
        for (int i = 0; i < kTaskImageCount; ++i)
            all[std::size_t(i)] = MakeTaskImage(i);
        return all;
    }();
    static const QPixmap none = Blank(kTaskImageSize);
    if (index < 0 || index >= kTaskImageCount)
        return none;
    return images[std::size_t(index)];
}

const QPixmap& QuestionnaireImage(int index)
{
    static const std::array<QPixmap, kQuestionnaireImageCount> images = [] {
        std::array<QPixmap, kQuestionnaireImageCount> all;
        for (int i = 0; i < kQuestionnaireImageCount; ++i)
            all[std::size_t(i)] = MakeQuestionnaireImage(i);
        return all;
    }();
    if (index < 0 || index >= kQuestionnaireImageCount)
        index = 0;
    return images[std::size_t(index)];
}

const QPixmap& IconImage(int id)
{
    static const std::map<int, QPixmap> icons = [] {
        std::map<int, QPixmap> all;
        all[kIconRight] = MakeMark(true);
        all[kIconWrong] = MakeMark(false);
        for (int id = kIconBoxEmpty; id <= kIconUntickedRight; ++id)
            all[id] = MakeTickBox(id);
        for (int id : {kIconPlay, kIconPause, kIconPicture})
            all[id] = MakeMediaIcon(id);
        return all;
    }();
    static const QPixmap none;
    const auto it = icons.find(id);
    return it == icons.end() ? none : it->second;
}

} // namespace ViewImages
