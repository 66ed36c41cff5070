#include <windows.h>

#include "platform/StringConv.h"

namespace orvane {

namespace {

// an embedded NUL ends the text, as with the C string the API sees
std::wstring ToWide(const std::string& text, UINT codePage) {
  const char* s = text.c_str();
  int n = ::MultiByteToWideChar(codePage, 0, s, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, s, -1, &out[0], n);
  out.resize(static_cast<size_t>(n) - 1);
  return out;
}

std::string ToNarrow(const std::wstring& text, UINT codePage) {
  const wchar_t* s = text.c_str();
  int n = ::WideCharToMultiByte(codePage, 0, s, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, 0, s, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n) - 1);
  return out;
}

}  // namespace

std::wstring AnsiToWide(const std::string& text) {
  return ToWide(text, CP_ACP);
}
std::string WideToAnsi(const std::wstring& text) {
  return ToNarrow(text, CP_ACP);
}
std::wstring Utf8ToWide(const std::string& text) {
  return ToWide(text, CP_UTF8);
}
std::string WideToUtf8(const std::wstring& text) {
  return ToNarrow(text, CP_UTF8);
}

}  // namespace orvane
