// The Windows side of the machine identity: Md5File against md5sum, and
// the MAC determination on this (Wine) system.
#include <gtest/gtest.h>

#include <cctype>
#include <iostream>

#include "platform/MacAddress.h"
#include "platform/Md5.h"
#include "platform/StringConv.h"
#include "support/WineTestSupport.h"

namespace orvane {
namespace {

// the build wrote files around the 64 KiB piece and a 32 MiB one, and
// what md5sum says of each (make_md5_files.py)
TEST(Md5File, AgreesWithMd5sumAroundThePieceSizeAndForALargeFile) {
  const std::string dir = ORVANE_MD5_FILES;
  const std::string list = test::ReadFileBytes(test::HostPath(dir + "/md5sum.txt"));
  size_t checked = 0;
  for (size_t at = 0, nl; (nl = list.find('\n', at)) != std::string::npos; at = nl + 1) {
    const std::string line = list.substr(at, nl - at);  // "<digest>  <name>"
    ASSERT_GT(line.size(), 34u) << line;
    const std::string digest = line.substr(0, 32), name = line.substr(34);
    EXPECT_EQ(Md5File(test::HostPath(dir + "/" + name)), digest) << name;
    ++checked;
  }
  EXPECT_EQ(checked, 11u);
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
