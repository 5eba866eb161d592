#pragma once
// The only crossing between the core's Windows-1252 byte strings and QString.

#include <QString>

#include <string>

/// Windows-1252 bytes as a QString.
QString ToQString(const std::string& bytes);
/// A QString as Windows-1252 bytes; characters the code page lacks become '?'.
std::string ToCp1252(const QString& text);
/// True when every character of text has a Windows-1252 byte.
bool IsCp1252(const QString& text);
