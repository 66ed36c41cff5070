#include "qlx/Journal.h"

#include <gtest/gtest.h>

#include "platform/Md5.h"

namespace orvane::qlx {
namespace {

std::string Uid(int n) {
  char buf[40];
  std::snprintf(buf, sizeof(buf), "%032x", n);
  return buf;
}

std::string Line(int n) {
  return "{\"uid\":\"" + Uid(n) + "\",\"type\":6}";
}

TEST(Journal, UidOfLine) {
  EXPECT_EQ(UidOfLine(Line(5)), Uid(5));
  EXPECT_EQ(UidOfLine("{\"type\":1,\"uid\":\"" + Uid(9) + "\"}"), Uid(9));
  const std::string bad[] = {
      "",
      "{}",
      "{\"uid\":\"" + Uid(1),                            // torn
      "{\"uid\":\"ABCDEF0123456789ABCDEF0123456789\"}",  // upper case
      "{\"uid\":\"0123\"}",
      "{\"uid\":12}",
      "[\"" + Uid(1) + "\"]",
      "{\"uid\":\"" + Uid(1) + "\"} trailing",
      "{\"uid\":\"" + Uid(1) + "\",}",
  };
  for (const auto& b : bad)
    EXPECT_EQ(UidOfLine(b), "") << b;
}

std::string CountLine(int n, int dropped) {
  return "{\"uid\":\"" + Uid(n) + "\",\"type\":6,\"event\":\"qlxRecordsDropped\",\"props\":{" +
         "\"dropped_records\":" + std::to_string(dropped) + "}}";
}

// a record line longer than the count record's room, as real ones often are
std::string LongLine(int n) {
  return "{\"uid\":\"" + Uid(n) + "\",\"type\":6,\"pad\":\"" + std::string(1100, 'x') + "\"}";
}

// LongLine(from..to), each with its newline
std::string Records(int from, int to) {
  std::string out;
  for (int i = from; i <= to; ++i)
    out += LongLine(i) + "\n";
  return out;
}

TEST(Journal, RecordsInLine) {
  EXPECT_EQ(RecordsInLine(Line(1)), 1u);
  EXPECT_EQ(RecordsInLine(CountLine(2, 57)), 57u);
  EXPECT_EQ(RecordsInLine(CountLine(2, 0)), 1u);   // a count of nothing is one record
  EXPECT_EQ(RecordsInLine(CountLine(2, -3)), 1u);  // and so is a nonsense count
  EXPECT_EQ(RecordsInLine("garbage"), 0u);
  EXPECT_EQ(RecordsInLine("{\"uid\":\"0123"), 0u);  // torn
  EXPECT_EQ(
      RecordsInLine("{\"uid\":\"" + Uid(3) + "\",\"event\":\"qlxRecordsDropped\",\"props\":7}"),
      1u);
}

// What a trim keeps: the acknowledged lines always go; unsent records only
// past the cap, the oldest first, leaving room for the line to come and the
// count record.
TEST(Journal, PlanTrimDropsAcknowledgedLinesThenTheOldestUnsentPastTheCap) {
  const std::string j = Records(1, 10);
  const uint64_t L = LongLine(1).size() + 1;  // every line is as long
  ASSERT_GT(L, kDropRecordRoom);
  struct Case {
    const char* what;
    uint64_t ack;
    uint64_t cap;
    uint64_t incoming;
    uint64_t keepFrom;
    uint64_t dropped;
  } cases[] = {
      {"within the cap, nothing acknowledged", 0, 1 << 20, 100, 0, 0},
      {"within the cap, three acknowledged", 3 * L, 1 << 20, 100, 3 * L, 0},
      {"all acknowledged", 10 * L, 1 << 20, 100, 10 * L, 0},
      {"exactly at the cap", 0, 10 * L + 100, 100, 0, 0},
      // the oldest record goes, which leaves room for the count record too
      {"one byte over", 0, 10 * L + 99, 100, L, 1},
      // acknowledged lines are no loss; then two unsent records go
      {"over, with acknowledged lines", 2 * L, 6 * L + kDropRecordRoom, 0, 4 * L, 2},
      {"nothing fits", 0, 10, 0, 10 * L, 10},
      // an acknowledgement past the end is not believed
      {"acknowledged beyond the end", 11 * L, 1 << 20, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TrimPlan plan = PlanTrim(j, c.ack, c.cap, c.incoming);
    EXPECT_EQ(plan.keepFrom, c.keepFrom);
    EXPECT_EQ(plan.droppedRecords, c.dropped);
    EXPECT_EQ(plan.changes(), c.keepFrom > 0 || c.dropped > 0);
  }
}

TEST(Journal, PlanTrimCountsDroppedCountRecordsAndSkipsJunk) {
  // a count record of 40, a torn line, junk, then records
  const std::string j = CountLine(100, 40) + "\n" + "{\"uid\":\"01\n" + "junk\n" + Records(1, 5);
  TrimPlan plan = PlanTrim(j, 0, Records(3, 5).size() + kDropRecordRoom, 0);
  // 40 counted before, the junk not at all, records 1 and 2
  EXPECT_EQ(plan.droppedRecords, 42u);
  EXPECT_EQ(j.substr(plan.keepFrom), Records(3, 5));
  // a torn last line goes with the rest
  const std::string torn = Records(1, 2) + "{\"uid\":\"0";
  plan = PlanTrim(torn, 0, 0, 0);
  EXPECT_EQ(plan.keepFrom, torn.size());
  EXPECT_EQ(plan.droppedRecords, 2u);
}

TEST(Journal, SplitTakesCompleteLinesOnly) {
  const std::string bytes = Line(1) + "\n" + "garbage\n" + Line(2) + "\n" + "{\"uid\":\"0";
  auto lines = SplitCompleteLines(bytes, 1000, false);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].begin, 1000u);
  EXPECT_EQ(lines[0].end, 1000u + Line(1).size() + 1);
  EXPECT_EQ(lines[0].uid, Uid(1));
  EXPECT_EQ(lines[1].uid, "");
  EXPECT_EQ(lines[1].text, "garbage");
  EXPECT_EQ(lines[2].uid, Uid(2));
  EXPECT_EQ(lines[2].end, 1000u + bytes.rfind('\n') + 1);  // the torn tail waits

  EXPECT_TRUE(SplitCompleteLines("no newline yet", 0, false).empty());
  // a full window without any newline is passed over as one bad line
  auto junk = SplitCompleteLines(std::string(100, 'x'), 50, true);
  ASSERT_EQ(junk.size(), 1u);
  EXPECT_EQ(junk[0].begin, 50u);
  EXPECT_EQ(junk[0].end, 150u);
  EXPECT_EQ(junk[0].uid, "");
}

TEST(Journal, AckStateText) {
  AckState a{1234, Uid(3)};
  AckState b;
  ASSERT_TRUE(ParseAckState(FormatAckState(a), &b));
  EXPECT_EQ(b.offset, 1234u);
  EXPECT_EQ(b.uid, Uid(3));
  ASSERT_TRUE(ParseAckState("0 -\n", &b));
  EXPECT_EQ(b.offset, 0u);
  EXPECT_EQ(b.uid, "-");
  for (const char* bad : {"", "12", " 12 -", "12 x", "-1 -", "1a -", "99999999999999999999 -"})
    EXPECT_FALSE(ParseAckState(bad, &b)) << bad;
}

TEST(Journal, AckMustFitTheJournal) {
  const std::string journal = Line(1) + "\n" + Line(2) + "\n" + "junk\n";
  const uint64_t afterFirst = Line(1).size() + 1;
  const uint64_t afterSecond = afterFirst + Line(2).size() + 1;
  auto tail = [&](uint64_t offset) { return journal.substr(0, offset); };
  struct Case {
    AckState ack;
    bool fits;
  } cases[] = {
      {{0, "-"}, true},
      {{afterFirst, Uid(1)}, true},
      {{afterSecond, Uid(2)}, true},
      {{journal.size(), "-"}, true},       // after a line that is no record
      {{afterFirst, Uid(2)}, false},       // another record ends there
      {{afterFirst - 1, Uid(1)}, false},   // not at a line end
      {{journal.size() + 5, "-"}, false},  // beyond the end: the journal was replaced
      {{0, Uid(1)}, false},
  };
  for (const auto& c : cases) {
    uint64_t offset = std::min<uint64_t>(c.ack.offset, journal.size());
    EXPECT_EQ(AckFitsJournal(c.ack, journal.size(), tail(offset)), c.fits)
        << c.ack.offset << " " << c.ack.uid;
  }
}

TEST(Journal, BatchesRespectLimitsAndPassOverBadLines) {
  std::string bytes;
  for (int i = 1; i <= 5; ++i)
    bytes += Line(i) + "\n" + (i == 2 ? "not a record\n" : "");
  auto lines = SplitCompleteLines(bytes, 0, false);
  ASSERT_EQ(lines.size(), 6u);

  Batch all = MakeBatch(lines, 100, 1 << 20);
  EXPECT_EQ(all.uids, (std::vector<std::string>{Uid(1), Uid(2), Uid(3), Uid(4), Uid(5)}));
  EXPECT_EQ(all.end, bytes.size());
  EXPECT_EQ(all.lastUid, Uid(5));
  EXPECT_EQ(all.body.find("not a record"), std::string::npos);
  EXPECT_EQ(all.id, Md5Hex(all.body));

  Batch two = MakeBatch(lines, 2, 1 << 20);
  EXPECT_EQ(two.uids.size(), 2u);
  // the bad line after the second record belongs to the next batch
  EXPECT_EQ(two.end, lines[1].end);
  EXPECT_EQ(two.lastUid, Uid(2));

  // a byte limit below one record still takes one
  Batch one = MakeBatch(lines, 100, 10);
  EXPECT_EQ(one.uids.size(), 1u);

  // only bad lines: nothing to send, but the offset moves past them
  auto junk = SplitCompleteLines("x\ny\n", 10, false);
  Batch none = MakeBatch(junk, 100, 1000);
  EXPECT_TRUE(none.uids.empty());
  EXPECT_TRUE(none.id.empty());
  EXPECT_EQ(none.end, 14u);
  EXPECT_EQ(none.lastUid, "-");
}

}  // namespace
}  // namespace orvane::qlx
