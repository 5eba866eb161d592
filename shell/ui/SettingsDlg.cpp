#include "shell/ui/SettingsDlg.h"

#include "base/Settings.h"
#include "ui/DialogParts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QSpinBox>
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

    // The learning plan: off by default, so practice stays as it was until asked for.
    auto* planGroup = new QGroupBox(QStringLiteral("Lernplan"), this);
    planGroup->setObjectName(QStringLiteral("groupPlan"));
    m_plan = new QCheckBox(QString::fromUtf8("Nach Lernplan &üben"), planGroup);
    m_plan->setObjectName(QStringLiteral("checkPlan"));
    m_newPerDay = new QSpinBox(planGroup);
    m_newPerDay->setObjectName(QStringLiteral("spinNewPerDay"));
    m_newPerDay->setRange(0, kMaxNewPerDay);
    auto* planLayout = new QFormLayout(planGroup);
    planLayout->addRow(m_plan);
    planLayout->addRow(QStringLiteral("&Neue Aufgaben pro Tag:"), m_newPerDay);

    QDialogButtonBox* buttons = OkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_beep);
    layout->addWidget(m_next);
    layout->addWidget(m_nextOnAssess);
    layout->addWidget(group);
    layout->addWidget(planGroup);
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
    m_plan->setChecked(settings.m_bPlan != 0);
    m_newPerDay->setValue(settings.m_nNewPerDay);
}

void CSettingsDlg::Store(cSettings& settings) const
{
    settings.m_bBeepOnWrong = m_beep->isChecked() ? 1 : 0;
    settings.m_bNextOnRight = m_next->isChecked() ? 1 : 0;
    for (int i = 0; i < 3; ++i)
        if (m_print[i]->isChecked())
            settings.m_nPrintSelection = i;
    settings.m_bPlan = m_plan->isChecked() ? 1 : 0;
    settings.m_nNewPerDay = m_newPerDay->value();
}
