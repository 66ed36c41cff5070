// What the loopback analytics sink (tools/analytics_sink.py) received, and
// the SDK journal of a folder, for the Wine tests. The sink listens on
// 127.0.0.13: port 80 (the product's endpoint) and 8080 acknowledge, 8081
// refuses (503), 8082 drops the acknowledgement, 8083 never answers, 8084 is
// down, 8085 rejects every batch for good (400). Tests that need it require the fixture "peer.analytics".
#pragma once

#include <windows.h>

#include <json/json.h>

#include <set>
#include <string>
#include <vector>

namespace orvane::test {

inline constexpr const char kSinkHost[] = "127.0.0.13";
enum SinkPort : int {
  kSinkProduct = 80,
  kSinkAck = 8080,
  kSinkRefuse = 8081,
  kSinkDrop = 8082,
  kSinkHang = 8083,
  kSinkDown = 8084,
  kSinkReject = 8085,
};

struct SinkRequest {
  std::string listener;  // "127.0.0.13:8080"
  std::string mode;
  std::string path;
  std::string batch;
  int status = 0;  // 0: no answer
  int stored = 0;
  int duplicates = 0;
  std::vector<std::string> uids;
};

// stored record lines in arrival order, each uid once
std::vector<std::string> SinkRecordLines();
std::vector<SinkRequest> SinkRequests();
// the uid of each stored line, in order
std::vector<std::string> SinkUids();
// waits until every one of `uids` is stored; false on time-out
bool WaitForSinkUids(const std::vector<std::string>& uids, DWORD timeoutMs);
// overrides the mode of a listener ("down", "ack", ...); empty restores it
void SetSinkMode(int port, const std::string& mode);

// a parsed line; null Json::Value for a line that is not JSON
Json::Value ParseJsonLine(const std::string& line);
// complete lines of the journal "Qlx.journal" in `folder` (with trailing backslash)
std::vector<std::string> JournalLines(const std::wstring& folder);
std::vector<std::string> UidsOf(const std::vector<std::string>& lines);

// What programs recorded through the SDK whose journal is in `qlxFolder`
// (with trailing backslash). The SDK drops the lines the sink acknowledged
// from its journal, so neither the sink nor the journal alone holds the
// whole story: the records are those the sink stored and the journal's
// lines not sent yet, each record once (by uid), in journal order.
class SdkRecords {
 public:
  // what is recorded already does not count: only what comes after
  explicit SdkRecords(std::wstring qlxFolder);

  // the record lines of process `processId` (0: of every process) since
  // this object was made
  std::vector<std::string> Of(DWORD processId) const;

 private:
  std::wstring folder_;
  std::set<std::string> before_;
};

}  // namespace orvane::test
