// Log texts as UTF-8, for the reports that must be valid UTF-8. A log's
// bytes are its own: a text that is valid UTF-8 is kept; any other is read
// as Windows-1252, the code page the program's own texts are in.
#pragma once

#include <string>
#include <string_view>

/// True when `text` is well-formed UTF-8: no stray or missing continuation
/// byte, no overlong form, no surrogate, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view text);

/// `text` itself when it is valid UTF-8; otherwise every byte read as
/// Windows-1252 (its five unassigned bytes as the control characters of
/// the same value).
std::string TextAsUtf8(std::string_view text);

/// Appends code point `c` (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string* out, char32_t c);
