// The Windows side of the machine identity: Md5File against md5sum, and
// the MAC determination on this (Wine) system.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <iostream>

#include "platform/MacAddress.h"
#include "platform/Md5.h"
#include "platform/StringConv.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

// deterministic bytes that do not repeat with any small period
void WritePattern(const std::wstring& path, uint64_t size) {
  UniqueHandle f(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(f.valid());
  std::string chunk(1 << 20, '\0');
  uint64_t state = 0x9E3779B97F4A7C15ULL, written = 0;
  while (written < size) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), size - written));
    for (size_t i = 0; i < n; ++i) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      chunk[i] = static_cast<char>(state >> 56);
    }
    DWORD put = 0;
    ASSERT_TRUE(::WriteFile(f.get(), chunk.data(), static_cast<DWORD>(n), &put, nullptr));
    written += put;
  }
}

// md5sum of a file, run as a Linux program through Wine. Wine hands out no
// process handle for a Linux program, so its answer is awaited as a file
// that appears whole.
std::string Md5sum(const std::string& unixPath) {
  const std::string out = unixPath + ".md5";
  const std::wstring cmd = L"/bin/sh -c \"md5sum '" + Utf8ToWide(unixPath) + L"' > '" +
                           Utf8ToWide(out) + L".tmp' && mv '" + Utf8ToWide(out) + L".tmp' '" +
                           Utf8ToWide(out) + L"'\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring line = cmd;
  if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return "md5sum could not be started";
  if (pi.hThread) ::CloseHandle(pi.hThread);
  if (pi.hProcess) ::CloseHandle(pi.hProcess);
  std::string text;
  for (int waited = 0; waited < 120000 && text.size() < 33; waited += 50) {
    ::Sleep(50);
    text = test::ReadFileBytes(test::HostPath(out));
  }
  ::DeleteFileW(test::HostPath(out).c_str());
  return text.substr(0, 32);
}

TEST(Md5File, AgreesWithMd5sumAroundThePieceSizeAndForALargeFile) {
  const std::string dir =
      std::string(ORVANE_TEST_BINARY_DIR) + "/md5-" + std::to_string(::GetCurrentProcessId());
  ASSERT_TRUE(::CreateDirectoryW(test::HostPath(dir).c_str(), nullptr));
  for (uint64_t size :
       {1ull, 55ull, 64ull, 4095ull, 4096ull, 4097ull, 8192ull + 1, (48ull << 20) + 123}) {
    const std::string unix = dir + "/data-" + std::to_string(size);
    const std::wstring path = test::HostPath(unix);
    WritePattern(path, size);
    std::string want = Md5sum(unix);
    EXPECT_EQ(want.size(), 32u) << want;
    EXPECT_EQ(Md5File(path), want) << size;
    ::DeleteFileW(path.c_str());
  }
  ::RemoveDirectoryW(test::HostPath(dir).c_str());
}

TEST(Md5File, MissingOrEmptyFileGivesNothing) {
  test::ScratchDir dir;
  EXPECT_EQ(Md5File(dir.File(L"missing.bin")), "");
  test::WriteFileBytes(dir.File(L"empty.bin"), "");
  EXPECT_EQ(Md5File(dir.File(L"empty.bin")), "");
}

TEST(MacAddress, TheSystemAnswerIsWellFormedAndStable) {
  const std::string mac = GetMacAddress();
  std::cout << "MAC address here: \"" << mac << "\"\n";
  if (!mac.empty()) {
    ASSERT_EQ(mac.size(), 17u);
    for (size_t i = 0; i < mac.size(); ++i) {
      if (i % 3 == 2) {
        EXPECT_EQ(mac[i], '-');
      } else {
        EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(mac[i])) &&
                    !std::islower(static_cast<unsigned char>(mac[i])));
      }
    }
    EXPECT_NE(mac, "00-00-00-00-00-00");
  }
  EXPECT_EQ(GetMacAddress(), mac);
}

}  // namespace
}  // namespace orvane
