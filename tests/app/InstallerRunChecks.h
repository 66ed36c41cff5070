// What a normal run of the installer leaves, for the tests that attack it:
// it ended with 0 and journaled its start and quit records through the SDK
// it delivered.
#pragma once

#include <gtest/gtest.h>

#include "platform/CacheFolders.h"
#include "support/AnalyticsSink.h"
#include "support/DownloadedInstaller.h"

namespace orvane::test {

inline std::wstring QlxFolder() {
  return GetPackageCacheRoot() + L"Qlx\\";
}

// the installer did its job: it ended with 0 and recorded one normal run
// through the SDK, the start records first, the quit record last and the
// user's cancel between
inline void ExpectNormalRun(int exitCode, const std::vector<std::string>& lines) {
  EXPECT_EQ(exitCode, 0);
  ASSERT_GE(lines.size(), 6u) << "the installer did not journal one normal run";
  EXPECT_EQ(ParseJsonLine(lines[0])["event"].asString(), "pSoftInstall");
  EXPECT_NE(lines[0].find("\"soft_package_name\":\"KestrelVaultSetup\""), std::string::npos)
      << lines[0];
  bool cancelled = false;
  for (const std::string& line : lines) {
    EXPECT_EQ(ParseJsonLine(line)["sid"].asString(), ParseJsonLine(lines[0])["sid"].asString())
        << "one run: " << line;
    cancelled = cancelled || ParseJsonLine(line)["event"].asString() == "pCancelInstall";
  }
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(ParseJsonLine(lines.back())["event"].asString(), "vSoftQuit");
}

// runs the installer and closes it as a user does (see RunAndClose); it
// did its job
inline void ExpectNormalRun(DownloadedInstaller& installer,
                            const std::function<void()>& whileRunning = {}) {
  const int code = installer.RunAndClose(whileRunning);
  ExpectNormalRun(code, installer.Records());
}

}  // namespace orvane::test
