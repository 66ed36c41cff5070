// The journal files beside Qlx.dll and their shared locks.
#include "module/JournalFile.h"

#include <gtest/gtest.h>

#include <thread>

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

TEST(QlxJournalFile, RotatesOnlyWhenEverythingIsAcknowledged) {
  test::ScratchDir dir;
  JournalFile journal(dir.path() + L"\\");
  for (int i = 1; i <= 3; ++i)
    ASSERT_TRUE(journal.Append(Line(i)));
  const uint64_t size = test::ReadFileBytes(journal.path()).size();

  ASSERT_TRUE(journal.StoreAck({size - Line(3).size() - 1, Uid(2)}));
  journal.RotateIfDone(10);  // one record is still out
  EXPECT_EQ(test::ReadFileBytes(journal.path()).size(), size);

  ASSERT_TRUE(journal.StoreAck({size, Uid(3)}));
  journal.RotateIfDone(size + 1);  // small enough to keep
  EXPECT_EQ(test::ReadFileBytes(journal.path()).size(), size);

  journal.RotateIfDone(size);
  EXPECT_EQ(test::ReadFileBytes(journal.path()), "");
  EXPECT_EQ(test::ReadFileBytes(journal.path() + L".1").size(), size);
  EXPECT_EQ(journal.LoadAck().offset, 0u);
  ASSERT_TRUE(journal.Append(Line(4)));
  EXPECT_EQ(test::ReadFileBytes(journal.path()), Line(4) + "\n");
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
