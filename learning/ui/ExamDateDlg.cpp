#include "learning/ui/ExamDateDlg.h"

#include "ui/DialogParts.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QDate kDayZero(1970, 1, 1);

} // namespace

CExamDateDlg::CExamDateDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgExamDate"));
    setWindowTitle(QString::fromUtf8("Prüfungstermin"));

    auto* intro = new QLabel(
        QString::fromUtf8("Bis zum Prüfungstermin wiederholt der Lernplan auch, was bis "
                          "dahin vergessen wäre, und die Prüfungsbereitschaft zeigt die "
                          "Aussicht heute und am Prüfungstermin."),
        this);
    intro->setWordWrap(true);
    m_date = new QDateEdit(this);
    m_date->setObjectName(QStringLiteral("dateExam"));
    m_date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_date->setCalendarPopup(true);
    m_date->installEventFilter(this);
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("labelExamState"));

    QDialogButtonBox* buttons = OkCancelButtons(this);
    QPushButton* none =
        buttons->addButton(QString::fromUtf8("&Kein Prüfungstermin"), QDialogButtonBox::ResetRole);
    none->setObjectName(QStringLiteral("buttonNoExamDate"));
    none->setAutoDefault(false);
    connect(none, &QPushButton::clicked, this, [this] {
        m_bCleared = true;
        accept();
    });

    auto* form = new QFormLayout;
    form->addRow(Caption(QString::fromUtf8("&Prüfungstermin:"), m_date, this), m_date);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(m_state);
    layout->addWidget(buttons);
    setMinimumWidth(std::max(420, CaptionWidth(*this, windowTitle())));
}

void CExamDateDlg::Load(std::int64_t day, std::int64_t today)
{
    const QDate now = kDayZero.addDays(today);
    const QDate shown = day >= 0 ? kDayZero.addDays(day) : now.addMonths(1);
    // An exam lies ahead; a date already passed stays choosable until it is changed.
    m_date->setMinimumDate(std::min(now, shown));
    m_date->setDate(shown);
    m_state->setText(day >= 0 ? QString::fromUtf8("Eingetragen: %1.").arg(shown.toString(QStringLiteral("dd.MM.yyyy")))
                              : QString::fromUtf8("Zurzeit ist kein Prüfungstermin eingetragen."));
    m_bCleared = false;
    m_date->setFocus();
}

std::int64_t CExamDateDlg::Day() const
{
    return m_bCleared ? -1 : kDayZero.daysTo(m_date->date());
}

bool CExamDateDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_date && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 ||
            (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier))) {
            // The date field opens its calendar only for a click on its arrow.
            const QPointF arrow(m_date->width() - 6, m_date->height() / 2.0);
            QMouseEvent press(QEvent::MouseButtonPress, arrow, m_date->mapToGlobal(arrow),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(m_date, &press);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
