// An event logger of its own for a test: the SDK comes from the test
// program's resources (105 is the real archive, 201 to 207 broken ones, see
// test_sdk.rc.in) into a scratch folder, and reports to the loopback sink.
#pragma once

#include <json/json.h>

#include <memory>
#include <string>
#include <vector>

#include "support/AnalyticsSink.h"
#include "support/WineTestSupport.h"
#include "telemetry/LoggerServer.h"

namespace orvane::test {

enum TestArchive : int {
  kArchiveFull = 105,
  kArchiveNoTask = 201,
  kArchiveNoCollectors = 202,
  kArchiveGarbage = 203,
  kArchiveNoDll = 204,
  kArchiveBadCrc = 205,
  kArchiveEmpty = 206,
  kArchiveNoFree = 207,
};

class TestLoggerFolder {
 public:
  // the per-run temporary folder stand-in, with a trailing backslash
  std::wstring temp() const { return dir_.path() + L"\\"; }
  // where the modules and the journal go
  std::wstring sdk() const { return dir_.path() + L"\\Qlx\\"; }
  SdkSettings Settings(int port, int archive = kArchiveFull) const;
  std::unique_ptr<CLoggerServer> Create(int port, int archive = kArchiveFull) const {
    return std::make_unique<CLoggerServer>(Settings(port, archive));
  }
  std::vector<std::string> Lines() const { return JournalLines(sdk()); }
  std::vector<Json::Value> Records() const;

 private:
  ScratchDir dir_;
};

// the props of an event record as "key=value" texts, by key
std::vector<std::string> PropsOf(const std::string& line);
// whether the props of the line name these keys in this order
bool KeysInLineOrder(const std::string& line, const std::vector<std::string>& keys);

}  // namespace orvane::test
