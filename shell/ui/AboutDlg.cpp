#include "shell/ui/AboutDlg.h"

#include "base/FileVersion.h"
#include "shell/ui/Icons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

QString FileVersionText(const QString& version)
{
    return QString::fromLatin1(FileVersionText(version.trimmed().toStdString()));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlg100"));
    setWindowTitle(QString::fromUtf8("Info über das Programm"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("appIcon"));
    icon->setPixmap(DrawAppImage(48));
    auto* version = new QLabel(QStringLiteral("Quorvant Version ") + QString::fromLatin1(ProgramVersionText()), this);
    version->setObjectName(QStringLiteral("ctl1085"));
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Wide enough for the title bar to show the whole title.
    QFont bold = version->font();
    bold.setBold(true);
    version->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(windowTitle()) + 40);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ctl1"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addWidget(version, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
