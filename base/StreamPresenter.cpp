#include "base/StreamPresenter.h"

#include "base/Cp1252.h"

#include <ostream>

namespace {

constexpr std::uint32_t kButtonMask = 0xF;
constexpr std::uint32_t kButtonsOkCancel = 0x1;
constexpr std::uint32_t kButtonsRetryCancel = 0x5;

} // namespace

int UnattendedAnswer(std::uint32_t style)
{
    switch (style & kButtonMask) {
    case StyleYesNoCancel:
    case kButtonsOkCancel:
    case kButtonsRetryCancel:
        return ResultCancel;
    case StyleYesNo:
        return ResultNo;
    default:
        return ResultOk;
    }
}

std::string ConsoleText(const std::string& text)
{
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue; // the line feed that follows makes the break
        lines += text[i];
    }
    return Cp1252ToUtf8(lines);
}

int cStreamPresenter::Present(const std::string& caption, const std::string& text,
                              std::uint32_t style)
{
    m_out << ConsoleText(caption) << '\n' << ConsoleText(text) << '\n';
    m_out.flush();
    return UnattendedAnswer(style);
}
