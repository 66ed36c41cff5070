#include <windows.h>

#include <vector>

#include "platform/Handles.h"
#include "platform/Md5.h"

namespace orvane {

std::string Md5File(const std::wstring& path) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return {};
  Md5 md5;
  // large pieces: under Wine each read is a system call of its own
  std::vector<unsigned char> piece(1 << 16);
  for (;;) {
    DWORD got = 0;
    // a read error must not pass off a partial digest as the file's
    if (!::ReadFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr))
      return {};
    if (got == 0) break;
    md5.Update(piece.data(), got);
  }
  return md5.FinalHex();
}

}  // namespace orvane
