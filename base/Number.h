#pragma once
// Numbers as the dialogs and the message texts read and write them. A leaf of the core:
// every layer may use it, and it uses nothing of the program.

#include <cstdint>
#include <string>

/// The white space atol skips before a number.
[[nodiscard]] bool IsBlank(char c);

/// atol of a text: leading white space, optional sign, leading digits; else 0.
/// Saturates at the 64-bit limits instead of overflowing.
[[nodiscard]] long long AtolValue(const std::string& text);

/// AtolValue clamped to the signed 32-bit range.
[[nodiscard]] std::int32_t AtolInt32(const std::string& text);

/// A 64-bit value clamped to the signed 32-bit range.
[[nodiscard]] std::int32_t ClampInt32(long long value);

/// "%d" for digits 0, else at least digits digits with leading zeros.
[[nodiscard]] std::string FormatNumber(int value, int digits);
