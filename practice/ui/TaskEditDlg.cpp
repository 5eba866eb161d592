#include "practice/ui/TaskEditDlg.h"

#include "data/Task.h"
#include "practice/EditorDialogs.h"
#include "base/Message.h"
#include "ui/DialogParts.h"
#include "ui/ProgramDir.h"
#include "ui/FileDialog.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kIdType = 1014;
constexpr int kIdQuestion = 1001;
constexpr int kIdSolution = 1015;
constexpr int kIdPattern = 1016;
constexpr int kIdSound = 1017;
constexpr int kIdCaseSensitive = 1018;
constexpr int kIdPicture = 1019;
constexpr int kIdChooseSound = 1040;
constexpr int kIdChoosePicture = 1041;
constexpr int kIdPictureSize = 1044;
constexpr int kIdAutoPlay = 1045;
constexpr int kIdPlayButton = 1046;
constexpr int kIdPicturePlace = 1047;
constexpr int kIdPoints = 1054;
constexpr int kIdTaskNo = 1055;
constexpr int kIdCategory = 1056;
constexpr int kIdSelfAssess = 1068;
constexpr int kIdChoice[kEditorChoices] = {1075, 1076, 1077, 1078, 1079};
constexpr int kIdChoiceRight[kEditorChoices] = {1074, 1080, 1081, 1082, 1083};

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

void FillCombo(QComboBox* combo, const std::vector<std::string>& entries)
{
    for (const std::string& entry : entries)
        combo->addItem(ToQString(entry));
}

QPlainTextEdit* MultiLine(QWidget* parent, int id, int lines)
{
    auto* edit = Named(new QPlainTextEdit(parent), id);
    edit->setTabChangesFocus(true);
    const int line = edit->fontMetrics().lineSpacing();
    edit->setMinimumHeight(line * lines + 12);
    return edit;
}

} // namespace

CTaskEditDlg::CTaskEditDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlg134"));
    setWindowTitle(QStringLiteral("Aufgabe bearbeiten"));
    m_strProgramDir = ProgramDirPath();

    m_pType = Named(new QComboBox(this), kIdType);
    FillCombo(m_pType, TaskTypeEntries());
    m_pTaskNo = Named(new QLineEdit(this), kIdTaskNo);
    m_pCategory = Named(new QLineEdit(this), kIdCategory);
    m_pPoints = Named(new QLineEdit(this), kIdPoints);
    m_pPoints->setMaximumWidth(m_pPoints->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    m_pQuestion = MultiLine(this, kIdQuestion, 5);
    m_pSolution = MultiLine(this, kIdSolution, 3);
    m_pPattern = MultiLine(this, kIdPattern, 3);

    auto* head = new QGridLayout;
    head->addWidget(Caption(QStringLiteral("Aufgabentyp"), m_pType, this), 0, 0);
    head->addWidget(m_pType, 1, 0);
    head->addWidget(Caption(QStringLiteral("AufgabenNr"), m_pTaskNo, this), 0, 1);
    head->addWidget(m_pTaskNo, 1, 1);
    head->addWidget(Caption(QStringLiteral("Kategorie"), m_pCategory, this), 0, 2);
    head->addWidget(m_pCategory, 1, 2);
    head->addWidget(Caption(QStringLiteral("Punkte"), m_pPoints, this), 0, 3);
    head->addWidget(m_pPoints, 1, 3);
    head->setColumnStretch(2, 1);

    auto* texts = new QVBoxLayout;
    texts->addLayout(head);
    texts->addWidget(Caption(QStringLiteral("Aufgabentext"), m_pQuestion, this));
    texts->addWidget(m_pQuestion, 2);
    texts->addWidget(Caption(U("Lösung"), m_pSolution, this));
    texts->addWidget(m_pSolution, 1);
    texts->addWidget(Caption(QStringLiteral("Pattern"), m_pPattern, this));
    texts->addWidget(m_pPattern, 1);

    // Multiple-choice answers: the box beside each text marks it as right.
    auto* choices = new QGroupBox(QStringLiteral("Multiple-Choice-Antworten"), this);
    choices->setObjectName(QStringLiteral("groupChoices"));
    auto* choiceGrid = new QGridLayout(choices);
    for (int i = 0; i < kEditorChoices; ++i) {
        m_pChoiceRight[i] = Named(new QCheckBox(choices), kIdChoiceRight[i]);
        m_pChoiceRight[i]->setToolTip(QStringLiteral("Richtige Antwort"));
        m_pChoiceRight[i]->setAccessibleName(QStringLiteral("Antwort %1 ist richtig").arg(i + 1));
        m_pChoice[i] = Named(new QLineEdit(choices), kIdChoice[i]);
        m_pChoice[i]->setAccessibleName(QStringLiteral("Antwort %1").arg(i + 1));
        choiceGrid->addWidget(m_pChoiceRight[i], i, 0);
        choiceGrid->addWidget(m_pChoice[i], i, 1);
    }
    texts->addWidget(choices);

    m_pSelfAssess = Named(new QCheckBox(QStringLiteral("Selbstbewertung"), this), kIdSelfAssess);
    // No task field keeps this choice (answers are always compared without case), so
    // the box shows that and cannot be changed.
    m_pCaseSensitive = Named(new QCheckBox(U("Groß-/Kleinschreibung berücksichtigen"), this),
                             kIdCaseSensitive);
    m_pCaseSensitive->setEnabled(false);
    auto* flags = new QHBoxLayout;
    flags->addWidget(m_pSelfAssess);
    flags->addWidget(m_pCaseSensitive);
    flags->addStretch(1);
    texts->addLayout(flags);

    // Sound and picture: paths relative to the program directory.
    auto* soundGroup = new QGroupBox(QStringLiteral("Sounddatei"), this);
    soundGroup->setObjectName(QStringLiteral("groupSound"));
    m_pSound = Named(new QLineEdit(soundGroup), kIdSound);
    m_pChooseSound = Named(new QPushButton(QStringLiteral("..."), soundGroup), kIdChooseSound);
    m_pChooseSound->setToolTip(U("Sounddatei auswählen"));
    m_pAutoPlay = Named(new QCheckBox(QStringLiteral("Automatisch abspielen"), soundGroup),
                        kIdAutoPlay);
    m_pPlayButton = Named(
        new QCheckBox(QStringLiteral("Button zum Abspielen anzeigen"), soundGroup), kIdPlayButton);
    // The sound always plays when its task is shown and always has its button.
    m_pAutoPlay->setChecked(true);
    m_pPlayButton->setChecked(true);
    m_pAutoPlay->setEnabled(false);
    m_pPlayButton->setEnabled(false);
    auto* soundGrid = new QGridLayout(soundGroup);
    soundGrid->addWidget(m_pSound, 0, 0);
    soundGrid->addWidget(m_pChooseSound, 0, 1);
    soundGrid->addWidget(m_pAutoPlay, 1, 0, 1, 2);
    soundGrid->addWidget(m_pPlayButton, 2, 0, 1, 2);

    auto* pictureGroup = new QGroupBox(QStringLiteral("Bilddatei in der Aufgabe"), this);
    pictureGroup->setObjectName(QStringLiteral("groupPicture"));
    m_pPicture = Named(new QLineEdit(pictureGroup), kIdPicture);
    m_pChoosePicture =
        Named(new QPushButton(QStringLiteral("..."), pictureGroup), kIdChoosePicture);
    m_pChoosePicture->setToolTip(U("Bilddatei auswählen"));
    m_pPictureSize = Named(new QComboBox(pictureGroup), kIdPictureSize);
    FillCombo(m_pPictureSize, PictureSizeEntries());
    m_pPicturePlace = Named(new QComboBox(pictureGroup), kIdPicturePlace);
    FillCombo(m_pPicturePlace, PicturePlaceEntries());
    auto* pictureGrid = new QGridLayout(pictureGroup);
    pictureGrid->addWidget(m_pPicture, 0, 0);
    pictureGrid->addWidget(m_pChoosePicture, 0, 1);
    pictureGrid->addWidget(m_pPictureSize, 1, 0, 1, 2);
    pictureGrid->addWidget(m_pPicturePlace, 2, 0, 1, 2);

    for (QPushButton* dots : {m_pChooseSound, m_pChoosePicture}) {
        dots->setAutoDefault(false);
        dots->setMaximumWidth(dots->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    }
    connect(m_pChooseSound, &QPushButton::clicked, this, &CTaskEditDlg::OnChooseSound);
    connect(m_pChoosePicture, &QPushButton::clicked, this, &CTaskEditDlg::OnChoosePicture);

    auto* media = new QVBoxLayout;
    media->addWidget(soundGroup);
    media->addWidget(pictureGroup);
    media->addStretch(1);

    QDialogButtonBox* buttons = OkCancelButtons(this);

    auto* columns = new QHBoxLayout;
    columns->addLayout(texts, 3);
    columns->addLayout(media, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);

    // Tab order follows the reading order: head line, texts, answers, then the media.
    QWidget* order[] = {m_pType, m_pTaskNo, m_pCategory, m_pPoints, m_pQuestion, m_pSolution,
                        m_pPattern};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    QWidget* previous = m_pPattern;
    for (int i = 0; i < kEditorChoices; ++i) {
        setTabOrder(previous, m_pChoiceRight[i]);
        setTabOrder(m_pChoiceRight[i], m_pChoice[i]);
        previous = m_pChoice[i];
    }
    for (QWidget* next : std::initializer_list<QWidget*>{m_pSelfAssess, m_pSound, m_pChooseSound,
                                                         m_pPicture, m_pChoosePicture,
                                                         m_pPictureSize, m_pPicturePlace}) {
        setTabOrder(previous, next);
        previous = next;
    }
    resize(760, 560);
}

CTaskEditDlg::~CTaskEditDlg() = default;

void CTaskEditDlg::Load(const cTask& task)
{
    const cTaskEditTexts t = TaskEditTexts(task);
    m_pType->setCurrentIndex(t.type);
    m_pQuestion->setPlainText(m_question.Show(t.question, true));
    m_pSolution->setPlainText(m_solution.Show(t.solution, true));
    m_pPattern->setPlainText(m_pattern.Show(t.pattern, true));
    m_pSound->setText(m_sound.Show(t.sound));
    m_pPicture->setText(m_picture.Show(t.picture));
    m_pPictureSize->setCurrentIndex(t.pictureSize);
    m_pPicturePlace->setCurrentIndex(t.picturePlace);
    m_pPoints->setText(ToQString(t.points));
    m_pTaskNo->setText(m_taskNo.Show(t.taskNo));
    m_pCategory->setText(m_category.Show(t.category));
    for (int i = 0; i < kEditorChoices; ++i) {
        m_pChoice[i]->setText(m_choice[i].Show(t.choices[i]));
        m_pChoiceRight[i]->setChecked(t.choiceRight[i]);
    }
    m_pSelfAssess->setChecked(t.selfAssess);
    m_pCaseSensitive->setChecked(false);
    m_pQuestion->setFocus();
}

cTaskEditTexts CTaskEditDlg::Texts() const
{
    cTaskEditTexts t;
    t.type = m_pType->currentIndex();
    t.question = m_question.Take(m_pQuestion->toPlainText(), true);
    t.solution = m_solution.Take(m_pSolution->toPlainText(), true);
    t.pattern = m_pattern.Take(m_pPattern->toPlainText(), true);
    t.sound = m_sound.Take(m_pSound->text());
    t.picture = m_picture.Take(m_pPicture->text());
    t.pictureSize = m_pPictureSize->currentIndex();
    t.picturePlace = m_pPicturePlace->currentIndex();
    t.points = ToCp1252(m_pPoints->text());
    t.taskNo = m_taskNo.Take(m_pTaskNo->text());
    t.category = m_category.Take(m_pCategory->text());
    for (int i = 0; i < kEditorChoices; ++i) {
        t.choices[i] = m_choice[i].Take(m_pChoice[i]->text());
        t.choiceRight[i] = m_pChoiceRight[i]->isChecked();
    }
    t.selfAssess = m_pSelfAssess->isChecked();
    return t;
}

void CTaskEditDlg::Store(cTask& task) const
{
    StoreTaskEditTexts(Texts(), task);
}

int CTaskEditDlg::TypeIndex() const
{
    return m_pType->currentIndex();
}

void CTaskEditDlg::SetProgramDir(const QString& dir)
{
    m_strProgramDir = dir;
}

void CTaskEditDlg::SetFileChooser(FileChooser chooser)
{
    m_chooser = std::move(chooser);
}

bool CTaskEditDlg::Edit(cTask& task, QWidget* parent)
{
    CTaskEditDlg dlg(parent);
    dlg.Load(task);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    dlg.Store(task);
    return true;
}

void CTaskEditDlg::accept()
{
    if (CheckTaskEditTexts(Texts()) != 0) {
        // The message was shown; the user corrects the points where they are.
        m_pPoints->setFocus();
        m_pPoints->selectAll();
        return;
    }
    QDialog::accept();
}

bool CTaskEditDlg::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1)
        ShowQuickHelp();
    return QDialog::event(event);
}

void CTaskEditDlg::OnChooseSound()
{
    ChooseMedia(true);
}

void CTaskEditDlg::OnChoosePicture()
{
    ChooseMedia(false);
}

void CTaskEditDlg::ChooseMedia(bool sound)
{
    const QString caption = sound ? U("Sounddatei auswählen") : U("Bilddatei auswählen");
    const QString filter =
        sound ? U("Sounddateien (*.wav *.mp3 *.ogg *.mid);;Alle Dateien (*)")
              : U("Bilddateien (*.png *.jpg *.jpeg *.bmp *.gif);;Alle Dateien (*)");
    const QString chosen = m_chooser ? m_chooser(caption, m_strProgramDir, filter)
                                     : ChooseOpenFile(this, caption,
                                                                    m_strProgramDir, filter);
    if (chosen.isEmpty())
        return;
    std::string name;
    const int result =
        MediaNameForFile(m_strProgramDir.toStdString(), chosen.toStdString(), sound, name);
    if (result != MediaNameOk) {
        (void)ShowMessage(2, MediaNameMessage(result, sound));
        return;
    }
    (sound ? m_pSound : m_pPicture)->setText(ToQString(name));
}
