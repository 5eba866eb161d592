#pragma once
// The help of both programs: one table of options or commands gives the "--help" text
// and the manual page, so the two cannot tell different stories.

#include <span>
#include <string>
#include <vector>

/// One line of a help table: what to type and what it does.
struct cHelpItem {
    const char* synopsis; // "--pdf AUSGABE.pdf DATEI.vdr"
    const char* purpose;  // German, one sentence
};

/// The help table as "--help" lists it: two blanks, the synopsis padded to width, the
/// purpose (a synopsis too long for the width gets two blanks).
[[nodiscard]] std::string HelpItemLines(std::span<const cHelpItem> items, std::size_t width);

/// What a manual page says besides the table.
struct cManPageText {
    std::string program;               // "quorvant"
    std::string summary;               // the NAME line after the dash
    std::vector<std::string> synopsis; // the call forms, without the program name
    std::string description;           // paragraphs separated by blank lines
    std::string itemsHeading;          // "OPTIONEN" or "BEFEHLE"
    std::span<const cHelpItem> items;
    std::string exitStatus;            // paragraphs
    std::string seeAlso;
};

/// The manual page in man(7) markup, section 1, in German.
[[nodiscard]] std::string ManPage(const cManPageText& page, const std::string& version);
