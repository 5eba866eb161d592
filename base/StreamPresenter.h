#pragma once
// A message presenter for programs without windows: prints each box to a text stream.

#include "base/Message.h"

#include <iosfwd>

/// Prints caption and text of every box as UTF-8 to a stream and answers without asking:
/// OK for notices, and the answer that changes nothing for questions (Cancel when the box
/// has one, else No), so that nothing destructive is ever confirmed unattended.
class cStreamPresenter : public cMessagePresenter {
public:
    explicit cStreamPresenter(std::ostream& out) : m_out(out) {}
    int Present(const std::string& caption, const std::string& text,
                std::uint32_t style) override;

private:
    std::ostream& m_out;
};

/// The button an unattended presenter answers for a box of this style.
int UnattendedAnswer(std::uint32_t style);

/// Windows-1252 text with "\r\n" as one line break, as UTF-8 for a terminal.
std::string ConsoleText(const std::string& text);
