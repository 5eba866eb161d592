#include "practice/ui/QuestionnaireDlg.h"

#include "practice/Editor.h"
#include "ui/DialogParts.h"
#include "ui/Text.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// A short number field with its unit behind it.
QWidget* WithUnit(QLineEdit* edit, const QString& unit, QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    edit->setParent(box);
    row->addWidget(edit);
    if (!unit.isEmpty())
        row->addWidget(new QLabel(unit, box));
    row->addStretch(1);
    return box;
}

} // namespace

CSplitDlg::CSplitDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlg146"));
    setWindowTitle(QStringLiteral("Fragebogenaufteilung"));

    m_pName = Named(new QLineEdit(this), 1058);
    m_pTaskList = Named(new QLineEdit(this), 1057);
    m_pTime = Named(new QLineEdit(this), 1059);
    m_pPassPoints = Named(new QLineEdit(this), 1054);
    m_pRetakePoints = Named(new QLineEdit(this), 1061);
    m_pTotalPoints = Named(new QLineEdit(this), 1062);
    m_pTotalPoints->setReadOnly(true);
    const int numberWidth =
        m_pTime->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 16;
    for (QLineEdit* number : {m_pTime, m_pPassPoints, m_pRetakePoints, m_pTotalPoints})
        number->setFixedWidth(numberWidth);
    m_pTaskList->setMinimumWidth(420);

    auto* grid = new QGridLayout;
    grid->addWidget(Caption(QStringLiteral("Name des Fragebogens"), m_pName, this), 0, 0, 1, 2);
    grid->addWidget(m_pName, 1, 0, 1, 2);
    grid->addWidget(Caption(QStringLiteral("Fragen dieses Fragebogens (durch Komma getrennt)"),
                            m_pTaskList, this),
                    2, 0, 1, 2);
    grid->addWidget(m_pTaskList, 3, 0, 1, 2);
    grid->setRowMinimumHeight(4, 8);
    grid->addWidget(Caption(QStringLiteral("Zeit"), m_pTime, this), 5, 0);
    grid->addWidget(WithUnit(m_pTime, QStringLiteral("Minuten"), this), 5, 1);
    grid->addWidget(Caption(QStringLiteral("Zu erreichende Punkte"), m_pPassPoints, this), 6, 0);
    grid->addWidget(WithUnit(m_pPassPoints, QString(), this), 6, 1);
    grid->addWidget(Caption(QString::fromUtf8("Nachprüfung ab"), m_pRetakePoints, this), 7, 0);
    grid->addWidget(WithUnit(m_pRetakePoints, QStringLiteral("Punkten"), this), 7, 1);
    grid->addWidget(Caption(QStringLiteral("Gesamtpunkte"), m_pTotalPoints, this), 8, 0);
    grid->addWidget(WithUnit(m_pTotalPoints, QString(), this), 8, 1);
    grid->setColumnStretch(1, 1);

    QDialogButtonBox* buttons = OkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_pName, m_pTaskList);
    setTabOrder(m_pTaskList, m_pTime);
    setTabOrder(m_pTime, m_pPassPoints);
    setTabOrder(m_pPassPoints, m_pRetakePoints);
    setTabOrder(m_pRetakePoints, m_pTotalPoints);
}

void CSplitDlg::Load(const cSplitTexts& texts)
{
    m_pTaskList->setText(m_taskList.Show(texts.taskList));
    m_pName->setText(m_name.Show(texts.name));
    m_pTime->setText(ToQString(texts.time));
    m_pPassPoints->setText(ToQString(texts.passPoints));
    m_pRetakePoints->setText(ToQString(texts.retakePoints));
    m_pTotalPoints->setText(ToQString(texts.totalPoints));
    m_pName->setFocus();
}

void CSplitDlg::Store(cSplitTexts& texts) const
{
    texts.taskList = m_taskList.Take(m_pTaskList->text());
    texts.name = m_name.Take(m_pName->text());
    texts.time = ToCp1252(m_pTime->text());
    texts.passPoints = ToCp1252(m_pPassPoints->text());
    texts.retakePoints = ToCp1252(m_pRetakePoints->text());
}

bool CSplitDlg::Edit(cSplitTexts& texts, QWidget* parent)
{
    CSplitDlg dlg(parent);
    dlg.Load(texts);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    dlg.Store(texts);
    return true;
}
