#pragma once
// The search bar above the task list ("Suchen..."): typing filters the rows of the
// query at once, Esc or the close button ends the search and restores the list, F3 and
// Shift+F3 step through the found tasks on a question screen.

#include <QWidget>

class CVendrillView;
class QLabel;
class QLineEdit;
class QToolButton;

class CSearchBar : public QWidget {
    Q_OBJECT
public:
    explicit CSearchBar(CVendrillView& view);

    /// Shows the bar and starts the search; in the overview it searches all tasks.
    void Open();
    /// Ends the search and restores the list as it was (the overview, when it began there).
    void Close();
    [[nodiscard]] bool IsOpen() const { return m_bOpen; }
    /// Esc from the view: closes an open search on the task list. True when it did.
    bool HandleEscape();
    /// Puts the bar at top when the task list is shown; returns where the list begins.
    int Place(int left, int top, int width, bool taskListShown);
    /// The text field (tests type into it).
    [[nodiscard]] QLineEdit* Field() const { return m_pField; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnTextEdited(const QString& text);
    void OnViewChanged();

    CVendrillView& m_view;
    QLabel* m_pLabel = nullptr;
    QLineEdit* m_pField = nullptr;
    QLabel* m_pCount = nullptr;
    QToolButton* m_pClose = nullptr;
    bool m_bOpen = false;
    bool m_bFromOverview = false;
};
