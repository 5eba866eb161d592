// The training view: its controls, its set-up on a document, what the query reports, and
// the other windows on the same file.

#include "practice/ui/VendrillView.h"

#include "data/Document.h"
#include "data/ui/VendrillDoc.h"
#include "learning/Learner.h"
#include "learning/ui/ProgressWindow.h"
#include "practice/Query.h"
#include "practice/TaskList.h"
#include "practice/ui/ListModels.h"
#include "practice/ui/PercentBar.h"
#include "practice/ui/SearchBar.h"
#include "practice/ui/ViewAccessibility.h"
#include "practice/ui/ViewImages.h"
#include "base/Settings.h"
#include "ui/PictureDlg.h"
#include "ui/ProgramDir.h"
#include "ui/SoundPlayer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QButtonGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <map>

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

QString Ctl(int id)
{
    return QStringLiteral("ctl%1").arg(id);
}

// One learner per file, however many windows show it: they share the memory states, so
// an answer in one window counts in the plan of the others, and no window stores a task's
// state computed without the answers given in another.
std::shared_ptr<cLearner> LearnerOf(cDocument& doc, const cSettings& settings)
{
    static std::map<const cDocument*, std::weak_ptr<cLearner>> learners;
    std::erase_if(learners, [](const auto& entry) { return entry.second.expired(); });
    if (auto learner = learners[&doc].lock())
        return learner;
    auto learner = std::make_shared<cLearner>(doc, &SharedHistory());
    learner->FollowSettings(&settings);
    learner->Bind();
    learner->SetAnswerHook([&doc](const cAnswerEvent& event, std::int64_t at) {
        emit AnswerNotifier().AnswerRecorded(&doc, event.taskIndex, event.grade, at);
    });
    learners[&doc] = learner;
    return learner;
}

} // namespace

CVendrillView::CVendrillView(CVendrillDoc& doc, const cSettings& settings, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_settings(settings),
      m_learner(std::make_shared<cLearner>(doc.Core(), nullptr)),
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

void CVendrillView::closeEvent(QCloseEvent* event)
{
    // The window closes while the application still runs: the answers queued for the
    // history land now, and a failure is said now, not silently in the destructor.
    m_learner->Finish();
    QWidget::closeEvent(event);
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
    // Every window on the file shows the restored content on its own questionnaire; an
    // exam here goes on only while its questionnaire is the same.
    OnOwnQuestionnaire([this] {
        if (!m_query->KeepExamAfterChangeElsewhere())
            m_query->OnContentRestored();
    });
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
    if (!m_bReady)
        return;
    if (m_nOwnQuestionnaire != m_doc.CurQuestionnaire())
        m_doc.SetCurQuestionnaire(m_nOwnQuestionnaire);
    // The screen may have changed while another window was in use.
    if (!isAncestorOf(QApplication::focusWidget()))
        FocusForMode(m_query->Mode());
}

bool CVendrillView::IsActiveWindowView() const
{
    // Only the window in use moves the keyboard focus: a focus set in another window
    // would make that one the active window.
    const auto* frame = qobject_cast<const QMdiSubWindow*>(parentWidget());
    return !frame || !frame->mdiArea() || frame->mdiArea()->currentSubWindow() == frame;
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
    // An exam here goes on while its questionnaire holds the same tasks; otherwise it ends.
    bool keepExam = false;
    OnOwnQuestionnaire([&] { keepExam = m_query->KeepExamAfterChangeElsewhere(); });
    if (keepExam)
        return;
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
    // The history is opened once the file is read, so it finds the file's tasks.
    m_learner = LearnerOf(m_doc.Core(), m_settings);
    m_query->SetAnswerObserver(m_learner.get());
    // Every window on the file follows answers and the exam date, whichever window gave them.
    auto follow = [this](const cDocument* doc) {
        if (doc == &m_doc.Core())
            RefreshReadiness();
    };
    connect(&AnswerNotifier(), &CAnswerNotifier::AnswerRecorded, this, follow);
    connect(&AnswerNotifier(), &CAnswerNotifier::ExamDateChanged, this, follow);
    m_pQuestionnaireModel->SetExtraNote([this](int row) { return ReadinessNoteOf(row); });
    UpdateReadiness();
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
        UpdateReadiness(); // tasks or exam settings may have changed
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
    if (((what & ChangeMode) || ((what & ChangeRow) && m_query->Mode() >= ModeQuestion)) &&
        IsActiveWindowView())
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
