#pragma once
// Drives modal windows (message boxes, dialogs) from a test: each step waits for the
// modal window it recognises, acts on it (clicks are queued, so the step returns before
// any nested box opens) and hands over to the next step. Nothing is left waiting: after a
// timeout the script closes whatever modal window is still up and reports the failure.

#include <QtWidgets>

#include <functional>
#include <vector>

class ModalScript : public QObject {
public:
    /// A step gets the active modal window and returns true once it has acted on it.
    using Step = std::function<bool(QWidget* modal)>;

    explicit ModalScript(std::vector<Step> steps, int timeoutMs = 10000)
        : m_steps(std::move(steps)), m_timeoutMs(timeoutMs) {
        connect(&m_timer, &QTimer::timeout, this, &ModalScript::Tick);
        m_clock.start();
        m_timer.start(15);
    }

    /// True when every step has run.
    [[nodiscard]] bool Done() const { return m_next >= m_steps.size(); }
    /// True when the script gave up and closed a window.
    [[nodiscard]] bool TimedOut() const { return m_timedOut; }

    /// Runs action, which opens the modal windows, under a script of steps; true when
    /// every step ran.
    static bool Run(std::vector<Step> steps, const std::function<void()>& action) {
        ModalScript script(std::move(steps));
        action();
        return script.Done();
    }

    /// A step for the window named objectName: act on it, then press its button
    /// numbered button ("ctl<button>").
    static Step On(const QString& objectName, std::function<void(QWidget&)> act, int button) {
        return [objectName, act, button](QWidget* modal) {
            if (modal->objectName() != objectName)
                return false;
            if (act)
                act(*modal);
            Click(modal->findChild<QAbstractButton*>(QStringLiteral("ctl%1").arg(button)));
            return true;
        };
    }

    /// Clicks a button after the current event has been handled.
    static void Click(QAbstractButton* button) {
        QTimer::singleShot(0, button, [b = QPointer<QAbstractButton>(button)] { if (b) b->click(); });
    }

private:
    void Tick() {
        QWidget* modal = QApplication::activeModalWidget();
        if (Done()) {
            m_timer.stop();
        } else if (m_clock.elapsed() > m_timeoutMs) {
            m_timedOut = true;
            if (modal)
                QTimer::singleShot(0, modal, [m = QPointer<QWidget>(modal)] { if (m) m->close(); });
        } else if (modal && modal->isVisible() && m_steps[m_next](modal)) {
            ++m_next;
        }
    }

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    int m_timeoutMs;
    bool m_timedOut = false;
    QTimer m_timer;
    QElapsedTimer m_clock;
};
