#include "platform/ArchiveNames.h"

namespace orvane {

namespace {

template <typename String>
bool IsSafeName(const String& name) {
  using Char = typename String::value_type;
  const Char separators[] = {Char('/'), Char('\\'), Char(0)};
  const Char dots[] = {Char('.'), Char('.'), Char(0)};
  if (name.empty() || name[0] == Char('/') || name[0] == Char('\\')) return false;
  if (name.find(Char(':')) != String::npos) return false;  // "C:x", streams
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of(separators, start);
    if (end == String::npos) end = name.size();
    if (end - start == 2 && name.compare(start, 2, dots) == 0) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

bool IsSafeArchiveEntryName(const std::string& name) {
  return IsSafeName(name);
}

bool IsSafeArchiveEntryName(const std::wstring& name) {
  return IsSafeName(name);
}

}  // namespace orvane
