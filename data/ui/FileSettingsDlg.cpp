#include "data/ui/FileSettingsDlg.h"

#include "data/ui/FilePropsDlg.h"
#include "data/ui/VendrillDoc.h"
#include "ui/DialogParts.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

constexpr int kIdMaxWords = 1019;
constexpr int kIdAllowSwap = 1020;
constexpr int kIdAllowExtra = 1021;
constexpr int kIdAllowMissing = 1022;
constexpr int kIdResetInputs = 1024;
constexpr int kIdMinRight = 1028;
constexpr int kIdRandom = 1029;
constexpr int kIdMinPercent = 1030;
constexpr int kIdExtended = 1034;
constexpr int kIdResetStatistics = 32775;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The file keeps each number in one byte: the fields take only 0 to 255, so that what
// the user sees is what is stored. Empty stays allowed and means 0.
class cByteValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        if (input.size() > 3)
            return Invalid;
        for (const QChar c : input)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return Invalid;
        return input.isEmpty() || input.toInt() <= 255 ? Acceptable : Invalid;
    }
};

} // namespace

CFileSettingsDlg::CFileSettingsDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlg137"));
    setWindowTitle(QStringLiteral("Dateieinstellungen"));

    auto* selection = new QGroupBox(QStringLiteral("Aufgaben- bzw. Vokabelauswahl"), this);
    selection->setObjectName(QStringLiteral("groupSelection"));
    m_pRandom = Named(new QCheckBox(U("Zufällige Abfrage"), selection), kIdRandom);
    m_pMaxWords = Named(new QLineEdit(selection), kIdMaxWords);
    m_pMinRight = Named(new QLineEdit(selection), kIdMinRight);
    m_pMinPercent = Named(new QLineEdit(selection), kIdMinPercent);
    const int numberWidth =
        m_pMaxWords->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16;

    auto* grid = new QGridLayout(selection);
    auto* intro = new QLabel(QStringLiteral("Nur Aufgaben/Vokabeln abfragen,"), selection);
    grid->addWidget(intro, 0, 0, 1, 3);
    grid->addWidget(m_pRandom, 0, 4, Qt::AlignRight | Qt::AlignTop);
    struct Line {
        const char* before;
        QLineEdit* edit;
        const char* after;
    };
    const Line lines[] = {
        {"bei denen die Antwort aus maximal ", m_pMaxWords, "Wörtern besteht"},
        {"die noch nicht mindestens", m_pMinRight, "mal richtig beantwortet wurden"},
        {"die noch nicht zu mindestens", m_pMinPercent, "% richtig beantwortet wurden"},
    };
    for (int i = 0; i < 3; ++i) {
        auto* before = new QLabel(U(lines[i].before), selection);
        before->setBuddy(lines[i].edit);
        lines[i].edit->setFixedWidth(numberWidth);
        lines[i].edit->setValidator(new cByteValidator(lines[i].edit));
        lines[i].edit->setAccessibleName(U(lines[i].before).trimmed() + QLatin1String(" ...") +
                                         U(lines[i].after));
        grid->addWidget(before, i + 1, 1);
        grid->addWidget(lines[i].edit, i + 1, 2);
        grid->addWidget(new QLabel(U(lines[i].after), selection), i + 1, 3);
    }
    grid->setColumnMinimumWidth(0, 12);
    grid->setColumnStretch(4, 1);

    auto* tolerance = new QGroupBox(QStringLiteral("Fehlertoleranz bei Textantworten"), this);
    tolerance->setObjectName(QStringLiteral("groupTolerance"));
    m_pAllowSwap =
        Named(new QCheckBox(QStringLiteral("2 vertauschte Buchstaben zulassen"), tolerance),
              kIdAllowSwap);
    m_pAllowExtra = Named(new QCheckBox(U("Zusätzlichen Buchstaben zulassen"), tolerance),
                          kIdAllowExtra);
    m_pAllowMissing =
        Named(new QCheckBox(QStringLiteral("Fehlenden Buchstaben zulassen"), tolerance),
              kIdAllowMissing);
    auto* checks = new QVBoxLayout(tolerance);
    checks->addWidget(m_pAllowSwap);
    checks->addWidget(m_pAllowExtra);
    checks->addWidget(m_pAllowMissing);

    // The templates and the scrambling are only reachable through this button.
    m_pExtended = Named(new QPushButton(QStringLiteral("Erweitert ..."), this), kIdExtended);
    m_pExtended->setAutoDefault(false);
    connect(m_pExtended, &QPushButton::clicked, this, &CFileSettingsDlg::OnExtended);
    auto* middle = new QHBoxLayout;
    middle->addWidget(tolerance, 1);
    middle->addWidget(m_pExtended, 0, Qt::AlignBottom);

    m_pResetStatistics = Named(new QPushButton(U("Statistik zurücksetzen"), this),
                               kIdResetStatistics);
    m_pResetInputs = Named(new QPushButton(U("Eingaben zurücksetzen"), this), kIdResetInputs);
    auto* cancel = Named(new QPushButton(QStringLiteral("Abbrechen"), this), 2);
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), 1);
    for (QPushButton* b : {m_pResetStatistics, m_pResetInputs, cancel})
        b->setAutoDefault(false);
    ok->setDefault(true);
    m_pResetStatistics->setEnabled(false);
    connect(m_pResetStatistics, &QPushButton::clicked, this, [this] {
        if (m_resetStatistics)
            m_resetStatistics();
    });
    connect(m_pResetInputs, &QPushButton::clicked, this, &CFileSettingsDlg::OnResetInputs);
    connect(cancel, &QPushButton::clicked, this, &CFileSettingsDlg::reject);
    connect(ok, &QPushButton::clicked, this, &CFileSettingsDlg::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_pResetStatistics);
    bottom->addWidget(m_pResetInputs);
    bottom->addStretch(1);
    bottom->addWidget(cancel);
    bottom->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(selection);
    layout->addLayout(middle);
    layout->addSpacing(6);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_pMaxWords, m_pMinRight);
    setTabOrder(m_pMinRight, m_pMinPercent);
    setTabOrder(m_pMinPercent, m_pRandom);
    setTabOrder(m_pRandom, m_pAllowSwap);
    setTabOrder(m_pAllowSwap, m_pAllowExtra);
    setTabOrder(m_pAllowExtra, m_pAllowMissing);
    setTabOrder(m_pAllowMissing, m_pExtended);
    setTabOrder(m_pExtended, m_pResetStatistics);
    setTabOrder(m_pResetStatistics, m_pResetInputs);
    setTabOrder(m_pResetInputs, cancel);
    setTabOrder(cancel, ok);
    m_pExtended->setEnabled(false);
}

void CFileSettingsDlg::SetTrainingData(cTrainingData* data)
{
    m_pData = data;
    m_pExtended->setEnabled(data != nullptr);
}

void CFileSettingsDlg::SetResetStatistics(std::function<void()> handler)
{
    m_resetStatistics = std::move(handler);
    m_pResetStatistics->setEnabled(bool(m_resetStatistics));
}

void CFileSettingsDlg::Load(const cTrainingData& data)
{
    m_members = FileSettingsTexts(data);
    MembersToControls();
    m_pMaxWords->setFocus();
}

void CFileSettingsDlg::Store(cTrainingData& data) const
{
    StoreFileSettingsTexts(m_members, data);
}

bool CFileSettingsDlg::Run(CVendrillDoc& doc, QWidget* parent,
                           std::function<void()> resetStatistics)
{
    CFileSettingsDlg dlg(parent);
    dlg.SetTrainingData(&doc.Data());
    dlg.SetResetStatistics(std::move(resetStatistics));
    dlg.Load(doc.Data());
    const bool confirmed = dlg.exec() == QDialog::Accepted;
    if (confirmed)
        doc.SetModifiedFlag(true);
    // After cancelling the members are the opening values, so this changes nothing then.
    dlg.Store(doc.Data());
    return confirmed;
}

void CFileSettingsDlg::accept()
{
    ControlsToMembers();
    QDialog::accept();
}

void CFileSettingsDlg::reject()
{
    MembersToControls();
    QDialog::reject();
}

void CFileSettingsDlg::OnResetInputs()
{
    MembersToControls();
}

void CFileSettingsDlg::OnExtended()
{
    if (m_pData)
        (void)CFilePropsDlg::Edit(*m_pData, this);
}

void CFileSettingsDlg::MembersToControls()
{
    m_pMaxWords->setText(ToQString(m_members.maxWords));
    m_pMinRight->setText(ToQString(m_members.minRight));
    m_pMinPercent->setText(ToQString(m_members.minPercent));
    m_pAllowSwap->setChecked(m_members.allowSwap != 0);
    m_pAllowExtra->setChecked(m_members.allowExtra != 0);
    m_pAllowMissing->setChecked(m_members.allowMissing != 0);
    m_pRandom->setChecked(m_members.random != 0);
}

void CFileSettingsDlg::ControlsToMembers()
{
    m_members.maxWords = ToCp1252(m_pMaxWords->text());
    m_members.minRight = ToCp1252(m_pMinRight->text());
    m_members.minPercent = ToCp1252(m_pMinPercent->text());
    m_members.allowSwap = m_pAllowSwap->isChecked() ? 1 : 0;
    m_members.allowExtra = m_pAllowExtra->isChecked() ? 1 : 0;
    m_members.allowMissing = m_pAllowMissing->isChecked() ? 1 : 0;
    m_members.random = m_pRandom->isChecked() ? 1 : 0;
}
