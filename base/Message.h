#pragma once
// The message catalogue: every message box of the program's own logic is a catalogue
// id plus one parameter text. The core builds caption, text and style; an installed
// presenter shows the box (a message box in the window, standard error in the CLI,
// a recorder with scripted answers in tests).
//
// The catalogue is the one place every layer may use: the data layer, the practice
// logic, the command-line tool and every ui/ folder report through it. It depends on
// nothing above the core's leaves, so any file may include it without bending an arrow.

#include <cstdint>
#include <string>

/// Message-box results, with the values the callers compare against.
enum MessageResult : int { ResultOk = 1, ResultCancel = 2, ResultYes = 6, ResultNo = 7 };

/// Message-box style bits (buttons, icon, help button).
enum MessageStyle : std::uint32_t {
    StyleOk = 0x0,
    StyleYesNoCancel = 0x3,
    StyleYesNo = 0x4,
    StyleIconError = 0x10,
    StyleIconQuestion = 0x20,
    StyleIconWarning = 0x30,
    StyleIconInfo = 0x40,
    StyleHelp = 0x4000,
};

struct cMessageRecord {
    std::int32_t id;
    std::int32_t number;
    const char* title;    // UTF-8 in the table; handed out as Windows-1252
    const char* text;
    const char* helpText;
    std::uint32_t style;
};

/// Shows one message box and returns the pressed button (MessageResult).
/// Caption and text are Windows-1252 bytes; "\r\n" separates lines.
class cMessagePresenter {
public:
    virtual ~cMessagePresenter() = default;
    virtual int Present(const std::string& caption, const std::string& text,
                        std::uint32_t style) = 0;
};

/// Installs the presenter used by ShowMessage and friends; nullptr restores the default,
/// which writes caption and text to standard error and answers OK, No to yes/no
/// questions and Cancel where the box offers it, so nothing unattended is confirmed.
void SetMessagePresenter(cMessagePresenter* presenter);
/// The presenter now in use (never nullptr).
cMessagePresenter& MessagePresenter();

/// Shows catalogue message id with its parameter; returns the pressed button.
int ShowMessage(int id, std::string param);
/// Shows the quick help of the catalogue message now on screen, if it has one.
void ShowQuickHelp();

/// Id of the catalogue message now on screen, 0 while none is shown.
int CurrentMessageId();
/// The catalogue record with this id, or nullptr.
const cMessageRecord* FindMessageRecord(int id);
/// "Frage", "Fehler", "Meldung", "Warnung" or "" from the icon bits of a style.
std::string MessageKindWord(std::uint32_t style);
