#include "platform/ZipUnpack.h"

#include <windows.h>

// iowin32.h needs the declarations of unzip.h before it
#include <minizip/unzip.h>

#include <minizip/iowin32.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/ArchiveNames.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
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

// minizip's file functions over an archive in memory
struct MemoryArchive {
  const unsigned char* data;
  uint64_t size;
  uint64_t position = 0;
};

voidpf ZCALLBACK MemoryOpen(voidpf opaque, const void*, int mode) {
  // read only
  return (mode & ZLIB_FILEFUNC_MODE_WRITE) ? nullptr : opaque;
}

uLong ZCALLBACK MemoryRead(voidpf opaque, voidpf, void* buffer, uLong size) {
  auto* m = static_cast<MemoryArchive*>(opaque);
  const uint64_t left = m->size - m->position;
  const uLong take = static_cast<uLong>(size < left ? size : left);
  std::memcpy(buffer, m->data + m->position, take);
  m->position += take;
  return take;
}

uLong ZCALLBACK MemoryWrite(voidpf, voidpf, const void*, uLong) {
  return 0;
}

ZPOS64_T ZCALLBACK MemoryTell(voidpf opaque, voidpf) {
  return static_cast<MemoryArchive*>(opaque)->position;
}

long ZCALLBACK MemorySeek(voidpf opaque, voidpf, ZPOS64_T offset, int origin) {
  auto* m = static_cast<MemoryArchive*>(opaque);
  uint64_t base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      base = 0;
      break;
    case ZLIB_FILEFUNC_SEEK_CUR:
      base = m->position;
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      base = m->size;
      break;
    default:
      return -1;
  }
  if (offset > m->size - base) return -1;
  m->position = base + offset;
  return 0;
}

int ZCALLBACK MemoryClose(voidpf, voidpf) {
  return 0;
}

int ZCALLBACK MemoryError(voidpf, voidpf) {
  return 0;
}

zlib_filefunc64_def MemoryFunctions(MemoryArchive* memory) {
  zlib_filefunc64_def io{};
  io.zopen64_file = &MemoryOpen;
  io.zread_file = &MemoryRead;
  io.zwrite_file = &MemoryWrite;
  io.ztell64_file = &MemoryTell;
  io.zseek64_file = &MemorySeek;
  io.zclose_file = &MemoryClose;
  io.zerror_file = &MemoryError;
  io.opaque = memory;
  return io;
}

// Up to this size an archive on disk is read into memory first: minizip
// reads a header a few bytes at a time and finds each entry by walking the
// directory from its start, and under Wine every read is a system call of
// its own. The skin's 18 files took 30 ms from the file, 1 ms from memory.
constexpr uint64_t kInMemoryArchiveBytes = 16 << 20;

// the whole file, when it is no longer than maxBytes
bool ReadSmallFile(const std::wstring& path, uint64_t maxBytes, std::vector<unsigned char>* bytes) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      static_cast<uint64_t>(size.QuadPart) > maxBytes) {
    return false;
  }
  bytes->resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  // a file that changed its size meanwhile is read from disk after all
  if (!::ReadFile(file.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &got, nullptr) ||
      got != bytes->size()) {
    bytes->clear();
    return false;
  }
  return true;
}

// an archive opened from memory (with the memory it is read from) or, when
// it is too large for that, from the file
struct OpenedArchive {
  std::vector<unsigned char> bytes;
  MemoryArchive memory{nullptr, 0};
  UnzArchive zip;
};

std::unique_ptr<OpenedArchive> OpenArchive(const std::wstring& path) {
  auto archive = std::make_unique<OpenedArchive>();
  if (ReadSmallFile(path, kInMemoryArchiveBytes, &archive->bytes)) {
    archive->memory = {archive->bytes.data(), archive->bytes.size()};
    zlib_filefunc64_def io = MemoryFunctions(&archive->memory);
    archive->zip.reset(unzOpen2_64("memory", &io));
  } else {
    zlib_filefunc64_def io;
    fill_win32_filefunc64W(&io);
    archive->zip.reset(unzOpen2_64(path.c_str(), &io));
  }
  return archive;
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
  if (!ok) DeleteTree(destination);
  return ok;
}

}  // namespace

bool ReadArchiveEntry(const void* archive,
                      size_t archiveSize,
                      const std::string& name,
                      uint64_t maxBytes,
                      std::string* bytes) {
  bytes->clear();
  if (!archive || archiveSize == 0) return false;
  MemoryArchive memory{static_cast<const unsigned char*>(archive), archiveSize};
  zlib_filefunc64_def io = MemoryFunctions(&memory);
  UnzArchive zip(unzOpen2_64("memory", &io));
  if (!zip || unzLocateFile(zip.get(), name.c_str(), 1) != UNZ_OK) return false;
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(zip.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
      info.uncompressed_size > maxBytes || unzOpenCurrentFile(zip.get()) != UNZ_OK) {
    return false;
  }
  bool ok = true;
  char chunk[8192];
  while (ok) {
    int got = unzReadCurrentFile(zip.get(), chunk, sizeof(chunk));
    if (got < 0 || bytes->size() + static_cast<size_t>(got) > info.uncompressed_size) ok = false;
    if (got <= 0) break;
    bytes->append(chunk, static_cast<size_t>(got));
  }
  // a CRC mismatch shows when the entry is closed
  if (unzCloseCurrentFile(zip.get()) != UNZ_OK) ok = false;
  if (!ok || bytes->size() != info.uncompressed_size) {
    bytes->clear();
    return false;
  }
  return true;
}

int UnpackAll(const std::wstring& archivePath, const std::wstring& destinationFolder) {
  if (archivePath.empty() || destinationFolder.empty()) return -1;
  const std::unique_ptr<OpenedArchive> archive = OpenArchive(archivePath);
  if (!archive->zip) return -1;
  for (const std::string& name : ListEntries(archive->zip.get())) {
    if (!ExtractEntry(archive->zip.get(), name, destinationFolder)) return -1;
  }
  return 0;
}

void UnpackAllLenient(const std::wstring& archivePath, const std::wstring& destinationFolder) {
  if (archivePath.empty() || destinationFolder.empty()) return;
  const std::unique_ptr<OpenedArchive> archive = OpenArchive(archivePath);
  if (!archive->zip) return;
  for (const std::string& name : ListEntries(archive->zip.get())) {
    ExtractEntry(archive->zip.get(), name, destinationFolder);
  }
}

}  // namespace orvane
