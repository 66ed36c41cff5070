// The journal files beside Qlx.dll and their shared locks.
#include "module/JournalFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "platform/FileSystem.h"
#include "support/WineTestSupport.h"

namespace orvane::qlx {
namespace {

std::string Uid(int n) {
  char buf[40];
  std::snprintf(buf, sizeof(buf), "%032x", n);
  return buf;
}

std::string Line(int n) {
  return "{\"uid\":\"" + Uid(n) + "\"}";
}

TEST(QlxJournalFile, TornLineIsEndedBeforeTheNextRecord) {
  test::ScratchDir dir;
  JournalFile journal(dir.path() + L"\\");
  ASSERT_TRUE(journal.Append(Line(1)));
  test::WriteFileBytes(journal.path(), test::ReadFileBytes(journal.path()) + "{\"uid\":\"01");
  ASSERT_TRUE(journal.Append(Line(2)));
  EXPECT_EQ(test::ReadFileBytes(journal.path()),
            Line(1) + "\n" + "{\"uid\":\"01\n" + Line(2) + "\n");
}

TEST(QlxJournalFile, AcknowledgementMustFitTheJournal) {
  test::ScratchDir dir;
  JournalFile journal(dir.path() + L"\\");
  EXPECT_EQ(journal.LoadAck().offset, 0u);  // none stored yet
  ASSERT_TRUE(journal.Append(Line(1)));
  ASSERT_TRUE(journal.Append(Line(2)));
  const uint64_t first = Line(1).size() + 1;

  ASSERT_TRUE(journal.StoreAck({first, Uid(1)}));
  AckState ack = journal.LoadAck();
  EXPECT_EQ(ack.offset, first);
  EXPECT_EQ(ack.uid, Uid(1));

  struct Case {
    const char* name;
    std::string text;
  } bad[] = {
      {"another record ends there", std::to_string(first) + " " + Uid(2) + "\n"},
      {"beyond the journal", "999999 -\n"},
      {"inside a line", std::to_string(first - 3) + " -\n"},
      {"damaged", "garbage"},
  };
  for (const auto& c : bad) {
    test::WriteFileBytes(dir.File(L"Qlx.journal.ack"), c.text);
    EXPECT_EQ(journal.LoadAck().offset, 0u) << c.name;
  }
}

// Acknowledged lines do not stay: a trim drops them and the
// acknowledgement starts again at the front of what is left.
TEST(QlxJournalFile, TrimDropsTheAcknowledgedLines) {
  test::ScratchDir dir;
  JournalFile journal(dir.path() + L"\\");
  for (int i = 1; i <= 3; ++i)
    ASSERT_TRUE(journal.Append(Line(i)));
  const uint64_t size = test::ReadFileBytes(journal.path()).size();

  journal.Trim();  // nothing acknowledged: nothing changes
  EXPECT_EQ(test::ReadFileBytes(journal.path()).size(), size);

  ASSERT_TRUE(journal.StoreAck({size - Line(3).size() - 1, Uid(2)}));
  journal.Trim();
  EXPECT_EQ(test::ReadFileBytes(journal.path()), Line(3) + "\n");
  EXPECT_EQ(journal.LoadAck().offset, 0u);

  ASSERT_TRUE(journal.StoreAck({Line(3).size() + 1, Uid(3)}));
  journal.Trim();
  EXPECT_EQ(test::ReadFileBytes(journal.path()), "");
  ASSERT_TRUE(journal.Append(Line(4)));
  EXPECT_EQ(test::ReadFileBytes(journal.path()), Line(4) + "\n");
  EXPECT_FALSE(FileExists(journal.path() + L".1"));
}

std::string CountRecord(uint64_t n) {
  return "{\"uid\":\"" + Uid(9000 + static_cast<int>(n)) +
         "\",\"event\":\"qlxRecordsDropped\",\"props\":{\"dropped_records\":" + std::to_string(n) +
         "}}";
}

std::string PaddedLine(int n) {
  return "{\"uid\":\"" + Uid(n) + "\",\"pad\":\"" + std::string(1100, 'p') + "\"}";
}

// While uploads fail the journal stays within its cap: the oldest unsent
// records go, and a record of their own counts them.
TEST(QlxJournalFile, PastTheCapTheOldestUnsentRecordsGoAndAreCounted) {
  test::ScratchDir dir;
  const uint64_t cap = 20 * 1024;
  JournalFile journal(dir.path() + L"\\", &CountRecord, cap);
  const int n = 100;  // about 110 KiB
  for (int i = 1; i <= n; ++i)
    ASSERT_TRUE(journal.Append(PaddedLine(i)));
  const std::string bytes = test::ReadFileBytes(journal.path());
  EXPECT_LE(bytes.size(), cap);
  std::vector<JournalLine> lines = SplitCompleteLines(bytes, 0, false);
  ASSERT_GE(lines.size(), 2u);
  // the count first, then the newest records in order, the last one last
  const uint64_t counted = RecordsInLine(lines[0].text);
  ASSERT_EQ(counted + lines.size() - 1, static_cast<uint64_t>(n));
  for (size_t i = 1; i < lines.size(); ++i)
    EXPECT_EQ(lines[i].text, PaddedLine(static_cast<int>(counted + i))) << i;
  EXPECT_EQ(journal.LoadAck().offset, 0u);
}

// An upload under way holds the journal's offsets: the append does not trim
// under it until the journal is twice its cap.
TEST(QlxJournalFile, AnUploadUnderWayPutsTheTrimOffUpToTwiceTheCap) {
  test::ScratchDir dir;
  const uint64_t cap = 20 * 1024;
  JournalFile journal(dir.path() + L"\\", &CountRecord, cap);
  JournalFile uploader(dir.path() + L"\\");  // as another process holds it
  HANDLE holding = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread upload([&] {
    EXPECT_TRUE(uploader.TryLockUpload());
    ::SetEvent(holding);
    ::WaitForSingleObject(release, INFINITE);
    uploader.UnlockUpload();
  });
  ::WaitForSingleObject(holding, INFINITE);
  uint64_t largest = 0;
  for (int i = 1; i <= 60; ++i) {
    ASSERT_TRUE(journal.Append(PaddedLine(i)));
    largest = std::max<uint64_t>(largest, test::ReadFileBytes(journal.path()).size());
  }
  EXPECT_GT(largest, cap);
  EXPECT_LE(largest, 2 * cap);
  ::SetEvent(release);
  upload.join();
  ::CloseHandle(holding);
  ::CloseHandle(release);
  ASSERT_TRUE(journal.Append(PaddedLine(61)));
  EXPECT_LE(test::ReadFileBytes(journal.path()).size(), cap);
}

TEST(QlxJournalFile, RefusedBatchesAreKeptAsideTheNewestFirst) {
  test::ScratchDir dir;
  JournalFile journal(dir.path() + L"\\");
  ASSERT_TRUE(journal.SetAside(Line(1) + "\n" + Line(2) + "\n"));
  ASSERT_TRUE(journal.SetAside(Line(3) + "\n"));
  EXPECT_EQ(test::ReadFileBytes(journal.refusedPath()),
            Line(1) + "\n" + Line(2) + "\n" + Line(3) + "\n");
  // past 256 KiB the file starts over, with whole lines of the newest
  std::string big;
  for (int i = 0; i < 300; ++i)
    big += PaddedLine(100 + i) + "\n";
  ASSERT_GT(big.size(), 256u * 1024);
  ASSERT_TRUE(journal.SetAside(big));
  const std::string kept = test::ReadFileBytes(journal.refusedPath());
  EXPECT_LE(kept.size(), 256u * 1024);
  EXPECT_EQ(kept, big.substr(big.size() - kept.size()));
  EXPECT_EQ(kept.substr(0, 8), "{\"uid\":\"");
}

TEST(QlxJournalFile, OneUploaderAtATime) {
  test::ScratchDir dir;
  JournalFile mine(dir.path() + L"\\");
  JournalFile other(dir.path() + L"\\");  // as another process would open it
  ASSERT_TRUE(mine.TryLockUpload());
  bool otherGot = true;
  std::thread([&] { otherGot = other.TryLockUpload(); }).join();
  EXPECT_FALSE(otherGot);
  mine.UnlockUpload();
  std::thread([&] {
    otherGot = other.TryLockUpload();
    if (otherGot) other.UnlockUpload();
  }).join();
  EXPECT_TRUE(otherGot);
}

}  // namespace
}  // namespace orvane::qlx
