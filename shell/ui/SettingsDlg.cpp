#include "shell/ui/SettingsDlg.h"

#include "base/Settings.h"
#include "ui/DialogParts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

CSettingsDlg::CSettingsDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlg141"));
    setWindowTitle(QStringLiteral("Einstellungen"));

    m_beep = new QCheckBox(QStringLiteral("Hinweiston bei falscher Antwort"), this);
    m_beep->setObjectName(QStringLiteral("ctl1030"));
    m_next = new QCheckBox(
        QString::fromUtf8("Direkt zur nächsten Aufgabe springen bei richtiger Antwort"), this);
    m_next->setObjectName(QStringLiteral("ctl1031"));
    m_nextOnAssess = new QCheckBox(
        QString::fromUtf8("Direkt zur nächsten Aufgabe nach Anklicken der Selbstbewertung"),
        this);
    m_nextOnAssess->setObjectName(QStringLiteral("ctl1074"));
    m_nextOnAssess->hide();

    auto* group = new QGroupBox(QStringLiteral("Drucken"), this);
    group->setObjectName(QStringLiteral("groupPrint"));
    const char* const labels[3] = {
        "Alle Aufgaben drucken",
        "Nur Aufgaben drucken, die min. einmal falsch beantwortet wurden",
        "Nur Aufgaben drucken, die häufiger falsch beantwortet wurden",
    };
    auto* groupLayout = new QVBoxLayout(group);
    for (int i = 0; i < 3; ++i) {
        m_print[i] = Named(new QRadioButton(QString::fromUtf8(labels[i]), group), 1050 + i);
        groupLayout->addWidget(m_print[i]);
    }

    QDialogButtonBox* buttons = OkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_beep);
    layout->addWidget(m_next);
    layout->addWidget(m_nextOnAssess);
    layout->addWidget(group);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CSettingsDlg::Load(const cSettings& settings)
{
    m_beep->setChecked(settings.m_bBeepOnWrong != 0);
    m_next->setChecked(settings.m_bNextOnRight != 0);
    // A value no button stands for (a damaged file) shows the default choice.
    const int choice = settings.m_nPrintSelection >= 0 && settings.m_nPrintSelection < 3
                           ? settings.m_nPrintSelection
                           : 0;
    m_print[choice]->setChecked(true);
}

void CSettingsDlg::Store(cSettings& settings) const
{
    settings.m_bBeepOnWrong = m_beep->isChecked() ? 1 : 0;
    settings.m_bNextOnRight = m_next->isChecked() ? 1 : 0;
    for (int i = 0; i < 3; ++i)
        if (m_print[i]->isChecked())
            settings.m_nPrintSelection = i;
}
