#include "platform/StringUtil.h"

#include <cstdlib>

namespace orvane {

namespace {

template <typename S>
int FindIn(const S& text, const S& part) {
  if (text.empty() || part.empty()) return -1;
  auto pos = text.find(part);
  return pos == S::npos ? -1 : static_cast<int>(pos);
}

template <typename S>
std::vector<S> Split(const S& text, const S& delimiters) {
  std::vector<S> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(delimiters, start);
    if (end == S::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

}  // namespace

std::string FormatInt64(int64_t value) {
  return std::to_string(static_cast<long long>(value));
}

int64_t ParseInt64(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  long long v = std::strtoll(begin, &end, 10);
  if (end == begin) return 0;
  return static_cast<int64_t>(v);
}

std::string TrimLeftChars(const std::string& text, const std::string& set) {
  size_t first = text.find_first_not_of(set);
  return first == std::string::npos ? std::string() : text.substr(first);
}

int FindSubstring(const std::string& text, const std::string& part) {
  return FindIn(text, part);
}

int FindSubstring(const std::wstring& text, const std::wstring& part) {
  return FindIn(text, part);
}

std::wstring EraseAll(const std::wstring& text, const std::wstring& part) {
  if (part.empty() || part.size() > text.size()) return text;
  std::wstring out = text;
  size_t pos = 0;
  while ((pos = out.find(part, pos)) != std::wstring::npos)
    out.erase(pos, part.size());
  return out;
}

std::vector<std::wstring> SplitAny(const std::wstring& text, const std::wstring& delimiters) {
  return Split(text, delimiters);
}

std::vector<std::string> SplitAny(const std::string& text, const std::string& delimiters) {
  return Split(text, delimiters);
}

std::wstring WithoutControlCharacters(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text)
    if (c >= 0x20 && c != 0x7F) out.push_back(c);
  return out;
}

std::string FirstThreeChars(const std::string& text) {
  return text.substr(0, 3);
}

std::string HexLower(const unsigned char* data, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    out.push_back(kDigits[data[i] >> 4]);
    out.push_back(kDigits[data[i] & 0xF]);
  }
  return out;
}

}  // namespace orvane
