#include "practice/ui/VendrillView.h"

#include "data/Document.h"
#include "data/ui/VendrillDoc.h"
#include "practice/Query.h"
#include "practice/TaskList.h"
#include "practice/ui/ListModels.h"
#include "practice/ui/PercentBar.h"
#include "practice/ui/SearchBar.h"
#include "practice/ui/ViewAccessibility.h"
#include "practice/ui/ViewImages.h"
#include "shell/Message.h"
#include "shell/Settings.h"
#include "ui/PictureDlg.h"
#include "ui/ProgramDir.h"
#include "ui/SoundPlayer.h"
#include "ui/Text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace {

// Control ids of the form, kept as object names so tests and readers can find them.
constexpr int kIdHeading = 1064;
constexpr int kIdResultText = 1010;
constexpr int kIdAnswer = 1000;
constexpr int kIdQuestionnaireList = 1009;
constexpr int kIdTaskList = 1002;
constexpr int kIdOk = 1003;
constexpr int kIdSkip = 1004;
constexpr int kIdShowSolution = 1014;
constexpr int kIdEdit = 1013;
constexpr int kIdPlay = 1006;
constexpr int kIdPause = 1073;
constexpr int kIdPicture = 1007;
constexpr int kIdRadioRight = 1071;
constexpr int kIdRadioPartly = 1072;
constexpr int kIdRadioWrong = 1070;
constexpr int kIdPoints = 1076;
constexpr int kIdRightMark = 1011;
constexpr int kIdWrongMark = 1012;
constexpr int kIdFirstTick = 1077;
constexpr int kIdFirstChoice = 1080;
constexpr int kIdExamBar = 1063;

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

QString Ctl(int id)
{
    return QStringLiteral("ctl%1").arg(id);
}

// Core texts separate lines with "\r\n"; a label wants "\n" alone.
QString ViewText(const std::string& bytes)
{
    QString text = ToQString(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The answer as the core takes it: solutions separate lines with "\r\n", the field with
// "\n" alone.
std::string AnswerBytes(const QString& fieldText)
{
    QString text = fieldText;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return ToCp1252(text);
}

QColor Rgb(std::uint32_t rgb)
{
    return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
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

CVendrillView::CVendrillView(CVendrillDoc& doc, const cSettings& settings, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_settings(settings),
      m_query(std::make_unique<cQuery>(doc.Core(), settings, static_cast<cQueryHost&>(*this)))
{
    setObjectName(QStringLiteral("ctl101"));
    m_pictureShower = [](const QString& path, QWidget* owner) {
        CPictureDlg::ShowPicture(path, owner);
    };
    SetProgramDir(ProgramDirPath());
    // Sounds play through Qt Multimedia unless the owner plugs in another player.
    m_query->SetSoundPlayer(new cQtSoundPlayer(this));
    m_pWarningPlayer = new cQtSoundPlayer(this);
    CreateControls();
    connect(&m_doc, &CVendrillDoc::ContentRestored, this, &CVendrillView::ContentRestored);
    connect(&m_doc, &CVendrillDoc::ViewsToUpdate, this, &CVendrillView::OnOtherViewChanged);
}

CVendrillView::~CVendrillView()
{
    // The query may still report changes while it closes its sound; the widgets must
    // not be touched by then.
    m_bClosing = true;
    if (m_pTimer)
        m_pTimer->stop();
    // The lists read the query until they are gone, and QWidget would delete them only
    // after the query: take them down first.
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
    delete m_pIconProxy;
    delete m_pTaskModel;
    delete m_pQuestionnaireModel;
    m_query.reset();
}

void CVendrillView::CreateControls()
{
    resize(800, 600);
    auto button = [this](int id, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(Ctl(id));
        b->hide();
        return b;
    };
    auto label = [this](int id) {
        auto* l = new QLabel(this);
        l->setObjectName(Ctl(id));
        l->hide();
        return l;
    };

    m_pHeading = label(kIdHeading);
    m_pHeading->setText(QStringLiteral("Überschrift"));
    QFont headingFont = m_pHeading->font();
    headingFont.setBold(true);
    m_pHeading->setFont(headingFont);
    m_pHeading->setTextFormat(Qt::PlainText);

    m_pResultText = label(kIdResultText);
    m_pResultText->setTextFormat(Qt::PlainText);
    m_pResultText->setWordWrap(true);
    m_pResultText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pResultText->setContentsMargins(0, 0, 0, 0);
    m_pResultText->setMargin(0);

    m_pAnswer = new QPlainTextEdit(this);
    m_pAnswer->setObjectName(Ctl(kIdAnswer));
    m_pAnswer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pAnswer->setTabChangesFocus(true);
    m_pAnswer->hide();
    m_pAnswer->installEventFilter(this);
    connect(m_pAnswer, &QPlainTextEdit::textChanged, this, &CVendrillView::OnAnswerTextChanged);

    m_pQuestionnaireModel = new CQuestionnaireListModel(*m_query, this);
    m_pQuestionnaireList = new QListView(this);
    m_pQuestionnaireList->setObjectName(Ctl(kIdQuestionnaireList));
    m_pQuestionnaireList->setModel(m_pQuestionnaireModel);
    m_pQuestionnaireList->setIconSize(ViewImages::kQuestionnaireImageSize);
    m_pQuestionnaireList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pQuestionnaireList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pQuestionnaireList->setUniformItemSizes(true);
    m_pQuestionnaireList->setSpacing(2);
    m_pQuestionnaireList->setDragEnabled(false);
    m_pQuestionnaireList->hide();
    m_pQuestionnaireList->installEventFilter(this);
    m_pQuestionnaireList->viewport()->installEventFilter(this);
    connect(m_pQuestionnaireList, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenOverviewRow(index.row()); });

    m_pTaskModel = new CTaskListModel(*m_query, this);
    m_pTaskList = new QTableView(this);
    m_pTaskList->setObjectName(Ctl(kIdTaskList));
    m_pTaskList->setModel(m_pTaskModel);
    m_pTaskList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTaskList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTaskList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTaskList->setShowGrid(true);
    m_pTaskList->setWordWrap(false);
    m_pTaskList->setTextElideMode(Qt::ElideRight);
    m_pTaskList->setIconSize(ViewImages::kTaskImageSize);
    m_pTaskList->setDragEnabled(false);
    m_pTaskList->verticalHeader()->hide();
    m_pTaskList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_pTaskList->verticalHeader()->setDefaultSectionSize(
        std::max(ViewImages::kTaskImageSize.height() + 4, fontMetrics().height() + 6));
    m_pTaskList->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_pTaskList->horizontalHeader()->setSectionsClickable(true);
    m_pTaskList->horizontalHeader()->setHighlightSections(false);
    m_pTaskList->horizontalHeader()->setStretchLastSection(false);
    m_pTaskList->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_pTaskList->hide();
    m_pTaskList->installEventFilter(this);
    m_pTaskList->viewport()->installEventFilter(this);
    connect(m_pTaskList, &QAbstractItemView::doubleClicked, this,
            &CVendrillView::OnTaskActivated);
    connect(m_pTaskList->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &CVendrillView::OnHeaderClicked);

    m_pIconProxy = new CTaskIconProxy(this);
    m_pIconProxy->setSourceModel(m_pTaskModel);
    m_pTaskIcons = new QListView(this);
    m_pTaskIcons->setObjectName(Ctl(kIdTaskList) + QStringLiteral("Icons"));
    m_pTaskIcons->setModel(m_pIconProxy);
    m_pTaskIcons->setViewMode(QListView::ListMode);
    m_pTaskIcons->setFlow(QListView::LeftToRight);
    m_pTaskIcons->setWrapping(true);
    m_pTaskIcons->setResizeMode(QListView::Adjust);
    m_pTaskIcons->setUniformItemSizes(true);
    m_pTaskIcons->setLayoutMode(QListView::Batched);
    m_pTaskIcons->setGridSize(QSize(100 + ViewImages::kTaskImageSize.width() + 8,
                                    ViewImages::kTaskImageSize.height() + 6));
    m_pTaskIcons->setIconSize(ViewImages::kTaskImageSize);
    m_pTaskIcons->setTextElideMode(Qt::ElideRight);
    m_pTaskIcons->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTaskIcons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTaskIcons->setDragEnabled(false);
    m_pTaskIcons->setMovement(QListView::Static);
    m_pTaskIcons->hide();
    m_pTaskIcons->installEventFilter(this);
    m_pTaskIcons->viewport()->installEventFilter(this);
    connect(m_pTaskIcons, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OnTaskActivated(m_pIconProxy->mapToSource(index)); });
    // Both styles share one selection, so the selection mark survives a style change.
    m_pTaskIcons->setSelectionModel(new QItemSelectionModel(m_pIconProxy, this));
    connect(m_pTaskList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { OnTaskCurrentChanged(current); });
    connect(m_pTaskIcons->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                OnTaskCurrentChanged(m_pIconProxy->mapToSource(current));
            });

    m_pOk = button(kIdOk, QStringLiteral("OK"));
    m_pSkip = button(kIdSkip, QStringLiteral("Überspringen"));
    m_pShowSolution = button(kIdShowSolution, QStringLiteral("Lösung anzeigen"));
    m_pEdit = button(kIdEdit, QStringLiteral("Bearbeiten"));
    connect(m_pOk, &QPushButton::clicked, this, &CVendrillView::OnAnswerOk);
    connect(m_pSkip, &QPushButton::clicked, this, &CVendrillView::OnSkip);
    connect(m_pShowSolution, &QPushButton::clicked, this, &CVendrillView::OnShowSolution);
    connect(m_pEdit, &QPushButton::clicked, this, &CVendrillView::OnEditTask);

    auto mediaButton = [&](int id, int icon, const QString& text) {
        QPushButton* b = button(id, QString());
        b->setIcon(QIcon(ViewImages::IconImage(icon)));
        b->setIconSize(ViewImages::kMediaIconSize);
        b->setToolTip(text);
        b->setAccessibleName(text);
        // A click must not take the keyboard from the answer field: the user listens
        // and types on. Tab still reaches the buttons.
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    m_pPlay = mediaButton(kIdPlay, ViewImages::kIconPlay, QStringLiteral("Abspielen"));
    m_pPause = mediaButton(kIdPause, ViewImages::kIconPause, QStringLiteral("Pause"));
    m_pPicture = mediaButton(kIdPicture, ViewImages::kIconPicture, QStringLiteral("Bild anzeigen"));
    connect(m_pPlay, &QPushButton::clicked, this, &CVendrillView::OnPlaySound);
    connect(m_pPause, &QPushButton::clicked, this, &CVendrillView::OnPauseSound);
    connect(m_pPicture, &QPushButton::clicked, this, &CVendrillView::OnShowPicture);

    auto radio = [this](int id, const QString& text) {
        auto* r = new QRadioButton(text, this);
        r->setObjectName(Ctl(id));
        r->hide();
        return r;
    };
    m_pRadioRight = radio(kIdRadioRight, QStringLiteral("Richtig (volle Punktzahl)"));
    m_pRadioPartly = radio(kIdRadioPartly, QStringLiteral("Teilrichtig"));
    m_pRadioWrong = radio(kIdRadioWrong, QStringLiteral("Falsch (0 Punkte)"));
    m_pAssessGroup = new QButtonGroup(this);
    m_pAssessGroup->addButton(m_pRadioRight, AssessRight);
    m_pAssessGroup->addButton(m_pRadioPartly, AssessPartly);
    m_pAssessGroup->addButton(m_pRadioWrong, AssessWrong);
    connect(m_pAssessGroup, &QButtonGroup::idClicked, this, &CVendrillView::OnAssessClicked);

    m_pPoints = new QComboBox(this);
    m_pPoints->setObjectName(Ctl(kIdPoints));
    m_pPoints->setEditable(false);
    m_pPoints->hide();
    connect(m_pPoints, &QComboBox::activated, this, &CVendrillView::OnPointsActivated);

    m_pRightMark = label(kIdRightMark);
    m_pRightMark->setPixmap(ViewImages::IconImage(ViewImages::kIconRight));
    m_pRightMark->setToolTip(QStringLiteral("Richtig"));
    m_pWrongMark = label(kIdWrongMark);
    m_pWrongMark->setPixmap(ViewImages::IconImage(ViewImages::kIconWrong));
    m_pWrongMark->setToolTip(QStringLiteral("Falsch"));
    for (int i = 0; i < kViewChoiceRows; ++i) {
        m_pTick[i] = label(kIdFirstTick + i);
        m_pTick[i]->setPixmap(ViewImages::IconImage(ViewImages::kIconBoxEmpty));
        m_pTick[i]->setCursor(Qt::PointingHandCursor);
        m_pTick[i]->installEventFilter(this);
        m_pChoice[i] = label(kIdFirstChoice + i);
        m_pChoice[i]->setText(QStringLiteral("Multiple%1").arg(i + 1));
        m_pChoice[i]->setTextFormat(Qt::PlainText);
        m_pChoice[i]->setWordWrap(true);
        m_pChoice[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_pChoice[i]->setMargin(0);
        m_pChoice[i]->setCursor(Qt::PointingHandCursor);
        m_pChoice[i]->installEventFilter(this);
        // The rows cannot take the focus; the digit keys tick them instead.
        const QString tip = QStringLiteral("Ankreuzen oder Kreuz entfernen (Taste %1)").arg(i + 1);
        m_pTick[i]->setToolTip(tip);
        m_pChoice[i]->setToolTip(tip);
    }

    m_pExamBar = new cPercentBar(this);
    m_pExamBar->setObjectName(Ctl(kIdExamBar));
    m_pExamBar->hide();

    m_pTimer = new QTimer(this);
    m_pTimer->setInterval(kTimerPeriodMs);
    connect(m_pTimer, &QTimer::timeout, this, &CVendrillView::OnTimer);

    m_pSearchBar = new CSearchBar(*this);
    new CViewAccessibility(*this);
}

void CVendrillView::OpenSearch()
{
    if (m_bReady && !m_bClosing)
        m_pSearchBar->Open();
}

void CVendrillView::ContentRestored()
{
    if (!m_bReady || m_bClosing)
        return;
    // Every window on the file shows the restored content on its own questionnaire.
    OnOwnQuestionnaire([this] { m_query->OnContentRestored(); });
}

void CVendrillView::OnOwnQuestionnaire(const std::function<void()>& work)
{
    // The document has one current questionnaire for all its windows; this window's work
    // runs on its own and gives the active window's back afterwards.
    const int active = m_doc.CurQuestionnaire();
    const int own = m_nOwnQuestionnaire;
    if (own >= 0)
        m_doc.SetCurQuestionnaire(own);
    work();
    if (own >= 0 && active != own)
        m_doc.SetCurQuestionnaire(active);
}

void CVendrillView::SetSoundPlayer(cSoundPlayer* player)
{
    m_query->SetSoundPlayer(player);
}

void CVendrillView::SetWarningPlayer(cSoundPlayer* player)
{
    m_pWarningPlayer = player;
    m_bWarningOpen = false;
}

void CVendrillView::SetProgramDir(const QString& dir)
{
    QString withSlash = dir;
    if (!withSlash.endsWith(QLatin1Char('/')))
        withSlash += QLatin1Char('/');
    m_query->SetProgramDir(withSlash.toStdString());
}

void CVendrillView::SetTaskEditor(TaskEditor editor)
{
    m_taskEditor = std::move(editor);
    if (m_bReady)
        LayOut();
    emit CommandStateChanged();
}

void CVendrillView::SetSplitEditor(SplitEditor editor)
{
    m_splitEditor = std::move(editor);
    emit CommandStateChanged();
}

void CVendrillView::FileSettingsChanged()
{
    if (m_bReady && !m_bClosing) {
        Changed(ChangeQuestionnaires);
        m_doc.UpdateAllViews(this, true);
    }
}

void CVendrillView::Activated()
{
    if (m_bReady && m_nOwnQuestionnaire != m_doc.CurQuestionnaire())
        m_doc.SetCurQuestionnaire(m_nOwnQuestionnaire);
}

void CVendrillView::NotifyOtherViews()
{
    // Statistics change row by row; the other windows refresh once, afterwards.
    if (m_bNotifyPending)
        return;
    m_bNotifyPending = true;
    QTimer::singleShot(0, this, [this] {
        m_bNotifyPending = false;
        m_doc.UpdateAllViews(this, false);
    });
}

void CVendrillView::OnOtherViewChanged(QObject* sender, bool structure)
{
    if (sender == this || !m_bReady || m_bClosing)
        return;
    if (!structure) {
        m_pTaskModel->AllRowsChanged();
        return;
    }
    // Rows may refer to tasks that are gone: start over at the overview, leaving the
    // questionnaire of the window in use as the document's current one.
    const int active = m_doc.CurQuestionnaire();
    m_query->InitialUpdate();
    m_doc.SetCurQuestionnaire(active);
}

void CVendrillView::InitialUpdate()
{
    if (m_bReady)
        return;
    // A new document has no file to read but is shown like an opened one, so that the
    // editor commands have an overview to work in.
    // A further window on the file shows what the first one read.
    if (!m_doc.PathName().isEmpty() && !m_doc.WasRead())
        (void)m_doc.ReadFile(); // a failure was reported; what was read is shown
    m_pTaskModel->ResetColumns();
    m_pQuestionnaireModel->Reset();
    ApplyColumnWidths();
    m_bReady = true;
    m_query->InitialUpdate();
    // The frame sizes the view once it is set up, and that layout puts the overview's
    // heading over the questionnaire loaded above. The window is shown before its
    // set-up here, so that layout is done at once.
    m_query->SetViewMode(m_query->Mode(), true);
    m_pTaskModel->Reset();
    m_pQuestionnaireModel->Reset();
    ApplyColumnWidths();
    SyncQuestionnaireSelection();
    SyncTaskSelection();
    LayOut();
    FocusForMode(m_query->Mode());
    m_pTimer->start();
    emit CommandStateChanged();
}

int CVendrillView::ViewMode() const
{
    return m_query->Mode();
}

// ---------------------------------------------------------------------------------------
// What the query reports

void CVendrillView::Changed(unsigned what)
{
    if (m_bClosing || !m_bReady)
        return;
    m_nOwnQuestionnaire = m_doc.CurQuestionnaire();
    if (what & (ChangeColumns | ChangeRows)) {
        if ((what & ChangeRows) && (what & ChangeQuestionnaires))
            m_bRowsSorted = false; // loaded anew, in the questionnaire's order
        m_pTaskModel->Reset();
        if (what & ChangeColumns)
            ApplyColumnWidths();
        SyncSortIndicator();
    }
    if (what & ChangeQuestionnaires) {
        m_pQuestionnaireModel->Reset();
        SyncQuestionnaireSelection();
    }
    if (what & (ChangeColumns | ChangeRows | ChangeRow))
        SyncTaskSelection();
    if (what & ChangeExamBar)
        ApplyExamBar();
    const unsigned layoutBits = ChangeMode | ChangeTexts | ChangeAssessment | ChangeTicks |
                                ChangeExamState | ChangeRow | ChangeExamBar;
    if (what & layoutBits)
        LayOut();
    // A new mode, or a new task on a question screen, brings the focus to where the
    // user goes on: the list, the answer field or "OK".
    if ((what & ChangeMode) || ((what & ChangeRow) && m_query->Mode() >= ModeQuestion))
        FocusForMode(m_query->Mode());
    emit CommandStateChanged();
}

void CVendrillView::RowChanged(int row)
{
    if (m_bClosing || !m_bReady)
        return;
    m_pTaskModel->RowChanged(row);
    NotifyOtherViews();
}

void CVendrillView::Beep()
{
    // The system beep is silent on most desktops: the bundled tone is played where
    // there is an output for it.
    if (m_pWarningPlayer) {
        if (!m_bWarningOpen)
            m_bWarningOpen = m_pWarningPlayer->Open(WarningTonePath());
        if (m_bWarningOpen && m_pWarningPlayer->CanPlay()) {
            m_pWarningPlayer->Stop();
            m_pWarningPlayer->Play();
            return;
        }
    }
    QApplication::beep();
}

// ---------------------------------------------------------------------------------------
// Layout

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

// ---------------------------------------------------------------------------------------
// Input

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
