// An event logger for tests: records every call as one line of text, so that
// a test can check what was sent, in which order, with which properties.
// Like the real logger it keeps one property set per thread, so workers
// sending events at the same moment do not mix their properties.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "telemetry/LoggerServer.h"

namespace orvane::test {

class RecordingLogger : public ILoggerServer {
 public:
  // "event NAME {k=v, ...}", "launch CODE|a|b|c", "report CODE|a|b|c|d|files",
  // "operation page|control|extra"
  std::vector<std::string> Lines() {
    std::lock_guard<std::mutex> hold(lock_);
    return lines_;
  }
  // the upload routes handed over, "type host:port mode server", apart from
  // the records
  std::vector<std::string> Routes() {
    std::lock_guard<std::mutex> hold(lock_);
    return routes_;
  }
  void SetUploadRoute(const SdkRoute& r) override {
    std::lock_guard<std::mutex> hold(lock_);
    routes_.push_back(std::to_string(r.proxyType) + " " + r.proxyHost + ":" +
                      std::to_string(r.proxyPort) + " " + std::to_string(r.resolverMode) + " " +
                      r.dnsServer);
  }
  // only the "event ..." lines
  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<std::string> events;
    for (const auto& line : lines_)
      if (line.rfind("event ", 0) == 0) events.push_back(line);
    return events;
  }

  bool WriteOperation(const std::string& page,
                      const std::string& control,
                      const std::string& extra) override {
    Add("operation " + page + "|" + control + "|" + extra);
    return true;
  }
  bool WriteReport(int code,
                   const std::string& a,
                   const std::string& b,
                   const std::string& c,
                   const std::string& d,
                   std::vector<std::string> files) override {
    std::string line =
        "report " + std::to_string(code) + "|" + a + "|" + b + "|" + c + "|" + d + "|";
    for (const auto& f : files)
      line += f + ";";
    Add(line);
    return true;
  }
  bool WriteEvent(const std::string& name) override {
    std::lock_guard<std::mutex> hold(lock_);
    const Properties& p = properties_[std::this_thread::get_id()];
    std::string line = "event " + name + " {";
    bool first = true;
    auto sep = [&] {
      if (!first) line += ", ";
      first = false;
    };
    for (const auto& [k, v] : p.ints)
      sep(), line += k + "=" + std::to_string(v);
    for (const auto& [k, v] : p.bools)
      sep(), line += k + "=" + (v ? "true" : "false");
    for (const auto& [k, v] : p.strings)
      sep(), line += k + "=" + v;
    lines_.push_back(line + "}");
    return true;
  }
  void ClearProperties() override {
    std::lock_guard<std::mutex> hold(lock_);
    properties_.erase(std::this_thread::get_id());
  }
  void SetIntProperty(const std::string& k, int v) override {
    std::lock_guard<std::mutex> hold(lock_);
    properties_[std::this_thread::get_id()].ints.emplace(k, v);
  }
  void SetBoolProperty(const std::string& k, bool v) override {
    std::lock_guard<std::mutex> hold(lock_);
    properties_[std::this_thread::get_id()].bools.emplace(k, v);
  }
  void SetStringProperty(const std::string& k, const std::string& v) override {
    std::lock_guard<std::mutex> hold(lock_);
    properties_[std::this_thread::get_id()].strings.emplace(k, v);
  }
  bool WriteLaunch(int code,
                   const std::string& a,
                   const std::string& b,
                   const std::string& c) override {
    Add("launch " + std::to_string(code) + "|" + a + "|" + b + "|" + c);
    return true;
  }
  std::string BuildHttpData(int, const std::string&) override { return {}; }
  std::string DecryptData(const std::string&) override { return {}; }
  std::string GetMid() override { return "test-mid"; }
  std::string GetMidEx(int) override { return "test-mid-ex"; }
  bool InitSdk() override { return false; }
  bool ReleaseSdk() override { return true; }
  bool OpenUrl(const std::string&) override { return false; }
  int ShellExecAsUser(const std::string&,
                      const std::string&,
                      const std::string&,
                      const std::string&,
                      int) override {
    return 0;
  }

 private:
  void Add(std::string line) {
    std::lock_guard<std::mutex> hold(lock_);
    lines_.push_back(std::move(line));
  }

  struct Properties {
    std::map<std::string, int> ints;
    std::map<std::string, bool> bools;
    std::map<std::string, std::string> strings;
  };

  std::mutex lock_;
  std::vector<std::string> routes_;
  std::vector<std::string> lines_;
  std::map<std::thread::id, Properties> properties_;
};

}  // namespace orvane::test
