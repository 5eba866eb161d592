#include "practice/ui/ViewAccessibility.h"

#include "data/Document.h"
#include "practice/Query.h"
#include "practice/Speech.h"
#include "practice/ui/VendrillView.h"
#include "ui/Text.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLabel>
#include <QWidget>

#include <initializer_list>

namespace {

QWidget* Control(CVendrillView& view, const char* name)
{
    return view.findChild<QWidget*>(QString::fromLatin1(name));
}

QString TickName(int i)
{
    return QStringLiteral("ctl%1").arg(1077 + i);
}

} // namespace

CViewAccessibility::CViewAccessibility(CVendrillView& view) : QObject(&view), m_view(view)
{
    struct Name {
        const char* control;
        const char* name;
        const char* description;
    };
    static const Name kNames[] = {
        {"ctl1009", "Fragebögen", "Doppelklick oder Eingabetaste öffnet den Fragebogen"},
        {"ctl1002", "Aufgabenliste", "Doppelklick oder Eingabetaste beginnt bei der Aufgabe"},
        {"ctl1002Icons", "Aufgabenliste", "Doppelklick oder Eingabetaste beginnt bei der Aufgabe"},
        {"ctl1000", "Antwort", "Strg+Eingabe prüft die Antwort"},
        {"ctl1003", "OK", "Prüft die Antwort oder geht weiter"},
        {"ctl1004", "Überspringen", "Geht ohne Antwort zur nächsten Aufgabe"},
        {"ctl1014", "Lösung anzeigen", nullptr},
        {"ctl1013", "Aufgabe bearbeiten", nullptr},
        {"ctl1076", "Punkte", "Erreichte Punkte bei teilweise richtiger Antwort"},
        {"ctl1011", "Richtig", nullptr},
        {"ctl1012", "Falsch", nullptr},
        {"ctl1063", "Verbleibende Zeit", nullptr},
        {"ctl1064", "Überschrift", nullptr},
        {"ctl1010", "Ergebnis", nullptr},
    };
    for (const Name& n : kNames) {
        if (QWidget* w = Control(view, n.control)) {
            w->setAccessibleName(QString::fromUtf8(n.name));
            if (n.description)
                w->setAccessibleDescription(QString::fromUtf8(n.description));
        }
    }

    // Tab goes down the screen: search, lists, the answer rows and field, the rating,
    // then the buttons.
    const char* const kOrder[] = {"searchField", "searchClose", "ctl1009", "ctl1002",
                                  "ctl1002Icons", "ctl1077", "ctl1078", "ctl1079", "ctl1000",
                                  "ctl1071", "ctl1072", "ctl1070", "ctl1076", "ctl1003",
                                  "ctl1004", "ctl1014", "ctl1013", "ctl1006", "ctl1073",
                                  "ctl1007"};
    QWidget* previous = nullptr;
    for (const char* name : kOrder) {
        QWidget* w = Control(view, name);
        if (!w)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
    for (int i = 0; i < kViewChoiceRows; ++i) {
        if (auto* tick = view.findChild<QLabel*>(TickName(i))) {
            tick->setFocusPolicy(Qt::TabFocus);
            tick->setStyleSheet(QStringLiteral("QLabel:focus { border: 2px solid palette(highlight); }"));
            tick->setAccessibleDescription(QStringLiteral("Leertaste kreuzt an oder entfernt das Kreuz"));
            tick->installEventFilter(this);
        }
    }

    // A one-pixel label that screen readers hear as an alert.
    m_pAnnouncer = new QLabel(&view);
    m_pAnnouncer->setObjectName(QStringLiteral("announcement"));
    m_pAnnouncer->setGeometry(0, 0, 1, 1);
    m_pAnnouncer->setFocusPolicy(Qt::NoFocus);

    connect(&view, &CVendrillView::CommandStateChanged, this, &CViewAccessibility::Refresh);
}

bool CViewAccessibility::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        for (int i = 0; i < kViewChoiceRows; ++i)
            if (watched->objectName() == TickName(i)) {
                m_view.Query().OnTickRow(i);
                return true;
            }
    }
    return QObject::eventFilter(watched, event);
}

void CViewAccessibility::Refresh()
{
    cQuery& query = m_view.Query();
    const cTask* task = query.CurrentTask();
    if (QWidget* answer = Control(m_view, "ctl1000")) {
        const QString name = task && !task->m_strTaskNo.empty()
                                 ? QStringLiteral("Antwort zu Aufgabe %1").arg(ToQString(task->m_strTaskNo))
                                 : QStringLiteral("Antwort");
        if (answer->accessibleName() != name)
            answer->setAccessibleName(name);
    }
    const cScreen screen = query.Screen();
    for (int i = 0; i < screen.choiceRows && i < kViewChoiceRows; ++i) {
        if (auto* tick = m_view.findChild<QLabel*>(TickName(i))) {
            const QString name = QStringLiteral("Antwort %1: %2, %3")
                                     .arg(i + 1)
                                     .arg(ToQString(query.ChoiceText(i)),
                                          ToQString(TickSpeech(screen.tickIcon[i])));
            if (tick->accessibleName() != name)
                tick->setAccessibleName(name);
        }
    }

    // The verdict of every checked answer.
    if (query.CheckCount() != m_nCheckCount) {
        m_nCheckCount = query.CheckCount();
        if (!query.LastVerdictText().empty())
            Announce(ToQString(query.LastVerdictText()));
    }

    // The countdown: once a minute, and when 70 % and 90 % of the time have passed.
    const cExamBar& bar = query.ExamBar();
    const bool counting = query.ExamActive() && bar.upper > 1;
    if (!counting) {
        m_nElapsed = -1;
        return;
    }
    const int elapsed = bar.upper - bar.pos;
    if (m_nElapsed >= 0) {
        const std::string speech = CountdownSpeech(bar.upper, m_nElapsed, elapsed);
        if (!speech.empty())
            Announce(ToQString(speech));
    }
    m_nElapsed = elapsed;
    if (QWidget* w = Control(m_view, "ctl1063"))
        w->setAccessibleDescription(ToQString(bar.text));
}

void CViewAccessibility::Announce(const QString& text)
{
    m_strLast = text;
    m_pAnnouncer->setAccessibleName(text);
    QAccessibleEvent alert(m_pAnnouncer, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    emit Announced(text);
}
