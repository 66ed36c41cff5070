// File names a download server proposes in "filename=" of a HEAD answer:
// whatever is kept must name a plain file directly in the cache folder.
// The input is the answer's head lines; its bytes become UTF-16 code units
// one by one (what the system code page gives for ASCII), and, from the
// second half on, pairs of bytes are taken as UTF-16 too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "download/DownloadRules.h"

namespace {

void Check(const std::wstring& proposed) {
  const std::wstring kept = orvane::SafePackageFileName(proposed);
  if (kept.empty()) return;
  // the last component, unchanged
  if (kept.size() > proposed.size() ||
      proposed.compare(proposed.size() - kept.size(), kept.size(), kept) != 0) {
    __builtin_trap();
  }
  if (kept.size() > orvane::kMaxPackageNameLength) __builtin_trap();
  if (kept == L"." || kept == L"..") __builtin_trap();
  if (kept.back() == L'.' || kept.back() == L' ') __builtin_trap();
  for (wchar_t c : kept) {
    if (c < 0x20 || c == L'\\' || c == L'/' || c == L':' || c == L'*' || c == L'?' || c == L'"' ||
        c == L'<' || c == L'>' || c == L'|') {
      __builtin_trap();
    }
  }
  std::wstring base = kept.substr(0, kept.find(L'.'));
  while (!base.empty() && base.back() == L' ')
    base.pop_back();
  for (auto& c : base)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"COM1", L"LPT1", L"CONIN$"})
    if (base == device) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  const std::string name = orvane::FileNameFromHeaders(lines);
  Check(std::wstring(name.begin(), name.end()));

  std::wstring wide;
  for (size_t i = size / 2; i + 1 < size; i += 2)
    wide.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  Check(wide);
  return 0;
}
