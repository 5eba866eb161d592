#include "practice/ui/PercentBar.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cstdint>

cPercentBar::cPercentBar(QWidget* parent) : QWidget(parent)
{
    const QPalette pal = palette();
    m_barColour = pal.color(QPalette::Highlight);
    m_bgColour = pal.color(QPalette::Base);
    m_textColour = pal.color(QPalette::Highlight);
    m_textColourOnBar = pal.color(QPalette::Base);
    // The paint covers every pixel, so Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void cPercentBar::SetRange(int lower, int upper)
{
    m_nLower = lower;
    m_nUpper = upper;
}

int cPercentBar::FilledWidth() const
{
    if (m_nUpper <= m_nLower)
        return 0;
    // Whole-number arithmetic: a floating fraction would turn 29 of 100 into 28.99...
    // and lose a pixel (or a percent) to truncation.
    const std::int64_t span = std::int64_t(m_nUpper) - m_nLower;
    const std::int64_t done = std::int64_t(m_nPos) - m_nLower;
    return int(done * width() / span);
}

int cPercentBar::SetPos(int position)
{
    const int old = m_nPos;
    m_nPos = position;
    const int barWidth = FilledWidth();
    if (barWidth != m_nBarWidth) {
        m_nBarWidth = barWidth;
        repaint();
    }
    return old;
}

void cPercentBar::SetWindowText(const QString& text)
{
    if (text == m_strText)
        return;
    m_strText = text;
    update();
}

void cPercentBar::SetShowText(bool show)
{
    if (show == m_bShowText)
        return;
    m_bShowText = show;
    update();
}

QString cPercentBar::DisplayText() const
{
    if (!m_strText.isEmpty())
        return m_strText;
    if (m_nUpper <= m_nLower)
        return QString();
    const std::int64_t span = std::int64_t(m_nUpper) - m_nLower;
    const std::int64_t done = std::int64_t(m_nPos) - m_nLower;
    return QStringLiteral("%1%").arg(done * 100 / span);
}

QSize cPercentBar::sizeHint() const
{
    return QSize(200, 25);
}

void cPercentBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_nBarWidth = -1;
}

void cPercentBar::paintEvent(QPaintEvent*)
{
    ++m_nPaintCount;
    if (m_nLower >= m_nUpper)
        return;
    // Qt's backing store already double-buffers: the painter draws off screen and the
    // result reaches the window in one step.
    QPainter painter(this);
    const QRect client = rect();
    // Positions outside the bounds give an empty or a full bar.
    const int filled = std::clamp(FilledWidth(), 0, client.width());
    const QRect barRect(client.left(), client.top(), filled, client.height());
    const QRect restRect(client.left() + filled, client.top(), client.width() - filled,
                         client.height());
    painter.fillRect(barRect, m_barColour);
    painter.fillRect(restRect, m_bgColour);
    if (!m_bShowText)
        return;
    const QString text = DisplayText();
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    painter.setClipRect(barRect);
    painter.setPen(m_textColourOnBar);
    painter.drawText(client, flags, text);
    painter.setClipRect(restRect);
    painter.setPen(m_textColour);
    painter.drawText(client, flags, text);
}
