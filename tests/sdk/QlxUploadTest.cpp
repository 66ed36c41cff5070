// Qlx.dll's uploads against the loopback analytics sink: batches in journal
// order, acknowledged batches never sent again, refused or unanswered ones
// sent again and stored once, records of a killed process sent by the next
// run, and qlxFree's bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <set>

#include "platform/Md5.h"
#include "platform/StringConv.h"
#include "sdk/SdkCopy.h"
#include "support/AnalyticsSink.h"

namespace orvane::test {
namespace {

constexpr DWORD kWaitMs = 30000;

std::vector<std::string> OnlyThese(const std::vector<std::string>& all,
                                   const std::vector<std::string>& wanted) {
  std::set<std::string> keep(wanted.begin(), wanted.end());
  std::vector<std::string> out;
  for (const auto& u : all)
    if (keep.count(u)) out.push_back(u);
  return out;
}

bool Contains(const SinkRequest& r, const std::string& uid) {
  return std::find(r.uids.begin(), r.uids.end(), uid) != r.uids.end();
}

// the requests that carried `uid`
std::vector<SinkRequest> RequestsWith(const std::string& uid) {
  std::vector<SinkRequest> out;
  for (const auto& r : SinkRequests())
    if (Contains(r, uid)) out.push_back(r);
  return out;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  for (DWORD waited = 0; !done(); waited += 100) {
    if (waited >= timeoutMs) return false;
    ::Sleep(100);
  }
  return true;
}

std::string JournalAck(const SdkCopy& sdk) {
  return ReadFileBytes(sdk.folder() + L"Qlx.journal.ack");
}

size_t JournalSize(const SdkCopy& sdk) {
  return ReadFileBytes(sdk.folder() + L"Qlx.journal").size();
}

TEST(QlxUpload, BatchesReachTheSinkInOrderAndAreNeverSentTwice) {
  SdkCopy sdk;
  QlxHandle h = sdk.Open(kSinkDown);
  for (int i = 0; i < 250; ++i)
    ASSERT_EQ(sdk.CommitEvent(h, "vBatch", i), 0);
  ASSERT_EQ(sdk.Free(h), 0);
  const std::vector<std::string> uids = UidsOf(JournalLines(sdk.folder()));
  ASSERT_EQ(uids.size(), 250u);

  h = sdk.Open(kSinkAck);
  ASSERT_TRUE(WaitForSinkUids(uids, kWaitMs));
  ASSERT_EQ(sdk.Free(h), 0);

  // stored once each, in journal order
  EXPECT_EQ(OnlyThese(SinkUids(), uids), uids);
  // three acknowledged batches of at most 100, each record in exactly one
  std::vector<size_t> sizes;
  std::multiset<std::string> sent;
  for (const auto& r : SinkRequests()) {
    if (r.status != 200 ||
        !Contains(r, uids.front()) && !Contains(r, uids[150]) && !Contains(r, uids.back()))
      continue;
    EXPECT_EQ(r.listener, "127.0.0.13:8080");
    EXPECT_EQ(r.path, "/sa?project=test");
    sizes.push_back(r.uids.size());
    sent.insert(r.uids.begin(), r.uids.end());
  }
  EXPECT_EQ(sizes, (std::vector<size_t>{100, 100, 50}));
  for (const auto& u : uids)
    EXPECT_EQ(sent.count(u), 1u);
  EXPECT_EQ(JournalAck(sdk), std::to_string(JournalSize(sdk)) + " " + uids.back() + "\n");

  // a later run sends only its own record
  const size_t before = SinkRequests().size();
  h = sdk.Open(kSinkAck);
  ASSERT_EQ(sdk.CommitEvent(h, "vLater", 1), 0);
  const std::string later = UidsOf(JournalLines(sdk.folder())).back();
  ASSERT_TRUE(WaitForSinkUids({later}, kWaitMs));
  ASSERT_EQ(sdk.Free(h), 0);
  std::vector<SinkRequest> all = SinkRequests();
  for (size_t i = before; i < all.size(); ++i) {
    for (const auto& u : uids)
      EXPECT_FALSE(Contains(all[i], u)) << "sent again: " << u;
  }
}

TEST(QlxUpload, RefusedAndUnansweredBatchesGoOutAgainAndArriveOnce) {
  SdkCopy sdk;
  QlxHandle h = sdk.Open(kSinkRefuse);
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(sdk.CommitEvent(h, "vRetry", i), 0);
  ASSERT_EQ(sdk.Free(h), 0);
  const std::vector<std::string> uids = UidsOf(JournalLines(sdk.folder()));
  ASSERT_EQ(uids.size(), 3u);
  {
    auto seen = RequestsWith(uids.back());
    ASSERT_FALSE(seen.empty());
    for (const auto& r : seen)
      EXPECT_EQ(r.status, 503);
    EXPECT_TRUE(OnlyThese(SinkUids(), uids).empty());
  }

  // the sink stores the batch but the acknowledgement never arrives, as if
  // this process had crashed right after sending
  h = sdk.Open(kSinkDrop);
  ASSERT_TRUE(WaitForSinkUids(uids, kWaitMs));
  ASSERT_EQ(sdk.Free(h), 0);
  EXPECT_EQ(JournalAck(sdk), "");  // nothing acknowledged yet

  h = sdk.Open(kSinkAck);
  ASSERT_TRUE(WaitFor(
      [&] {
        for (const auto& r : RequestsWith(uids.front()))
          if (r.status == 200) return true;
        return false;
      },
      kWaitMs));
  ASSERT_EQ(sdk.Free(h), 0);

  int acknowledged = 0;
  for (const auto& r : RequestsWith(uids.front())) {
    if (r.status != 200) continue;
    ++acknowledged;
    EXPECT_EQ(r.duplicates, 3);  // the resend stored nothing new
    EXPECT_EQ(r.stored, 0);
  }
  EXPECT_EQ(acknowledged, 1);
  EXPECT_EQ(OnlyThese(SinkUids(), uids), uids);  // once each
  EXPECT_EQ(JournalAck(sdk), std::to_string(JournalSize(sdk)) + " " + uids.back() + "\n");
}

TEST(QlxUpload, TheSandboxKeepsRecordsUntilItIsLeft) {
  SdkCopy sdk;
  auto sandbox = sdk.Get<QlxEnableSandboxFn>("qlxEnableSandbox");
  ASSERT_EQ(sandbox(1), 0);
  QlxHandle h = sdk.Open(kSinkAck);
  ASSERT_EQ(sdk.CommitEvent(h, "vSandboxed", 1), 0);
  ASSERT_EQ(sdk.Free(h), 0);
  const std::vector<std::string> uids = UidsOf(JournalLines(sdk.folder()));
  ASSERT_EQ(uids.size(), 1u);
  EXPECT_TRUE(RequestsWith(uids[0]).empty());

  ASSERT_EQ(sandbox(0), 0);
  h = sdk.Open(kSinkAck);
  EXPECT_TRUE(WaitForSinkUids(uids, kWaitMs));
  ASSERT_EQ(sdk.Free(h), 0);
}

TEST(QlxUpload, FreeIsBoundedWhenTheHostDoesNotAnswer) {
  for (int port : {kSinkHang, kSinkDown}) {
    SdkCopy sdk;
    QlxHandle h = sdk.Open(port);
    ASSERT_EQ(sdk.CommitEvent(h, "vBound", 1), 0);
    ::Sleep(300);  // the upload is under way
    ULONGLONG start = ::GetTickCount64();
    ASSERT_EQ(sdk.Free(h), 0);
    ULONGLONG took = ::GetTickCount64() - start;
    std::cout << "qlxFree against port " << port << " took " << took << " ms\n";
    EXPECT_LT(took, 10000u) << port;
    EXPECT_EQ(UidsOf(JournalLines(sdk.folder())).size(), 1u);  // still there for later
  }
}

TEST(QlxUpload, RecordsOfAKilledProcessGoOutWithTheNextRun) {
  SdkCopy sdk;
  const std::wstring marker = sdk.folder() + L"committed.txt";
  std::wstring folder = sdk.folder();
  folder.pop_back();
  DWORD pid = 0;
  UniqueHandle child =
      StartProcess(L"\"" + HostPath(ORVANE_QLX_CHILD) + L"\" commit \"" + folder + L"\" " +
                       std::to_wstring(kSinkDown) + L" 20 \"" + marker + L"\"",
                   &pid);
  ASSERT_TRUE(child.valid());
  ASSERT_TRUE(WaitFor([&] { return !ReadFileBytes(marker).empty(); }, kWaitMs));
  ::TerminateProcess(child.get(), 9);
  ASSERT_EQ(WaitExitCode(child.get(), kWaitMs), 9);

  std::vector<std::string> uids = UidsOf(JournalLines(sdk.folder()));
  ASSERT_EQ(uids.size(), 20u);
  // a writer killed in the middle of a line
  {
    UniqueHandle f(::CreateFileW((sdk.folder() + L"Qlx.journal").c_str(), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
    DWORD put = 0;
    ASSERT_TRUE(::WriteFile(f.get(), "{\"uid\":\"0123", 12, &put, nullptr));
  }

  QlxHandle h = sdk.Open(kSinkAck);
  ASSERT_EQ(sdk.CommitEvent(h, "vAfterKill", 1), 0);
  std::vector<std::string> lines = JournalLines(sdk.folder());
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[20], "{\"uid\":\"0123");  // ended, and left alone
  Json::Value after = ParseJsonLine(lines[21]);
  ASSERT_TRUE(after.isObject()) << lines[21];
  uids.push_back(after["uid"].asString());

  ASSERT_TRUE(WaitForSinkUids(uids, kWaitMs));
  ASSERT_EQ(sdk.Free(h), 0);
  EXPECT_EQ(OnlyThese(SinkUids(), uids), uids);
  for (const auto& r : SinkRecordLines()) {
    Json::Value v = ParseJsonLine(r);
    if (v["uid"].asString() == uids.front()) EXPECT_EQ(v["pid"].asUInt(), pid);
  }
  EXPECT_EQ(JournalAck(sdk), std::to_string(JournalSize(sdk)) + " " + uids.back() + "\n");
}

}  // namespace
}  // namespace orvane::test
