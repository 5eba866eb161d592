#include "practice/ui/SearchBar.h"

#include "data/Document.h"
#include "practice/Query.h"
#include "practice/ui/VendrillView.h"
#include "ui/Text.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

namespace {

constexpr int kBarHeight = 28;

} // namespace

CSearchBar::CSearchBar(CVendrillView& view) : QWidget(&view), m_view(view)
{
    setObjectName(QStringLiteral("searchBar"));
    m_pLabel = new QLabel(QStringLiteral("&Suchen:"), this);
    m_pField = new QLineEdit(this);
    m_pField->setObjectName(QStringLiteral("searchField"));
    m_pField->setClearButtonEnabled(true);
    m_pField->setPlaceholderText(QStringLiteral("Nummer, Frage, Lösung, Muster oder Kategorie"));
    m_pField->setAccessibleName(QStringLiteral("Aufgaben suchen"));
    m_pField->setAccessibleDescription(QStringLiteral(
        "Zeigt nur die Aufgaben, deren Nummer, Frage, Lösung, Muster oder Kategorie den Text "
        "enthält. Escape beendet die Suche."));
    m_pLabel->setBuddy(m_pField);
    m_pCount = new QLabel(this);
    m_pCount->setObjectName(QStringLiteral("searchCount"));
    m_pClose = new QToolButton(this);
    m_pClose->setObjectName(QStringLiteral("searchClose"));
    m_pClose->setText(QStringLiteral("×"));
    m_pClose->setToolTip(QStringLiteral("Suche beenden (Esc)"));
    m_pClose->setAccessibleName(QStringLiteral("Suche beenden"));
    m_pClose->setAutoRaise(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_pLabel);
    row->addWidget(m_pField, 1);
    row->addWidget(m_pCount);
    row->addWidget(m_pClose);
    hide();

    connect(m_pField, &QLineEdit::textEdited, this, &CSearchBar::OnTextEdited);
    // The clear button changes the text without textEdited.
    connect(m_pField, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_bOpen && text.isEmpty())
            OnTextEdited(text);
    });
    connect(m_pClose, &QToolButton::clicked, this, &CSearchBar::Close);
    m_pField->installEventFilter(this);
    connect(&m_view, &CVendrillView::CommandStateChanged, this, &CSearchBar::OnViewChanged);
    auto* next = new QShortcut(QKeySequence(Qt::Key_F3), &m_view);
    next->setContext(Qt::WidgetWithChildrenShortcut);
    connect(next, &QShortcut::activated, this, [this] { m_view.Query().StepSearch(1); });
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), &m_view);
    previous->setContext(Qt::WidgetWithChildrenShortcut);
    connect(previous, &QShortcut::activated, this, [this] { m_view.Query().StepSearch(-1); });
}

void CSearchBar::Open()
{
    cQuery& query = m_view.Query();
    if (query.ExamActive() || query.EvaluationActive() || query.Mode() < ModeOverview)
        return;
    if (!m_bOpen) {
        m_bFromOverview = query.Mode() == ModeOverview;
        if (m_bFromOverview) {
            // The overview has no rows of its own: the search runs over every task.
            const int all = static_cast<int>(query.Document().m_data.m_aQuestionnaires.size()) - 1;
            if (all < 0)
                return;
            query.OpenQuestionnaire(all);
        } else if (query.Mode() != ModeTaskList) {
            query.SetViewMode(ModeTaskList);
        }
        m_bOpen = true;
        m_pField->clear();
        query.SetSearchText(std::string());
        show();
    }
    m_pField->setFocus(Qt::ShortcutFocusReason);
    m_pField->selectAll();
    OnViewChanged();
}

void CSearchBar::Close()
{
    if (!m_bOpen)
        return;
    m_bOpen = false;
    hide();
    cQuery& query = m_view.Query();
    query.EndSearch();
    if (m_bFromOverview && query.Mode() == ModeTaskList)
        query.OnBack();
    else
        query.SetViewMode(query.Mode(), true); // lays the list out without the bar
}

bool CSearchBar::HandleEscape()
{
    if (!m_bOpen || m_view.Query().Mode() != ModeTaskList)
        return false;
    Close();
    return true;
}

int CSearchBar::Place(int left, int top, int width, bool taskListShown)
{
    const bool shown = m_bOpen && taskListShown;
    setVisible(shown);
    if (!shown)
        return top;
    setGeometry(left, top, width, kBarHeight);
    return top + kBarHeight + 4;
}

bool CSearchBar::eventFilter(QObject* watched, QEvent* event)
{
    // Enter goes to the found task, as F3 does; the field would pass the key on to the
    // question screen, which would take it as "OK".
    if (watched == m_pField && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_view.Query().StepSearch(1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CSearchBar::OnTextEdited(const QString& text)
{
    if (!m_bOpen)
        return;
    m_view.Query().SetSearchText(ToCp1252(text));
}

void CSearchBar::OnViewChanged()
{
    if (!m_bOpen)
        return;
    const cQuery& query = m_view.Query();
    // The exam works on a questionnaire of its own; a search must not narrow it.
    if (query.ExamActive() || query.EvaluationActive() || !query.Searching()) {
        Close();
        return;
    }
    const int found = query.RowCount();
    const QString count = found == 1 ? QStringLiteral("1 Treffer")
                                     : QStringLiteral("%1 Treffer").arg(found);
    if (m_pCount->text() != count) {
        m_pCount->setText(count);
        m_pCount->setAccessibleName(count);
    }
}
