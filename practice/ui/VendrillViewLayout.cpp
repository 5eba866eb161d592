// The training view's layout: where each control of the form goes for the mode the
// query is in, and the widgets set from the query's state.

#include "practice/ui/VendrillView.h"

#include "practice/Query.h"
#include "practice/TaskList.h"
#include "practice/ui/ListModels.h"
#include "practice/ui/PercentBar.h"
#include "practice/ui/SearchBar.h"
#include "practice/ui/ViewImages.h"
#include "ui/Text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>

#include <algorithm>

namespace {

// Question area offsets in pixels.
constexpr int kLeft = 15;
constexpr int kResultTop = 35;
constexpr int kMarkGap = 15;          // marks and rating buttons right of the result text
constexpr int kRadioStep = 20;
constexpr int kPointsOffset = 115;    // points list right of the result text
constexpr int kFirstChoiceGap = 35;
constexpr int kChoiceStep = 30;
constexpr int kAnswerGap = 35;
constexpr int kAnswerWidth = 500;
constexpr int kAnswerHeight = 125;
constexpr int kButtonGap = 50;
constexpr int kButtonHeight = 30;
constexpr int kTaskListGap = 110;
constexpr int kListTop = 30;

// Core texts separate lines with "\r\n"; a label wants "\n" alone.
QString ViewText(const std::string& bytes)
{
    QString text = ToQString(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QColor Rgb(std::uint32_t rgb)
{
    return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}

} // namespace

int CVendrillView::FitText(QLabel* label, const QString& text, int left, int top)
{
    // Word-wrapped at the client width less the room for the marks, then shrunk to the
    // text so that the marks can sit right beside it.
    const int maxWidth = std::max(width() - kResultTextMargin, 50);
    const QFontMetrics metrics(label->font());
    QRect bounds = metrics.boundingRect(QRect(0, 0, maxWidth, 10),
                                        Qt::AlignLeft | Qt::TextWordWrap, text);
    const int w = std::min(bounds.width() + 2, maxWidth);
    const int h = std::max(bounds.height(), metrics.height());
    label->setText(text);
    label->setGeometry(left, top, w, h);
    return w;
}

void CVendrillView::LayOut()
{
    if (!m_bReady || m_bClosing)
        return;
    m_bSyncing = true;
    const cScreen screen = m_query->Screen();
    const int mode = m_query->Mode();
    const int cw = width();
    const int ch = height();

    // A heading wider than the window ends in "…"; its tool tip shows it whole.
    const QString heading = ViewText(m_query->Heading());
    const QString shownHeading =
        m_pHeading->fontMetrics().elidedText(heading, Qt::ElideRight, std::max(cw - 10, 0));
    m_pHeading->setText(shownHeading);
    m_pHeading->setToolTip(shownHeading == heading ? QString() : heading);
    m_pHeading->setGeometry(5, 5, cw - 10, 20);
    m_pHeading->setVisible(screen.heading);
    ApplyBackground(mode);

    int taskListTop = kListTop;
    const bool question = mode >= ModeQuestion && mode <= ModeRating;
    if (question) {
        PlaceQuestionArea(taskListTop);
    } else {
        for (QWidget* w : std::initializer_list<QWidget*>{
                 m_pResultText, m_pAnswer, m_pOk, m_pSkip, m_pShowSolution, m_pEdit, m_pPlay,
                 m_pPause, m_pPicture, m_pRadioRight, m_pRadioPartly, m_pRadioWrong, m_pPoints,
                 m_pRightMark, m_pWrongMark})
            w->hide();
        for (int i = 0; i < kViewChoiceRows; ++i) {
            m_pTick[i]->hide();
            m_pChoice[i]->hide();
        }
        if (mode == ModeOverview)
            SyncAnswerField();
    }

    m_pQuestionnaireList->setGeometry(5, kListTop, cw - 10, std::max(ch - 50, 0));
    m_pQuestionnaireList->setVisible(screen.questionnaireList);
    m_pExamBar->setGeometry(5, ch - 30, cw - 10, 25);
    m_pExamBar->setVisible(screen.examBar);
    taskListTop = m_pSearchBar->Place(5, taskListTop, cw - 10, screen.taskList);
    const int listHeight = ch - taskListTop - 40 + (screen.examBar ? 0 : 25);
    const QRect listRect(5, taskListTop, cw - 10, std::max(listHeight, 0));
    m_pTaskList->setGeometry(listRect);
    m_pTaskIcons->setGeometry(listRect);
    m_pTaskList->setVisible(screen.taskList && m_bDetailView);
    m_pTaskIcons->setVisible(screen.taskList && !m_bDetailView);
    m_bSyncing = false;
}

void CVendrillView::PlaceQuestionArea(int& taskListTop)
{
    const cScreen screen = m_query->Screen();
    const int mode = m_query->Mode();

    // Result text and, right beside it, the marks or the rating buttons.
    const int textWidth = FitText(m_pResultText, ViewText(m_query->ResultText()), kLeft,
                                  kResultTop);
    m_pResultText->setVisible(screen.resultText);
    int bottom = screen.resultText ? m_pResultText->geometry().bottom() + 1 : kResultTop;
    const int markX = kLeft + textWidth + kMarkGap;
    auto place = [&bottom](QWidget* w, int x, int y, bool visible) {
        w->adjustSize();
        w->move(x, y);
        w->setVisible(visible);
        if (visible)
            bottom = std::max(bottom, w->geometry().bottom() + 1);
    };
    place(m_pRightMark, markX, kResultTop, screen.rightMark);
    place(m_pWrongMark, markX, kResultTop, screen.wrongMark);
    SyncAssessment();
    place(m_pRadioRight, markX, kResultTop, screen.radioRight);
    place(m_pRadioPartly, markX, kResultTop + kRadioStep, screen.radioPartly);
    place(m_pRadioWrong, markX, kResultTop + 2 * kRadioStep, screen.radioWrong);
    place(m_pPoints, kLeft + textWidth + kPointsOffset, kResultTop + kRadioStep,
          screen.pointsList);
    if (screen.pointsList) {
        // Keep the list clear of the "Teilrichtig" button beside it.
        const int minX = m_pRadioPartly->geometry().right() + 8;
        if (m_pPoints->x() < minX)
            m_pPoints->move(minX, m_pPoints->y());
    }

    // Multiple-choice rows below the result text.
    const int resultBottom = m_pResultText->geometry().bottom() + 1;
    int rowTop = resultBottom + kFirstChoiceGap;
    for (int i = 0; i < kViewChoiceRows; ++i) {
        const bool shown = i < screen.choiceRows;
        m_pTick[i]->setVisible(shown);
        m_pChoice[i]->setVisible(shown);
        if (!shown)
            continue;
        m_pTick[i]->setPixmap(ViewImages::IconImage(screen.tickIcon[std::size_t(i)]));
        m_pTick[i]->setProperty("iconId", screen.tickIcon[std::size_t(i)]);
        m_pTick[i]->resize(ViewImages::kMarkSize);
        m_pTick[i]->move(kLeft, rowTop);
        const int textLeft = ViewImages::kMarkSize.width() + kLeft;
        FitText(m_pChoice[i], ViewText(m_query->ChoiceText(i)), textLeft, rowTop + 3);
        const int rowBottom = std::max(m_pTick[i]->geometry().bottom(),
                                       m_pChoice[i]->geometry().bottom()) + 1;
        bottom = std::max(bottom, rowBottom);
        rowTop = std::max(rowTop + kChoiceStep, rowBottom + 6);
    }

    // The answer field, unless the task is answered by ticks.
    SyncAnswerField();
    int buttonTop = bottom + kButtonGap;
    int answerBottom = bottom;
    if (screen.answerField) {
        m_pAnswer->setGeometry(kLeft, bottom + kAnswerGap, kAnswerWidth, kAnswerHeight);
        answerBottom = m_pAnswer->geometry().bottom() + 1;
        buttonTop = answerBottom + kButtonGap;
    }
    m_pAnswer->setVisible(screen.answerField);
    m_pAnswer->setReadOnly(screen.answerReadOnly);

    // The button row.
    const int mediaSize = kButtonHeight + 6;
    auto row = [buttonTop](QPushButton* b, int x, int w, bool visible) {
        b->setGeometry(x, buttonTop, w, kButtonHeight + 6);
        b->setVisible(visible);
    };
    row(m_pPlay, 15, mediaSize, screen.play);
    row(m_pPause, 55, mediaSize, screen.pause);
    row(m_pPicture, 95, mediaSize, screen.picture);
    row(m_pShowSolution, 165, 120, screen.showSolution);
    row(m_pSkip, 292, 105, screen.skip);
    row(m_pOk, 405, 100, screen.ok);
    // The edit button goes with the other buttons of the question screens; without an
    // editor to open it stays visible but disabled.
    row(m_pEdit, 515, 100, screen.edit);
    m_pEdit->setEnabled(bool(m_taskEditor));
    taskListTop = answerBottom + kTaskListGap;
    (void)mode;
}

void CVendrillView::SyncAnswerField()
{
    // While the query holds what was taken from the field, the field keeps what the
    // user typed: writing it back would turn characters outside Windows-1252 into "?"
    // and move the caret. Only an answer from elsewhere (another task) is shown.
    const std::string& answer = m_query->AnswerText();
    if (answer == m_strTakenAnswer)
        return;
    m_strTakenAnswer = answer;
    const bool was = m_bSyncing;
    m_bSyncing = true;
    m_pAnswer->setPlainText(ViewText(answer));
    m_pAnswer->moveCursor(QTextCursor::End);
    m_bSyncing = was;
}

void CVendrillView::SyncAssessment()
{
    const bool was = m_bSyncing;
    m_bSyncing = true;
    const std::vector<std::string>& entries = m_query->PointsEntries();
    bool same = int(entries.size()) == m_pPoints->count();
    for (int i = 0; same && i < m_pPoints->count(); ++i)
        same = m_pPoints->itemText(i) == ToQString(entries[std::size_t(i)]);
    if (!same) {
        m_pPoints->clear();
        for (const std::string& entry : entries)
            m_pPoints->addItem(ToQString(entry));
    }
    m_pPoints->setCurrentIndex(m_query->PointsSelection());
    // An exclusive group cannot uncheck its last button; lift that for the moment.
    const int choice = m_query->AssessChoiceValue();
    m_pAssessGroup->setExclusive(false);
    m_pRadioRight->setChecked(choice == AssessRight);
    m_pRadioPartly->setChecked(choice == AssessPartly);
    m_pRadioWrong->setChecked(choice == AssessWrong);
    m_pAssessGroup->setExclusive(true);
    m_bSyncing = was;
}

void CVendrillView::SyncTaskSelection()
{
    const int rows = m_pTaskModel->rowCount();
    int row = m_query->SelectionMark();
    if (row < 0 || row >= rows)
        row = m_query->CurrentRow();
    const bool was = m_bSyncing;
    m_bSyncing = true;
    QItemSelectionModel* selection = m_pTaskList->selectionModel();
    if (row >= 0 && row < rows) {
        const QModelIndex index = m_pTaskModel->index(row, 0);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
        m_pTaskIcons->selectionModel()->setCurrentIndex(
            m_pIconProxy->mapFromSource(index), QItemSelectionModel::ClearAndSelect);
        if (m_bDetailView)
            m_pTaskList->scrollTo(index);
        else
            m_pTaskIcons->scrollTo(m_pIconProxy->mapFromSource(index));
    } else {
        selection->clear();
        m_pTaskIcons->selectionModel()->clear();
    }
    m_bSyncing = was;
}

void CVendrillView::SyncQuestionnaireSelection()
{
    const int row = m_query->CurrentQuestionnaire();
    const bool was = m_bSyncing;
    m_bSyncing = true;
    if (row >= 0 && row < m_pQuestionnaireModel->rowCount()) {
        const QModelIndex index = m_pQuestionnaireModel->index(row, 0);
        m_pQuestionnaireList->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect);
        m_pQuestionnaireList->scrollTo(index);
    } else {
        m_pQuestionnaireList->selectionModel()->clear();
    }
    m_bSyncing = was;
}

void CVendrillView::SyncSortIndicator()
{
    QHeaderView* header = m_pTaskList->horizontalHeader();
    // The arrow stands for the order of the rows: a freshly loaded questionnaire is in
    // its own order even though the view remembers the last sorted column.
    const int column = m_bRowsSorted ? m_query->SortColumn() : -1;
    header->setSortIndicatorShown(column >= 0);
    if (column >= 0)
        header->setSortIndicator(column, m_query->SortAscending() ? Qt::AscendingOrder
                                                                 : Qt::DescendingOrder);
}

void CVendrillView::ApplyColumnWidths()
{
    // The file's widths were chosen for a smaller font; the statistics column gets at
    // least the room its image and widest counters need, so they are not cut off.
    QStyleOptionViewItem cell;
    cell.initFrom(m_pTaskList);
    cell.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    cell.decorationSize = ViewImages::kTaskImageSize;
    cell.icon = QIcon(ViewImages::TaskImage(0));
    cell.text = QStringLiteral("99 / 99 / 99");
    const int statistics = m_pTaskList->style()
                               ->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(),
                                                  m_pTaskList)
                               .width();
    for (int c = 0; c < m_pTaskModel->columnCount(); ++c) {
        int w = m_query->ColumnWidth(c);
        if (m_query->ColumnKind(c) == ColumnStatistics)
            w = std::max(w, statistics);
        m_pTaskList->setColumnWidth(c, w);
    }
}

void CVendrillView::ApplyExamBar()
{
    const cExamBar& bar = m_query->ExamBar();
    m_pExamBar->SetWindowText(ToQString(bar.text));
    m_pExamBar->SetBarColour(Rgb(bar.barColour));
    m_pExamBar->SetTextColour(Rgb(bar.textColour));
    m_pExamBar->SetTextColourOnBar(Rgb(bar.textColourOnBar));
    m_pExamBar->SetRange(bar.lower, bar.upper);
    m_pExamBar->SetPos(bar.pos);
    m_pExamBar->update();
}

void CVendrillView::ApplyBackground(int mode)
{
    // The question screens stand on white; the lists keep the window's own colours.
    const bool white = mode >= ModeQuestion;
    if (white == autoFillBackground() && m_nShownMode >= 0)
        return;
    QPalette pal = QApplication::palette(this);
    if (white)
        pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(white);
    m_nShownMode = mode;
}

void CVendrillView::FocusForMode(int mode)
{
    switch (mode) {
    case ModeOverview:
        m_pQuestionnaireList->setFocus();
        break;
    case ModeTaskList:
        if (QAbstractItemView* list = ActiveTaskView())
            list->setFocus();
        break;
    case ModeQuestion:
        if (m_pAnswer->isVisible())
            m_pAnswer->setFocus();
        else
            m_pOk->setFocus();
        break;
    case ModeResult:
    case ModeRating:
        m_pOk->setFocus();
        break;
    default:
        break;
    }
}
