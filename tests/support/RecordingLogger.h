// An event logger for tests: records every call as one line of text, so that
// a test can check what was sent, in which order, with which properties.
#pragma once

#include <map>
#include <mutex>
#include <string>
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

  bool WriteOperation(const std::string& page, const std::string& control,
                      const std::string& extra) override {
    Add("operation " + page + "|" + control + "|" + extra);
    return true;
  }
  bool WriteReport(int code, const std::string& a, const std::string& b, const std::string& c,
                   const std::string& d, std::vector<std::string> files) override {
    std::string line = "report " + std::to_string(code) + "|" + a + "|" + b + "|" + c + "|" + d + "|";
    for (const auto& f : files) line += f + ";";
    Add(line);
    return true;
  }
  bool WriteEvent(const std::string& name) override {
    std::string line = "event " + name + " {";
    bool first = true;
    auto sep = [&] {
      if (!first) line += ", ";
      first = false;
    };
    for (const auto& [k, v] : ints_) sep(), line += k + "=" + std::to_string(v);
    for (const auto& [k, v] : bools_) sep(), line += k + "=" + (v ? "true" : "false");
    for (const auto& [k, v] : strings_) sep(), line += k + "=" + v;
    Add(line + "}");
    return true;
  }
  void ClearProperties() override {
    ints_.clear();
    bools_.clear();
    strings_.clear();
  }
  void SetIntProperty(const std::string& k, int v) override { ints_.emplace(k, v); }
  void SetBoolProperty(const std::string& k, bool v) override { bools_.emplace(k, v); }
  void SetStringProperty(const std::string& k, const std::string& v) override {
    strings_.emplace(k, v);
  }
  bool WriteLaunch(int code, const std::string& a, const std::string& b,
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
  int ShellExecAsUser(const std::string&, const std::string&, const std::string&,
                      const std::string&, int) override {
    return 0;
  }

 private:
  void Add(std::string line) {
    std::lock_guard<std::mutex> hold(lock_);
    lines_.push_back(std::move(line));
  }

  std::mutex lock_;
  std::vector<std::string> lines_;
  std::map<std::string, int> ints_;
  std::map<std::string, bool> bools_;
  std::map<std::string, std::string> strings_;
};

}  // namespace orvane::test
