#pragma once
// Small builders for the tasks that core and window tests put into training files.

#include "base/Cp1252.h"
#include "data/Task.h"

#include <cstdint>
#include <string>

namespace testdata {

/// Windows-1252 bytes of a UTF-8 literal.
inline std::string W(const char* utf8) {
    return Cp1252FromUtf8(utf8);
}

/// A text task ("Textaufgabe") in the category "Vokabeln".
inline cTask TextTask(const std::string& no, const std::string& question,
                      const std::string& solution, int points = 1) {
    cTask t;
    t.m_strTaskNo = no;
    t.m_strCategory = "Vokabeln";
    t.m_strQuestion = question;
    t.m_strSolution = solution;
    t.m_nType = TaskTypeText;
    t.m_nPoints = static_cast<std::uint8_t>(points);
    return t;
}

} // namespace testdata
