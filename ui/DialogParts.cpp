#include "ui/DialogParts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

QString CtlName(int id)
{
    return QStringLiteral("ctl%1").arg(id);
}

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    // Screen readers find a buddy's name only among its siblings; a field placed in a
    // box of its own gets it here.
    if (buddy && buddy->accessibleName().isEmpty())
        buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return label;
}

QDialogButtonBox* OkCancelButtons(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(CtlName(1));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(CtlName(2));
    // accept and reject are virtual: dialogs that check their input before closing
    // still get their own accept through these connections.
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

int CaptionWidth(const QWidget& window, const QString& caption)
{
    // Room beside the caption: the window icon and the three title buttons.
    constexpr int kTitleBarExtra = 130;
    QFont titleFont = window.font();
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(caption) + kTitleBarExtra;
}
