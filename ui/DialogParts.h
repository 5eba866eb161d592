#pragma once
// Small pieces every dialog builds the same way: control names, captions, OK/Abbrechen.

#include <QString>

class QDialog;
class QDialogButtonBox;
class QLabel;
class QWidget;

/// The object name a control with this id carries ("ctl" and the number).
QString CtlName(int id);

/// Gives widget the object name of control id and returns it.
template <class T> T* Named(T* widget, int id)
{
    widget->setObjectName(CtlName(id));
    return widget;
}

/// Width a window needs to show caption whole in its title bar (the bold title font, the
/// window icon and the three title buttons).
int CaptionWidth(const QWidget& window, const QString& caption);

/// A caption label whose mnemonic moves the focus to buddy.
QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent);

/// "OK" (ctl1, default) and "Abbrechen" (ctl2) wired to the dialog's accept and reject.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);
