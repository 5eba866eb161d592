#pragma once
// Keyboard and screen-reader access of the training view: accessible names and
// descriptions (German) for every control, the Tab order, multiple-choice rows that take
// the focus and tick with Space, and announcements of the verdict and the countdown.

#include <QObject>
#include <QString>

class CVendrillView;
class QLabel;

class CViewAccessibility : public QObject {
    Q_OBJECT
public:
    explicit CViewAccessibility(CVendrillView& view);

    /// The last text announced to screen readers.
    [[nodiscard]] const QString& LastAnnouncement() const { return m_strLast; }

signals:
    /// A text was announced (the verdict, the remaining time).
    void Announced(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refresh();
    void Announce(const QString& text);

    CVendrillView& m_view;
    QLabel* m_pAnnouncer = nullptr;
    QString m_strLast;
    int m_nCheckCount = 0;
    int m_nElapsed = -1; // countdown seconds at the last tick, -1 outside the exam
};
