#include "platform/ZipUnpack.h"

#include <windows.h>

// iowin32.h needs the declarations of unzip.h before it
#include <minizip/unzip.h>

#include <minizip/iowin32.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/ArchiveNames.h"
#include "platform/StringConv.h"

namespace orvane {

namespace {

struct UnzCloser {
  void operator()(void* zip) const { unzClose(zip); }
};
using UnzArchive = std::unique_ptr<void, UnzCloser>;

struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};

UnzArchive OpenArchive(const std::wstring& path) {
  zlib_filefunc64_def io;
  fill_win32_filefunc64W(&io);
  return UnzArchive(unzOpen2_64(path.c_str(), &io));
}

// entry names from the first to the last, at most the announced count
// unless that count is 0xFFFF
std::vector<std::string> ListEntries(unzFile zip) {
  std::vector<std::string> names;
  unz_global_info64 info{};
  if (unzGetGlobalInfo64(zip, &info) != UNZ_OK) return names;
  for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
    if (info.number_entry != 0xFFFF && names.size() >= info.number_entry) break;
    char name[260] = {};
    if (unzGetCurrentFileInfo64(zip, nullptr, name, sizeof(name) - 1, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
      break;
    }
    names.emplace_back(name);
  }
  return names;
}

bool ExtractEntry(unzFile zip, const std::string& name, const std::wstring& folder) {
  if (!IsSafeArchiveEntryName(name)) return false;
  // what is written is the converted name, so it is checked as well
  const std::wstring wideName = AnsiToWide(name);
  if (!IsSafeArchiveEntryName(wideName)) return false;
  if (unzLocateFile(zip, name.c_str(), 1) != UNZ_OK) return false;
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return false;
  if (info.uncompressed_size == 0) return false;
  if (unzOpenCurrentFile(zip) != UNZ_OK) return false;

  const std::wstring destination = folder + wideName;
  std::unique_ptr<FILE, FileCloser> out(_wfopen(destination.c_str(), L"wb"));
  bool ok = out != nullptr;
  uint64_t written = 0;
  while (ok && written < info.uncompressed_size) {
    char chunk[2048];
    int got = unzReadCurrentFile(zip, chunk, sizeof(chunk));
    if (got <= 0 ||
        fwrite(chunk, 1, static_cast<size_t>(got), out.get()) != static_cast<size_t>(got)) {
      ok = false;
      break;
    }
    written += static_cast<uint64_t>(got);
  }
  // a CRC mismatch shows when the entry is closed
  if (unzCloseCurrentFile(zip) != UNZ_OK) ok = false;
  if (out && fclose(out.release()) != 0) ok = false;
  if (!ok) ::DeleteFileW(destination.c_str());
  return ok;
}

}  // namespace

int UnpackAll(const std::wstring& archivePath, const std::wstring& destinationFolder) {
  if (archivePath.empty() || destinationFolder.empty()) return -1;
  UnzArchive zip = OpenArchive(archivePath);
  if (!zip) return -1;
  for (const std::string& name : ListEntries(zip.get())) {
    if (!ExtractEntry(zip.get(), name, destinationFolder)) return -1;
  }
  return 0;
}

void UnpackAllLenient(const std::wstring& archivePath, const std::wstring& destinationFolder) {
  if (archivePath.empty() || destinationFolder.empty()) return;
  UnzArchive zip = OpenArchive(archivePath);
  if (!zip) return;
  for (const std::string& name : ListEntries(zip.get())) {
    ExtractEntry(zip.get(), name, destinationFolder);
  }
}

}  // namespace orvane
