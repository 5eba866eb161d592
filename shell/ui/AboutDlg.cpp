#include "shell/ui/AboutDlg.h"

#include "shell/ui/Icons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include <array>

QString FileVersionText(const QString& version)
{
    const QStringList parts = version.trimmed().split(QLatin1Char('.'));
    if (parts.size() > 4)
        return {};
    std::array<unsigned, 4> v{};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const unsigned n = parts[i].toUInt(&ok);
        if (!ok || n > 0xFFFF)
            return {};
        v[static_cast<std::size_t>(i)] = n;
    }
    if (v[2] != 0 || v[3] != 0)
        return QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
    if (v[0] != 0 || v[1] != 0)
        return QStringLiteral("%1.%2").arg(v[0]).arg(v[1]);
    return {};
}

QString ProgramVersionText()
{
    return FileVersionText(QStringLiteral(QUORVANT_VERSION));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlg100"));
    setWindowTitle(QString::fromUtf8("Info über das Programm"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("appIcon"));
    icon->setPixmap(DrawAppImage(48));
    auto* version = new QLabel(QStringLiteral("Quorvant Version ") + ProgramVersionText(), this);
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
