// Conversions between wide (UTF-16) texts and narrow texts in the ANSI code
// page or UTF-8, over whole NUL-terminated strings.
#pragma once

#include <string>

namespace orvane {

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

}  // namespace orvane
