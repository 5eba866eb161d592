#pragma once
// Message boxes of the window: the presenter behind the core's ShowMessage, and the box
// it shows. The help button and F1 show the quick help and keep the box open.

#include "base/Message.h"

#include <QMessageBox>

#include <cstdint>
#include <string>

/// A modal message box built from a caption, a text and message-box style bits.
class CMessageBox : public QMessageBox {
    Q_OBJECT
public:
    /// caption and text are Windows-1252 bytes; "\r\n" separates lines.
    CMessageBox(const std::string& caption, const std::string& text, std::uint32_t style,
                QWidget* parent = nullptr);

    /// The help button, or nullptr when the style has none.
    [[nodiscard]] QAbstractButton* HelpButton() const { return m_help; }
    /// The result code of the button that closed the box (ResultOk, ResultYes, ...).
    [[nodiscard]] int ResultCode() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QAbstractButton* m_help = nullptr;
};

/// Shows catalogue messages in real message boxes owned by the active window.
class cMessageBoxPresenter : public cMessagePresenter {
public:
    int Present(const std::string& caption, const std::string& text,
                std::uint32_t style) override;
};

/// The window that owns a new box: the active modal dialog, else the active window.
QWidget* MessageBoxOwner();
