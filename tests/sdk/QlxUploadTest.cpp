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
  // everything acknowledged: the journal is empty and the acknowledgement
  // starts at its front
  EXPECT_EQ(JournalSize(sdk), 0u);
  EXPECT_EQ(JournalAck(sdk), "0 -\n");

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
  // everything acknowledged: the journal is empty and the acknowledgement
  // starts at its front
  EXPECT_EQ(JournalSize(sdk), 0u);
  EXPECT_EQ(JournalAck(sdk), "0 -\n");
}

// A batch the receiver refuses for good (400) is set aside: the records
// after it go out, and it is never sent again, not even once the receiver
// would take it.
TEST(QlxUpload, ABatchRefusedForGoodIsSetAsideAndLaterRecordsFlow) {
  SetSinkMode(kSinkReject, "");
  SdkCopy sdk;
  // written while the host is down, so that they make one batch
  QlxHandle h = sdk.Open(kSinkDown);
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(sdk.CommitEvent(h, "vRefused", i), 0);
  ASSERT_EQ(sdk.Free(h), 0);
  const std::vector<std::string> lines = JournalLines(sdk.folder());
  const std::vector<std::string> refused = UidsOf(lines);
  ASSERT_EQ(refused.size(), 3u);
  h = sdk.Open(kSinkReject);
  ASSERT_TRUE(WaitFor(
      [&] {
        for (const auto& r : RequestsWith(refused[0]))
          if (r.status == 400) return true;
        return false;
      },
      kWaitMs));
  // the receiver would take anything now
  SetSinkMode(kSinkReject, "ack");
  ASSERT_EQ(sdk.CommitEvent(h, "vAfterTheRefusal", 9), 0);
  const std::string later = UidsOf(JournalLines(sdk.folder())).back();
  ASSERT_TRUE(WaitForSinkUids({later}, kWaitMs));
  ASSERT_EQ(sdk.Free(h), 0);
  SetSinkMode(kSinkReject, "");

  EXPECT_TRUE(OnlyThese(SinkUids(), refused).empty());
  for (const auto& uid : refused) {
    for (const auto& r : RequestsWith(uid))
      EXPECT_EQ(r.status, 400) << uid;
  }
  // kept beside the journal, byte for byte, and gone from the journal
  std::string aside;
  for (const auto& l : lines)
    aside += l + "\n";
  EXPECT_EQ(ReadFileBytes(sdk.folder() + L"Qlx.journal.refused"), aside);
  EXPECT_TRUE(OnlyThese(UidsOf(JournalLines(sdk.folder())), refused).empty());
}

// While every upload fails, the journal stays within its cap: the oldest
// records go, and a record of its own counts them; that record and the
// newest ones go out once the host answers.
TEST(QlxUpload, TheJournalStaysWithinItsCapWhileUploadsFail) {
  SdkCopy sdk;
  QlxHandle h = sdk.Open(kSinkDown);
  const int n = 700;  // about 1.5 MiB of records of 2 KiB
  size_t largest = 0;
  for (int i = 0; i < n; ++i) {
    ASSERT_EQ(sdk.CommitFilled(h, "vFill", i, 2000), 0) << i;
    if (i % 50 == 0) largest = std::max(largest, JournalSize(sdk));
  }
  ASSERT_EQ(sdk.Free(h), 0);
  largest = std::max(largest, JournalSize(sdk));
  std::cout << "largest journal " << largest << " bytes for " << n << " records of 2 KiB\n";
  EXPECT_LE(largest, 2u * 1024 * 1024);
  EXPECT_LE(JournalSize(sdk), 1024u * 1024);
  std::vector<std::string> lines = JournalLines(sdk.folder());
  ASSERT_FALSE(lines.empty());
  Json::Value count = ParseJsonLine(lines[0]);
  ASSERT_EQ(count["event"].asString(), "qlxRecordsDropped") << lines[0];
  const int dropped = count["props"]["dropped_records"].asInt();
  EXPECT_EQ(dropped + static_cast<int>(lines.size()) - 1, n);
  // the newest survived, in order
  EXPECT_EQ(ParseJsonLine(lines.back())["props"]["n"].asInt(), n - 1);

  const std::vector<std::string> kept = UidsOf(lines);
  h = sdk.Open(kSinkAck);
  ASSERT_TRUE(WaitForSinkUids(kept, kWaitMs));
  ASSERT_EQ(sdk.Free(h), 0);
  EXPECT_EQ(OnlyThese(SinkUids(), kept), kept);
  EXPECT_EQ(JournalSize(sdk), 0u);  // acknowledged lines do not stay
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
  // everything acknowledged: the journal is empty and the acknowledgement
  // starts at its front
  EXPECT_EQ(JournalSize(sdk), 0u);
  EXPECT_EQ(JournalAck(sdk), "0 -\n");
}

}  // namespace
}  // namespace orvane::test
