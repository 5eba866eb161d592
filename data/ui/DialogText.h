#pragma once
// A record's text as an edit control shows it. Training files may hold bytes that an
// edit cannot give back unchanged (line breaks of other systems, control characters), so
// a control the user did not touch returns exactly the bytes it was loaded with.

#include "ui/Text.h"

#include <QString>

#include <string>

class cShownText {
public:
    /// The text for the control; multi-line edits show "\r\n" and "\r" as line breaks.
    QString Show(const std::string& bytes, bool multiLine = false)
    {
        m_bytes = bytes;
        m_shown = ToQString(bytes);
        if (multiLine) {
            m_shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            m_shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        }
        return m_shown;
    }

    /// The bytes for what the control holds now; a changed multi-line text separates its
    /// lines with "\r\n", as the training files do.
    [[nodiscard]] std::string Take(const QString& now, bool multiLine = false) const
    {
        if (now == m_shown)
            return m_bytes;
        if (!multiLine)
            return ToCp1252(now);
        QString text = now;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        return ToCp1252(text);
    }

private:
    std::string m_bytes;
    QString m_shown;
};
