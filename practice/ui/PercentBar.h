#pragma once
// A self-drawn progress bar: a filled part in the bar colour, the rest in the background
// colour and one centred text (the percentage or a text of the owner's) that changes
// colour exactly where the bar's edge passes under it. The exam countdown uses it.

#include <QColor>
#include <QString>
#include <QWidget>

class cPercentBar : public QWidget {
    Q_OBJECT
public:
    explicit cPercentBar(QWidget* parent = nullptr);

    /// Sets both bounds; repaints only at the next position change or text change.
    void SetRange(int lower, int upper);
    /// Stores the position and repaints at once when the filled width changes.
    /// Returns the previous position.
    int SetPos(int position);
    void SetBarColour(const QColor& colour) { m_barColour = colour; }
    void SetBgColour(const QColor& colour) { m_bgColour = colour; }
    void SetTextColour(const QColor& colour) { m_textColour = colour; }
    void SetTextColourOnBar(const QColor& colour) { m_textColourOnBar = colour; }
    /// The owner's text, shown instead of the percentage; an empty text brings the
    /// percentage back.
    void SetWindowText(const QString& text);
    void SetShowText(bool show);

    [[nodiscard]] int Pos() const { return m_nPos; }
    [[nodiscard]] int Lower() const { return m_nLower; }
    [[nodiscard]] int Upper() const { return m_nUpper; }
    [[nodiscard]] QString WindowText() const { return m_strText; }
    [[nodiscard]] QColor BarColour() const { return m_barColour; }
    [[nodiscard]] QColor BgColour() const { return m_bgColour; }
    [[nodiscard]] QColor TextColour() const { return m_textColour; }
    [[nodiscard]] QColor TextColourOnBar() const { return m_textColourOnBar; }
    /// The text drawn now: the owner's text, else the whole percentage ("37%").
    [[nodiscard]] QString DisplayText() const;
    /// Width in pixels of the filled part for the current position and size.
    [[nodiscard]] int FilledWidth() const;
    /// Number of paints so far; lets callers see that an unchanged width did not repaint.
    [[nodiscard]] int PaintCount() const { return m_nPaintCount; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int m_nPos = 0;
    int m_nUpper = 100;
    int m_nLower = 0;
    QString m_strText;
    bool m_bShowText = true;
    int m_nBarWidth = -1; // filled width at the last redraw; -1 forces the next one
    QColor m_barColour;
    QColor m_bgColour;
    QColor m_textColour;
    QColor m_textColourOnBar;
    int m_nPaintCount = 0;
};
