// Small text helpers, platform-free. Narrow texts are bytes (UTF-8 where
// they carry text); wide texts are UTF-16 on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// "%lld"
std::string FormatInt64(int64_t value);
// like scanf "%lld": leading blanks and a sign allowed, 0 when nothing parses
int64_t ParseInt64(const std::string& text);

// drops leading characters that belong to `set`
std::string TrimLeftChars(const std::string& text, const std::string& set);

// index of the first occurrence, or -1; -1 when either text is empty
int FindSubstring(const std::string& text, const std::string& part);
int FindSubstring(const std::wstring& text, const std::wstring& part);

// removes every occurrence of `part`; each search resumes where the last
// removal happened, so removals can join pieces that stay
std::wstring EraseAll(const std::wstring& text, const std::wstring& part);

// splits at any of the delimiter characters and drops empty pieces
std::vector<std::wstring> SplitAny(const std::wstring& text, const std::wstring& delimiters);
std::vector<std::string> SplitAny(const std::string& text, const std::string& delimiters);

// the text without control characters (below U+0020, and U+007F): a value
// that can never end a line of an INI file
std::wstring WithoutControlCharacters(const std::wstring& text);

// the first three characters, or the whole text when it is shorter
std::string FirstThreeChars(const std::string& text);

// lower-case hexadecimal of bytes
std::string HexLower(const unsigned char* data, size_t size);

}  // namespace orvane
