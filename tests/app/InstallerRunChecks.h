// What a normal run of the installer leaves, for the tests that attack it:
// it ended with 0 and journaled its start and quit records through the SDK
// it delivered.
#pragma once

#include <gtest/gtest.h>

#include "platform/CacheFolders.h"
#include "support/AnalyticsSink.h"

namespace orvane::test {

inline std::wstring QlxFolder() {
  return GetPackageCacheRoot() + L"Qlx\\";
}

// the installer did its job: a normal run's records in the SDK's journal
inline void ExpectNormalRun(int exitCode) {
  EXPECT_EQ(exitCode, 0);
  std::vector<std::string> lines = JournalLines(QlxFolder());
  ASSERT_EQ(lines.size(), 5u) << "the installer did not journal one normal run";
  EXPECT_EQ(ParseJsonLine(lines[0])["event"].asString(), "pSoftInstall");
  EXPECT_NE(lines[0].find("\"soft_package_name\":\"KestrelVaultSetup\""), std::string::npos)
      << lines[0];
  EXPECT_EQ(ParseJsonLine(lines[4])["event"].asString(), "vSoftQuit");
}

}  // namespace orvane::test
