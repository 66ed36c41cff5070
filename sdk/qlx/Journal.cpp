#include "qlx/Journal.h"

#include <json/json.h>

#include <memory>

#include "platform/Md5.h"
#include "platform/StringUtil.h"

namespace orvane::qlx {

std::vector<JournalLine> SplitCompleteLines(const std::string& bytes,
                                            uint64_t base,
                                            bool windowFull) {
  std::vector<JournalLine> lines;
  size_t at = 0;
  for (;;) {
    size_t nl = bytes.find('\n', at);
    if (nl == std::string::npos) break;
    JournalLine line;
    line.begin = base + at;
    line.end = base + nl + 1;
    line.text = bytes.substr(at, nl - at);
    if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    line.uid = UidOfLine(line.text);
    lines.push_back(std::move(line));
    at = nl + 1;
  }
  if (lines.empty() && windowFull && !bytes.empty()) {
    JournalLine junk;
    junk.begin = base;
    junk.end = base + bytes.size();
    lines.push_back(std::move(junk));
  }
  return lines;
}

namespace {

bool IsLowerHex(const std::string& text, size_t length) {
  if (text.size() != length) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace

std::string UidOfLine(const std::string& line) {
  if (line.size() < 2 || line.front() != '{' || line.back() != '}') return {};
  Json::CharReaderBuilder builder;
  Json::CharReaderBuilder::strictMode(&builder.settings_);
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  try {
    if (!reader->parse(line.data(), line.data() + line.size(), &root, &errors)) return {};
    if (!root.isObject()) return {};
    const Json::Value& uid = root["uid"];
    if (!uid.isString()) return {};
    std::string text = uid.asString();
    return IsLowerHex(text, 32) ? text : std::string();
  } catch (const std::exception&) {
    return {};
  }
}

uint64_t RecordsInLine(const std::string& line) {
  if (UidOfLine(line).empty()) return 0;
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  try {
    if (reader->parse(line.data(), line.data() + line.size(), &root, &errors) &&
        root["event"] == kDroppedEvent) {
      const Json::Value& n = root["props"][kDroppedCountKey];
      if (n.isIntegral() && n.asInt64() > 0) return static_cast<uint64_t>(n.asInt64());
    }
  } catch (const std::exception&) {
  }
  return 1;
}

TrimPlan PlanTrim(const std::string& journal, uint64_t ackOffset, uint64_t cap, uint64_t incoming) {
  TrimPlan plan;
  const uint64_t size = journal.size();
  plan.keepFrom = ackOffset <= size ? ackOffset : 0;
  if (size - plan.keepFrom + incoming <= cap) return plan;
  // past the cap: whole lines from the front, until the rest fits with the
  // count record
  const uint64_t room = cap > incoming + kDropRecordRoom ? cap - incoming - kDropRecordRoom : 0;
  while (size - plan.keepFrom > room) {
    size_t nl = journal.find('\n', static_cast<size_t>(plan.keepFrom));
    // a torn last line goes too
    uint64_t next = nl == std::string::npos ? size : nl + 1;
    std::string line = journal.substr(static_cast<size_t>(plan.keepFrom),
                                      static_cast<size_t>(next - plan.keepFrom));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
      line.pop_back();
    plan.droppedRecords += RecordsInLine(line);
    plan.keepFrom = next;
  }
  return plan;
}

std::string FormatAckState(const AckState& ack) {
  return FormatInt64(static_cast<int64_t>(ack.offset)) + " " + (ack.uid.empty() ? "-" : ack.uid) +
         "\n";
}

bool ParseAckState(const std::string& text, AckState* ack) {
  size_t space = text.find(' ');
  if (space == std::string::npos || space == 0 || space > 19) return false;
  uint64_t offset = 0;
  for (size_t i = 0; i < space; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    offset = offset * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  std::string uid = text.substr(space + 1);
  while (!uid.empty() && (uid.back() == '\n' || uid.back() == '\r'))
    uid.pop_back();
  if (uid != "-" && !IsLowerHex(uid, 32)) return false;
  ack->offset = offset;
  ack->uid = uid;
  return true;
}

bool AckFitsJournal(const AckState& ack, uint64_t journalSize, const std::string& tail) {
  if (ack.offset > journalSize) return false;
  if (ack.offset == 0) return ack.uid == "-";
  if (tail.empty() || tail.back() != '\n') return false;
  if (ack.uid == "-") return true;
  size_t start = tail.rfind('\n', tail.size() - 2);
  start = start == std::string::npos ? 0 : start + 1;
  // the line began before the tail: longer than any record
  if (start == 0 && tail.size() < ack.offset) return false;
  std::string last = tail.substr(start, tail.size() - 1 - start);
  if (!last.empty() && last.back() == '\r') last.pop_back();
  return UidOfLine(last) == ack.uid;
}

Batch MakeBatch(const std::vector<JournalLine>& lines, size_t maxRecords, size_t maxBytes) {
  Batch batch;
  for (const JournalLine& line : lines) {
    // a full batch ends before the next line, record or not
    if (!batch.uids.empty() && batch.uids.size() >= maxRecords) break;
    if (!line.uid.empty()) {
      if (!batch.uids.empty() && batch.body.size() + line.text.size() + 1 > maxBytes) break;
      batch.body += line.text;
      batch.body.push_back('\n');
      batch.uids.push_back(line.uid);
    }
    batch.end = line.end;
    batch.lastUid = line.uid.empty() ? "-" : line.uid;
  }
  if (!batch.uids.empty()) batch.id = Md5Hex(batch.body);
  return batch;
}

}  // namespace orvane::qlx
