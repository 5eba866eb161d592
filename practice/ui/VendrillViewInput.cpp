// The training view's input: clicks, keys and drags on its lists, the answer field and
// the multiple-choice rows, handed to the query.

#include "practice/ui/VendrillView.h"

#include "practice/Query.h"
#include "practice/ui/ListModels.h"
#include "base/Message.h"
#include "ui/Text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace {

// The answer as the core takes it: solutions separate lines with "\r\n", the field with
// "\n" alone.
std::string AnswerBytes(const QString& fieldText)
{
    QString text = fieldText;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return ToCp1252(text);
}

bool IsEnter(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

bool IsToggleKey(const QKeyEvent* key)
{
    return key->key() == Qt::Key_A && (key->modifiers() & Qt::ControlModifier) &&
           !(key->modifiers() & (Qt::AltModifier | Qt::ShiftModifier));
}

} // namespace

void CVendrillView::OpenOverviewRow(int row)
{
    if (!m_bReady || row < 0 || row >= m_pQuestionnaireModel->rowCount())
        return;
    m_query->OpenFromOverview(row);
}

void CVendrillView::OnTaskActivated(const QModelIndex& index)
{
    if (!m_bReady || !index.isValid())
        return;
    m_query->StartAt(index.row());
}

void CVendrillView::OnTaskCurrentChanged(const QModelIndex& current)
{
    if (m_bSyncing || !m_bReady || !current.isValid())
        return;
    m_query->SetSelectionMark(current.row());
}

void CVendrillView::OnAnswerTextChanged()
{
    if (m_bSyncing || !m_bReady || m_pAnswer->isReadOnly())
        return;
    const bool was = m_bSyncing;
    m_bSyncing = true;
    m_strTakenAnswer = AnswerBytes(m_pAnswer->toPlainText());
    m_query->SetAnswerText(m_strTakenAnswer);
    m_bSyncing = was;
}

void CVendrillView::OnAssessClicked(int id)
{
    if (m_bSyncing || !m_bReady)
        return;
    m_query->SetAssessChoice(id);
}

void CVendrillView::OnPointsActivated(int entry)
{
    if (m_bSyncing || !m_bReady)
        return;
    m_query->OnPartialPoints(entry);
}

void CVendrillView::OnHeaderClicked(int column)
{
    if (!m_bReady)
        return;
    m_bRowsSorted = true;
    m_query->OnColumnClick(column);
    SyncSortIndicator();
}

bool CVendrillView::HandleListKey(QAbstractItemView* list, QKeyEvent* key)
{
    if (key->key() == Qt::Key_Escape) {
        OnBack();
        return true;
    }
    if (IsToggleKey(key)) {
        OnToggleView();
        return true;
    }
    if (list != m_pQuestionnaireList && (key->key() == Qt::Key_Home || key->key() == Qt::Key_End)) {
        // The first or last task, with or without Ctrl: the rows are whole lines.
        const int rows = list->model()->rowCount();
        if (rows > 0) {
            const QModelIndex index = list->model()->index(key->key() == Qt::Key_Home ? 0 : rows - 1, 0);
            list->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            list->scrollTo(index);
        }
        return true;
    }
    if (!IsEnter(key))
        return false;
    if (list == m_pQuestionnaireList) {
        const int mode = m_query->Mode();
        if (mode >= ModeQuestion && mode <= ModeRating) {
            OnAnswerOk();
            return true;
        }
        const QModelIndexList selected = list->selectionModel()->selectedIndexes();
        const int row = selected.isEmpty() ? m_query->CurrentQuestionnaire()
                                           : selected.first().row();
        OpenOverviewRow(row);
        return true;
    }
    const int mark = m_query->SelectionMark();
    if (mark >= 0 && mark < m_query->RowCount())
        m_query->StartAt(mark);
    return true;
}

bool CVendrillView::HandleListMouse(QAbstractItemView* list, QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QModelIndex index = list->indexAt(mouse->position().toPoint());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton) {
            m_pPressList = list;
            m_pressPos = mouse->position().toPoint();
            m_nPressRow = index.isValid() ? index.row() : -1;
            m_bDragHandled = false;
        } else if (mouse->button() == Qt::RightButton && list != m_pQuestionnaireList) {
            return true; // a right click on the task list does nothing
        }
        return false;
    case QEvent::MouseMove:
        // Starting to drag a row opens it, as a double click does.
        if ((mouse->buttons() & Qt::LeftButton) && m_pPressList == list && !m_bDragHandled &&
            m_nPressRow >= 0 &&
            (mouse->position().toPoint() - m_pressPos).manhattanLength() >=
                QApplication::startDragDistance()) {
            m_bDragHandled = true;
            const int row = m_nPressRow;
            m_nPressRow = -1;
            if (list == m_pQuestionnaireList)
                OpenOverviewRow(row);
            else
                m_query->StartAt(row); // the small-icon proxy keeps the rows in place
            return true;
        }
        return m_bDragHandled && m_pPressList == list;
    case QEvent::MouseButtonRelease:
        m_pPressList = nullptr;
        if (list == m_pQuestionnaireList && !index.isValid()) {
            // A click beside the rows keeps the current questionnaire selected.
            SyncQuestionnaireSelection();
            return true;
        }
        return false;
    case QEvent::MouseButtonDblClick:
        if (list == m_pQuestionnaireList && !index.isValid()) {
            SyncQuestionnaireSelection();
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool CVendrillView::eventFilter(QObject* watched, QEvent* event)
{
    // While the view tears down its lists they still send events; none may reach them.
    if (m_bClosing)
        return false;
    if (!m_bReady)
        return QWidget::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(m_pQuestionnaireList),
                                    static_cast<QAbstractItemView*>(m_pTaskList),
                                    static_cast<QAbstractItemView*>(m_pTaskIcons)}) {
        // The lists want every key, Enter and Esc included.
        if (watched == list && type == QEvent::KeyPress) {
            if (HandleListKey(list, static_cast<QKeyEvent*>(event)))
                return true;
        }
        if (watched == list->viewport() &&
            (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
             type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick)) {
            if (HandleListMouse(list, event))
                return true;
        }
    }
    if (watched == m_pAnswer && type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl+Enter answers from the keyboard; a plain Enter is a line break. In the
        // read-only screens Enter goes on.
        if (IsEnter(key) &&
            ((key->modifiers() & Qt::ControlModifier) || m_pAnswer->isReadOnly())) {
            OnAnswerOk();
            return true;
        }
    }
    if (type == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < kViewChoiceRows; ++i) {
            if (watched == m_pTick[i] || watched == m_pChoice[i]) {
                m_query->OnTickRow(i);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CVendrillView::keyPressEvent(QKeyEvent* event)
{
    if (m_bReady) {
        if (event->key() == Qt::Key_Escape) {
            OnBack();
            return;
        }
        if (IsToggleKey(event)) {
            OnToggleView();
            return;
        }
        const int mode = m_query->Mode();
        // Keys 1 to 3 tick the multiple-choice rows, which cannot take the focus.
        const int digit = event->key() - Qt::Key_1;
        if (mode == ModeQuestion && digit >= 0 && digit < kViewChoiceRows &&
            !(event->modifiers() & ~Qt::KeypadModifier) && m_pTick[digit]->isVisible()) {
            m_query->OnTickRow(digit);
            return;
        }
        if (IsEnter(event) && mode >= ModeQuestion && mode <= ModeRating) {
            // Buttons outside a dialog ignore Enter; press the focused one here.
            auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
            if (focused && focused->parentWidget() == this && focused->isVisible() &&
                focused->isEnabled())
                focused->click();
            else
                OnAnswerOk();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

bool CVendrillView::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        // The quick help of a message now on screen, then the usual help handling.
        ShowQuickHelp();
    }
    return QWidget::event(event);
}

void CVendrillView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_bReady && !m_bClosing)
        m_query->SetViewMode(m_query->Mode(), true);
}

void CVendrillView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_bReady && !m_pTimer->isActive())
        m_pTimer->start();
}
