// Writing ZIP archives for the unpacking and skin tests, with minizip's
// writer.
#pragma once

#include <gtest/gtest.h>
#include <minizip/zip.h>
// after zip.h, whose declarations it needs
#include <minizip/iowin32.h>

#include <string>
#include <vector>

namespace orvane::test {

struct ZipEntry {
  std::string name;
  std::string data;
  bool deflate = true;
};

inline void MakeZip(const std::wstring& path, const std::vector<ZipEntry>& entries) {
  zlib_filefunc64_def io;
  fill_win32_filefunc64W(&io);
  zipFile zip = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &io);
  ASSERT_NE(zip, nullptr);
  for (const ZipEntry& e : entries) {
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                  e.deflate ? Z_DEFLATED : 0, Z_DEFAULT_COMPRESSION),
              ZIP_OK);
    if (!e.data.empty()) {
      ASSERT_EQ(zipWriteInFileInZip(zip, e.data.data(), static_cast<unsigned>(e.data.size())),
                ZIP_OK);
    }
    ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
  }
  ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

}  // namespace orvane::test
