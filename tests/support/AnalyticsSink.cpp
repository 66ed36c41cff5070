#include "support/AnalyticsSink.h"

#include <memory>
#include <set>

#include "support/WineTestSupport.h"

namespace orvane::test {

namespace {

std::wstring StateFile(const std::string& name) {
  return HostPath(std::string(ORVANE_ANALYTICS_STATE) + "/" + name);
}

std::vector<std::string> CompleteLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t at = 0;
  for (size_t nl; (nl = bytes.find('\n', at)) != std::string::npos; at = nl + 1)
    lines.push_back(bytes.substr(at, nl - at));
  return lines;
}

}  // namespace

Json::Value ParseJsonLine(const std::string& line) {
  Json::CharReaderBuilder builder;
  Json::CharReaderBuilder::strictMode(&builder.settings_);
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value value;
  std::string errors;
  if (!reader->parse(line.data(), line.data() + line.size(), &value, &errors)) return {};
  return value;
}

std::vector<std::string> SinkRecordLines() {
  return CompleteLines(ReadFileBytes(StateFile("records.jsonl")));
}

std::vector<SinkRequest> SinkRequests() {
  std::vector<SinkRequest> out;
  for (const std::string& line : CompleteLines(ReadFileBytes(StateFile("requests.jsonl")))) {
    Json::Value v = ParseJsonLine(line);
    if (!v.isObject()) continue;
    SinkRequest r;
    r.listener = v["listener"].asString();
    r.mode = v["mode"].asString();
    r.path = v["path"].asString();
    r.batch = v["batch"].asString();
    r.status = v["status"].asInt();
    r.stored = v["stored"].asInt();
    r.duplicates = v["duplicates"].asInt();
    for (const auto& u : v["uids"])
      r.uids.push_back(u.asString());
    out.push_back(std::move(r));
  }
  return out;
}

std::vector<std::string> UidsOf(const std::vector<std::string>& lines) {
  std::vector<std::string> uids;
  for (const std::string& line : lines) {
    Json::Value v = ParseJsonLine(line);
    uids.push_back(v.isObject() ? v["uid"].asString() : std::string());
  }
  return uids;
}

std::vector<std::string> SinkUids() {
  return UidsOf(SinkRecordLines());
}

bool WaitForSinkUids(const std::vector<std::string>& uids, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += 100) {
    std::vector<std::string> have = SinkUids();
    std::set<std::string> stored(have.begin(), have.end());
    bool all = true;
    for (const auto& u : uids)
      all = all && stored.count(u);
    if (all) return true;
    if (waited >= timeoutMs) return false;
    ::Sleep(100);
  }
}

void SetSinkMode(int port, const std::string& mode) {
  const std::wstring file =
      StateFile(std::string(kSinkHost) + "_" + std::to_string(port) + ".mode");
  if (mode.empty()) {
    ::DeleteFileW(file.c_str());
  } else {
    WriteFileBytes(file, mode);
  }
  // the sink looks at the file every 0.1 s
  ::Sleep(400);
}

std::vector<std::string> JournalLines(const std::wstring& folder) {
  return CompleteLines(ReadFileBytes(folder + L"Qlx.journal"));
}

namespace {

// the sink's stored lines, then the journal's lines that the sink does not
// hold; uploads go from the journal's front, so this is journal order
std::vector<std::string> RecordedLines(const std::wstring& qlxFolder) {
  std::vector<std::string> lines = SinkRecordLines();
  std::set<std::string> seen;
  for (const std::string& uid : UidsOf(lines))
    seen.insert(uid);
  for (const std::string& line : JournalLines(qlxFolder)) {
    const std::string uid = ParseJsonLine(line)["uid"].asString();
    if (!uid.empty() && seen.insert(uid).second) lines.push_back(line);
  }
  return lines;
}

}  // namespace

SdkRecords::SdkRecords(std::wstring qlxFolder) : folder_(std::move(qlxFolder)) {
  for (const std::string& uid : UidsOf(RecordedLines(folder_)))
    before_.insert(uid);
}

std::vector<std::string> SdkRecords::Of(DWORD processId) const {
  std::vector<std::string> mine;
  for (const std::string& line : RecordedLines(folder_)) {
    const Json::Value record = ParseJsonLine(line);
    if (!record.isObject() || before_.count(record["uid"].asString())) continue;
    if (processId == 0 || record["pid"].asUInt() == processId) mine.push_back(line);
  }
  return mine;
}

}  // namespace orvane::test
