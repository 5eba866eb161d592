#include "ui/MessageBoxPresenter.h"

#include "ui/DialogParts.h"
#include "ui/Text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>

#include <algorithm>

namespace {

constexpr std::uint32_t kButtonMask = 0xF;
constexpr std::uint32_t kIconMask = 0xF0;

QString BoxText(const std::string& bytes)
{
    QString text = ToQString(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QMessageBox::Icon IconOf(std::uint32_t style)
{
    switch (style & kIconMask) {
    case 0x10: return QMessageBox::Critical;
    case 0x20: return QMessageBox::Question;
    case 0x30: return QMessageBox::Warning;
    case 0x40: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons ButtonsOf(std::uint32_t style)
{
    switch (style & kButtonMask) {
    case 1: return QMessageBox::Ok | QMessageBox::Cancel;
    case 2: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case 3: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case 4: return QMessageBox::Yes | QMessageBox::No;
    case 5: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
    }
}

// The button that Enter presses: the first of the style's buttons, as a message box
// lists them (Yes before No before Cancel), never the help button.
QMessageBox::StandardButton DefaultOf(std::uint32_t style)
{
    switch (style & kButtonMask) {
    case 2: return QMessageBox::Abort;
    case 3: case 4: return QMessageBox::Yes;
    case 5: return QMessageBox::Retry;
    default: return QMessageBox::Ok;
    }
}

// A short text would give a box too narrow for its caption, which the title bar then
// cuts off; the box is made wide enough to show the whole caption.
void FitCaption(QMessageBox& box, const QString& caption)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    int width = CaptionWidth(box, caption);
    if (const QScreen* screen = box.screen())
        width = std::min(width, screen->availableGeometry().width() - 100);
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

// German labels whatever translations are installed.
void LabelButtons(QMessageBox& box)
{
    const struct {
        QMessageBox::StandardButton button;
        const char* label;
    } labels[] = {
        {QMessageBox::Ok, "OK"},           {QMessageBox::Cancel, "Abbrechen"},
        {QMessageBox::Yes, "&Ja"},         {QMessageBox::No, "&Nein"},
        {QMessageBox::Abort, "&Abbrechen"}, {QMessageBox::Retry, "&Wiederholen"},
        {QMessageBox::Ignore, "&Ignorieren"}, {QMessageBox::Help, "&Hilfe"},
    };
    for (const auto& l : labels)
        if (QAbstractButton* b = box.button(l.button))
            b->setText(QString::fromUtf8(l.label));
}

} // namespace

CMessageBox::CMessageBox(const std::string& caption, const std::string& text,
                         std::uint32_t style, QWidget* parent)
    : QMessageBox(parent)
{
    setObjectName(QStringLiteral("messageBox"));
    setWindowTitle(ToQString(caption));
    // Parameters may hold file names or user text: never interpret them as markup.
    setTextFormat(Qt::PlainText);
    setText(BoxText(text));
    setIcon(IconOf(style));
    setStandardButtons(ButtonsOf(style));
    if (style & StyleHelp) {
        m_help = addButton(QMessageBox::Help);
        // The help button shows the quick help instead of closing the box.
        if (auto* buttonBox = findChild<QDialogButtonBox*>())
            disconnect(m_help, &QAbstractButton::clicked, buttonBox, nullptr);
        connect(m_help, &QAbstractButton::clicked, this, [] { ShowQuickHelp(); });
    }
    LabelButtons(*this);
    setDefaultButton(DefaultOf(style));
    FitCaption(*this, windowTitle());
}

int CMessageBox::ResultCode() const
{
    QAbstractButton* clicked = clickedButton();
    switch (clicked ? standardButton(clicked) : QMessageBox::NoButton) {
    case QMessageBox::Ok: return ResultOk;
    case QMessageBox::Cancel: return ResultCancel;
    case QMessageBox::Abort: return 3;
    case QMessageBox::Retry: return 4;
    case QMessageBox::Ignore: return 5;
    case QMessageBox::Yes: return ResultYes;
    case QMessageBox::No: return ResultNo;
    default:
        // Closed without a button: the cancelling answer the box offers.
        if (button(QMessageBox::Cancel))
            return ResultCancel;
        if (button(QMessageBox::No))
            return ResultNo;
        return ResultOk;
    }
}

void CMessageBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        ShowQuickHelp();
        event->accept();
        return;
    }
    QMessageBox::keyPressEvent(event);
}

QWidget* MessageBoxOwner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    // No window is active (no window manager, or another program in front): a box
    // without owner would stand in the middle of the screen, far from the program.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        if (qobject_cast<QMainWindow*>(window) && window->isVisible())
            return window;
    return nullptr;
}

int cMessageBoxPresenter::Present(const std::string& caption, const std::string& text,
                                  std::uint32_t style)
{
    CMessageBox box(caption, text, style, MessageBoxOwner());
    box.exec();
    return box.ResultCode();
}
