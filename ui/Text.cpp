#include "ui/Text.h"

#include "base/Cp1252.h"

QString ToQString(const std::string& bytes)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes)
        out += QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(c))));
    return out;
}

std::string ToCp1252(const QString& text)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar ch : text) {
        const int b = UnicodeToCp1252(ch.unicode());
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

bool IsCp1252(const QString& text)
{
    for (QChar ch : text)
        if (UnicodeToCp1252(ch.unicode()) < 0)
            return false;
    return true;
}
