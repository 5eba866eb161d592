#include "base/ManPage.h"

#include <algorithm>
#include <sstream>

namespace {

// Roff text: backslashes and minus signs escaped, no line may start with a control dot.
std::string Roff(const std::string& text)
{
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

// Blank lines separate paragraphs.
void Paragraphs(std::ostream& os, const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (line.empty()) {
            os << ".PP\n";
        } else {
            if (first)
                os << ".PP\n";
            os << Roff(line) << '\n';
        }
        first = false;
    }
}

} // namespace

std::string HelpItemLines(std::span<const cHelpItem> items, std::size_t width)
{
    std::string text;
    for (const cHelpItem& item : items) {
        std::string synopsis = item.synopsis;
        synopsis.resize(std::max(synopsis.size() + 2, width), ' ');
        text += "  " + synopsis + item.purpose + '\n';
    }
    return text;
}

std::string ManPage(const cManPageText& page, const std::string& version)
{
    std::ostringstream os;
    std::string upper = page.program;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return char(c >= 'a' && c <= 'z' ? c - 32 : c); });
    os << ".TH " << Roff(upper) << " 1 \"\" \"Quorvant " << version << "\" \"Benutzerbefehle\"\n"
       << ".SH NAME\n" << Roff(page.program) << " \\- " << Roff(page.summary) << '\n'
       << ".SH \xC3\x9C" "BERSICHT\n";
    for (std::size_t i = 0; i < page.synopsis.size(); ++i)
        os << (i ? ".br\n" : "") << ".B " << Roff(page.program) << '\n' << Roff(page.synopsis[i]) << '\n';
    os << ".SH BESCHREIBUNG\n";
    Paragraphs(os, page.description);
    os << ".SH " << Roff(page.itemsHeading) << '\n';
    for (const cHelpItem& item : page.items)
        os << ".TP\n.B " << Roff(item.synopsis) << '\n' << Roff(item.purpose) << '\n';
    os << ".SH EXIT-STATUS\n";
    Paragraphs(os, page.exitStatus);
    os << ".SH SIEHE AUCH\n" << Roff(page.seeAlso) << '\n';
    return os.str();
}
