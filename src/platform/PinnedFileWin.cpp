#include <windows.h>

#include <wincrypt.h>

#include <vector>

#include "platform/Md5.h"
#include "platform/PinnedFile.h"
#include "platform/StringUtil.h"

namespace orvane {

bool PinnedFile::Open(const std::wstring& path) {
  Release();
  if (path.empty()) return false;
  // only readers may share it; a link is opened as the link
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return false;
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!::GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &info, sizeof info) ||
      (info.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    return false;
  }
  file_ = std::move(file);
  path_ = path;
  return true;
}

void PinnedFile::Release() {
  file_.reset();
  path_.clear();
}

template <typename Take>
bool PinnedFile::ReadPieces(Take take) const {
  if (!file_) return false;
  LARGE_INTEGER start{};
  if (!::SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN)) return false;
  std::vector<char> piece(1 << 16);
  for (;;) {
    DWORD got = 0;
    // a read error must not pass off a part of the file as all of it
    if (!::ReadFile(file_.get(), piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr))
      return false;
    if (got == 0) return true;
    if (!take(piece.data(), got)) return false;
  }
}

bool PinnedFile::ReadAll(uint64_t maxBytes, std::string* bytes) const {
  bytes->clear();
  bool ok = ReadPieces([&](const char* data, DWORD size) {
    if (bytes->size() + size > maxBytes) return false;
    bytes->append(data, size);
    return true;
  });
  if (!ok) bytes->clear();
  return ok;
}

std::string PinnedFile::Md5() const {
  orvane::Md5 md5;
  uint64_t total = 0;
  bool ok = ReadPieces([&](const char* data, DWORD size) {
    md5.Update(data, size);
    total += size;
    return true;
  });
  return ok && total > 0 ? md5.FinalHex() : std::string();
}

namespace {

struct CryptProviderTraits {
  using Type = HCRYPTPROV;
  static Type Empty() { return 0; }
  static bool IsValid(Type h) { return h != 0; }
  static void Close(Type h) { ::CryptReleaseContext(h, 0); }
};
struct CryptHashTraits {
  using Type = HCRYPTHASH;
  static Type Empty() { return 0; }
  static bool IsValid(Type h) { return h != 0; }
  static void Close(Type h) { ::CryptDestroyHash(h); }
};

}  // namespace

std::string PinnedFile::Sha256() const {
  HandleT<CryptProviderTraits> provider;
  if (!::CryptAcquireContextW(provider.receive(), nullptr, nullptr, PROV_RSA_AES,
                              CRYPT_VERIFYCONTEXT)) {
    return {};
  }
  HandleT<CryptHashTraits> hash;
  if (!::CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, hash.receive())) return {};
  uint64_t total = 0;
  bool ok = ReadPieces([&](const char* data, DWORD size) {
    total += size;
    return ::CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(data), size, 0) != FALSE;
  });
  unsigned char digest[32] = {};
  DWORD length = sizeof digest;
  if (!ok || total == 0 || !::CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &length, 0) ||
      length != sizeof digest) {
    return {};
  }
  return HexLower(digest, sizeof digest);
}

std::wstring PinnedFile::FinalPath() const {
  if (!file_) return {};
  DWORD n = ::GetFinalPathNameByHandleW(file_.get(), nullptr, 0, FILE_NAME_NORMALIZED);
  if (n == 0) return {};
  std::vector<wchar_t> buffer(n + 1);
  n = ::GetFinalPathNameByHandleW(file_.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                  FILE_NAME_NORMALIZED);
  if (n == 0 || n >= buffer.size()) return {};
  std::wstring path(buffer.data(), n);
  // "\\?\C:\..." and "\\?\UNC\server\..." as the short forms that every
  // caller takes, while they fit
  if (path.size() < MAX_PATH) {
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0 && path.size() > 6 && path[5] == L':')
      return path.substr(4);
  }
  return path;
}

}  // namespace orvane
