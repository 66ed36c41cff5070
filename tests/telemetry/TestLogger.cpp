#include "telemetry/TestLogger.h"

namespace orvane::test {

SdkSettings TestLoggerFolder::Settings(int port, int archive) const {
  SdkSettings s;
  s.resourceModule = ::GetModuleHandleW(nullptr);
  s.resourceId = archive;
  s.tempFolder = temp();
  s.sdkFolder = sdk();
  s.host = kSinkHost;
  s.port = port;
  s.crashReport = false;
  return s;
}

std::vector<Json::Value> TestLoggerFolder::Records() const {
  std::vector<Json::Value> out;
  for (const std::string& line : Lines())
    out.push_back(ParseJsonLine(line));
  return out;
}

std::vector<std::string> PropsOf(const std::string& line) {
  std::vector<std::string> out;
  const Json::Value props = ParseJsonLine(line)["props"];
  for (const std::string& key : props.getMemberNames()) {
    const Json::Value& v = props[key];
    std::string text = v.isString() ? v.asString()
                       : v.isBool() ? (v.asBool() ? "true" : "false")
                                    : std::to_string(v.asInt());
    out.push_back(key + "=" + text);
  }
  return out;
}

bool KeysInLineOrder(const std::string& line, const std::vector<std::string>& keys) {
  size_t at = line.find("\"props\":{");
  for (const std::string& key : keys) {
    size_t found = line.find("\"" + key + "\":", at);
    if (at == std::string::npos || found == std::string::npos) return false;
    at = found + 1;
  }
  return true;
}

}  // namespace orvane::test
