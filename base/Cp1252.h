#pragma once
// The one Windows-1252 codec of the program. Training files store their texts as
// Windows-1252 bytes; every conversion to or from Unicode goes through here.

#include <string>
#include <string_view>

/// Unicode code point of a Windows-1252 byte. The five bytes the code page leaves
/// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
char32_t Cp1252ToUnicode(unsigned char byte);

/// Windows-1252 byte of a code point, or -1 when the code page has none.
int UnicodeToCp1252(char32_t cp);

/// Windows-1252 bytes as UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

/// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t cp);

/// UTF-8 text as Windows-1252 bytes. Returns false (and leaves out unmappable or
/// malformed characters) when some character has no Windows-1252 byte; badIndex then
/// holds the character position (0-based, in code points) of the first one.
bool Utf8ToCp1252(std::string_view utf8, std::string& out, std::size_t* badIndex = nullptr);

/// UTF-8 text as Windows-1252 bytes, with '?' for characters the code page lacks.
/// Meant for program-internal constants that are known to be mappable.
std::string Cp1252FromUtf8(std::string_view utf8);

/// Lower case of one Windows-1252 byte: A-Z, the accented capitals 0xC0-0xDE except
/// 0xD7 (multiplication sign), and the capitals S/OE/Z with caron and Y diaeresis.
unsigned char LowerCp1252(unsigned char byte);

/// Lower case of a Windows-1252 byte string.
std::string LowerCp1252(std::string_view bytes);
