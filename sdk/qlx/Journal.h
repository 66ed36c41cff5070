// The journal beside the module and its acknowledgement state.
//
// Qlx.journal: one record line (see Record.h) per committed record, each
// ended by "\n", appended in commit order under a lock shared by every
// process. A process killed in the middle of a write can leave a line
// without its newline; the next append starts a new line first, and a line
// that is not a record is passed over by the uploader.
//
// Qlx.journal.ack: "<offset> <uid>\n", replaced as a whole after the
// receiver acknowledged everything before <offset>; <uid> is the record
// that ends there ("-" for none). An acknowledgement that does not fit the
// journal (the journal was replaced, or the state is damaged) counts as
// offset 0: the records are sent again and the receiver drops the uids it
// already has. So a crash between sending a batch and storing its
// acknowledgement costs a resend, never a loss.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::qlx {

// how much of the journal the uploader reads at a time; larger than the
// longest record line, so that a window without a newline is not a record
inline constexpr size_t kJournalReadWindow = 256 * 1024;

struct JournalLine {
  uint64_t begin = 0;  // offset of the first byte
  uint64_t end = 0;    // offset after the newline
  std::string text;    // without the newline
  std::string uid;     // empty when the line is not a record
};

// the complete lines of `bytes`, which start at journal offset `base`; a
// last piece without newline is left for later, unless `windowFull` says
// the bytes filled a whole read window, in which case a window without any
// newline is one line that is not a record
std::vector<JournalLine> SplitCompleteLines(const std::string& bytes,
                                            uint64_t base,
                                            bool windowFull);

// the "uid" of a record line (32 lower-case hex digits), empty when the line
// is not a JSON object with one
std::string UidOfLine(const std::string& line);

// Bounding the journal
// --------------------
// Acknowledged lines are dropped whenever the journal is trimmed. Unsent
// records go only when the journal would stay above its cap without the
// acknowledged lines: the oldest first, until the rest, the line about to be
// appended and a record that counts the dropped ones fit within the cap.
// That count record is an event of its own,
//
//   "event":"qlxRecordsDropped","props":{"dropped_records":N}
//
// written where the dropped records were; a count record that is dropped
// in turn adds its count to the next one, so nothing goes uncounted.
inline constexpr uint64_t kJournalCapBytes = 1024 * 1024;
inline constexpr char kDroppedEvent[] = "qlxRecordsDropped";
inline constexpr char kDroppedCountKey[] = "dropped_records";
// the room the count record takes at most
inline constexpr uint64_t kDropRecordRoom = 1024;

struct TrimPlan {
  uint64_t keepFrom = 0;        // the journal stays from here on (a line start)
  uint64_t droppedRecords = 0;  // unsent records among what goes
  bool changes() const { return keepFrom > 0 || droppedRecords > 0; }
};

// `journal` is the whole journal, `ackOffset` where the acknowledged lines
// end (0 for none), `incoming` the bytes about to be appended
TrimPlan PlanTrim(const std::string& journal, uint64_t ackOffset, uint64_t cap, uint64_t incoming);

// how many records a line counts for when it is dropped: the count of a
// count record, 1 for any other record, 0 for a line that is no record
uint64_t RecordsInLine(const std::string& line);

struct AckState {
  uint64_t offset = 0;
  std::string uid = "-";
};

std::string FormatAckState(const AckState& ack);
bool ParseAckState(const std::string& text, AckState* ack);

// whether an acknowledgement fits the journal: within its size, at a line
// end, and (unless its uid is "-") right after the record it names. `tail`
// holds the journal bytes that end at ack.offset, at most kJournalReadWindow.
bool AckFitsJournal(const AckState& ack, uint64_t journalSize, const std::string& tail);

struct Batch {
  std::string body;               // the record lines, each ended by "\n"
  std::vector<std::string> uids;  // in order
  uint64_t end = 0;               // journal offset after the last line taken
  std::string lastUid = "-";      // uid of the last line taken, "-" if it is no record
  std::string id;                 // MD5 of the body, lower-case hex; empty for no records
};

// lines from the front, up to `maxRecords` records and `maxBytes` of body
// (at least one record); lines that are not records are passed over
Batch MakeBatch(const std::vector<JournalLine>& lines, size_t maxRecords, size_t maxBytes);

}  // namespace orvane::qlx
