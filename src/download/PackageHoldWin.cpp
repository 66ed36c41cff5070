#include "download/PackageHold.h"

#include <vector>

#include "platform/Md5.h"

namespace orvane {

bool CPackageHold::Open(const std::wstring& path) {
  Release();
  file_.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) return false;
  path_ = path;
  return true;
}

std::string CPackageHold::Md5() {
  if (!file_) return {};
  LARGE_INTEGER zero{};
  LARGE_INTEGER size{};
  if (!::SetFilePointerEx(file_.get(), zero, nullptr, FILE_BEGIN) ||
      !::GetFileSizeEx(file_.get(), &size) || size.QuadPart <= 0) {
    return {};
  }
  orvane::Md5 md5;
  std::vector<unsigned char> piece(1 << 16);
  for (;;) {
    DWORD got = 0;
    // a read error must not pass off a partial digest as the file's
    if (!::ReadFile(file_.get(), piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr))
      return {};
    if (got == 0) break;
    md5.Update(piece.data(), got);
  }
  return md5.FinalHex();
}

void CPackageHold::Release() {
  file_.reset();
  path_.clear();
}

}  // namespace orvane
