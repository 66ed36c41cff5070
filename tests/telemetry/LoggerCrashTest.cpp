// The logger's crash handler, seen from the journal of a process that
// crashed.
#include <gtest/gtest.h>

#include "platform/StringConv.h"
#include "telemetry/TestLogger.h"

namespace orvane::test {
namespace {

TEST(LoggerCrash, TheHandlerReportsTheDumpThenTheQuit) {
  TestLoggerFolder folder;
  const std::wstring sdk = folder.sdk(), temp = folder.temp();
  auto bare = [](const std::wstring& f) { return f.substr(0, f.size() - 1); };
  UniqueHandle child = StartProcess(L"\"" + HostPath(ORVANE_TELEMETRY_CHILD) + L"\" crash \"" +
                                    bare(sdk) + L"\" \"" + bare(temp) + L"\"");
  ASSERT_TRUE(child.valid());
  EXPECT_EQ(static_cast<DWORD>(WaitExitCode(child.get(), 60000)),
            static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));

  std::vector<std::string> lines = folder.Lines();
  ASSERT_EQ(lines.size(), 5u);
  std::vector<Json::Value> r = folder.Records();
  EXPECT_EQ(r[0]["event"].asString(), "vBeforeCrash");

  EXPECT_EQ(r[1]["type"].asInt(), 4);
  const Json::Value& f = r[1]["fields"];
  ASSERT_EQ(f.size(), 4u) << lines[1];
  EXPECT_EQ(f[0][0].asInt(), 50);
  EXPECT_EQ(f[0][1].asInt(), 1);
  EXPECT_EQ(f[1][1].asString(), "0001");
  EXPECT_EQ(f[2][1].asString(), "0001");
  EXPECT_EQ(f[3][0].asInt(), 55);
  const std::wstring dump = AnsiToWide(f[3][1].asString());
  EXPECT_EQ(dump.rfind(sdk + L"dumps\\", 0), 0u) << lines[1];
  EXPECT_EQ(ReadFileBytes(dump).substr(0, 4), "MDMP");

  EXPECT_EQ(r[2]["type"].asInt(), 4);
  EXPECT_EQ(r[2]["fields"].size(), 3u);
  EXPECT_EQ(r[2]["fields"][2][1].asString(), "0002");
  EXPECT_EQ(r[3]["event"].asString(), "vSoftDump");
  EXPECT_TRUE(PropsOf(lines[3]).empty());
  EXPECT_EQ(r[4]["event"].asString(), "vSoftQuit");
  EXPECT_EQ(PropsOf(lines[4]), (std::vector<std::string>{"event_name=软件崩溃"}));
}

}  // namespace
}  // namespace orvane::test
