#include "platform/OsVersion.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(OsVersion, CodeTable) {
  struct Case {
    unsigned major, minor, sp;
    std::optional<unsigned> real;
    OsVersionCode code;
  } cases[] = {
      {5, 1, 3, std::nullopt, kOsXp},
      {6, 0, 2, std::nullopt, kOsVista},
      {6, 1, 0, std::nullopt, kOsWin7},
      {6, 1, 1, std::nullopt, kOsWin7Sp},
      {6, 2, 0, 6u, kOsWin8},
      {6, 3, 0, 6u, kOsWin8},
      {6, 2, 0, 10u, kOsWin10},          // an unmanifested program on Windows 10
      {6, 2, 0, std::nullopt, kOsWin8},  // no RtlGetNtVersionNumbers
      {10, 0, 0, std::nullopt, kOsWin10},
      {5, 0, 4, std::nullopt, kOsUnknown},
      {5, 2, 2, 5u, kOsUnknown},
      {4, 0, 0, std::nullopt, kOsUnknown},
      {11, 0, 0, std::nullopt, kOsUnknown},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OsVersionCodeFor(c.major, c.minor, c.sp, c.real), c.code)
        << c.major << "." << c.minor << " sp" << c.sp;
  }
}

}  // namespace
}  // namespace orvane
