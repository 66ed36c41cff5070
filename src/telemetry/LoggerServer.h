// ILoggerServer: the installer's single gateway to the vendor SDK. Texts are
// narrow; callers pass UTF-8.
//
// How a caller sends an event: ClearProperties, zero or more Set...Property
// calls, then WriteEvent. A key set twice keeps its first value.
#pragma once

#include <string>
#include <vector>

namespace orvane {

class ILoggerServer {
 public:
  virtual bool WriteOperation(const std::string& pageCode, const std::string& controlCode,
                              const std::string& extra) = 0;
  virtual bool WriteReport(int code, const std::string& a, const std::string& b,
                           const std::string& c, const std::string& d,
                           std::vector<std::string> files) = 0;
  virtual bool WriteEvent(const std::string& name) = 0;
  virtual void ClearProperties() = 0;
  virtual void SetIntProperty(const std::string& key, int value) = 0;
  virtual void SetBoolProperty(const std::string& key, bool value) = 0;
  virtual void SetStringProperty(const std::string& key, const std::string& value) = 0;
  virtual bool WriteLaunch(int code, const std::string& a, const std::string& b,
                           const std::string& c) = 0;
  virtual std::string BuildHttpData(int kind, const std::string& body) = 0;
  virtual std::string DecryptData(const std::string& data) = 0;
  virtual std::string GetMid() = 0;
  virtual std::string GetMidEx(int variant) = 0;
  virtual bool InitSdk() = 0;
  virtual bool ReleaseSdk() = 0;
  virtual bool OpenUrl(const std::string& url) = 0;
  virtual int ShellExecAsUser(const std::string& verb, const std::string& file,
                              const std::string& parameters, const std::string& directory,
                              int show) = 0;
  virtual ~ILoggerServer() = default;
};

// The event logger. Until the SDK modules are delivered it behaves as with
// the SDK absent: every record write returns false and GetMid is empty.
class CLoggerServer : public ILoggerServer {
 public:
  static CLoggerServer& GetInstance();

  bool WriteOperation(const std::string&, const std::string&, const std::string&) override {
    return false;
  }
  bool WriteReport(int, const std::string&, const std::string&, const std::string&,
                   const std::string&, std::vector<std::string>) override {
    return false;
  }
  bool WriteEvent(const std::string&) override { return false; }
  void ClearProperties() override {}
  void SetIntProperty(const std::string&, int) override {}
  void SetBoolProperty(const std::string&, bool) override {}
  void SetStringProperty(const std::string&, const std::string&) override {}
  bool WriteLaunch(int, const std::string&, const std::string&, const std::string&) override {
    return false;
  }
  std::string BuildHttpData(int, const std::string&) override { return {}; }
  std::string DecryptData(const std::string&) override { return {}; }
  std::string GetMid() override { return {}; }
  std::string GetMidEx(int) override { return {}; }
  bool InitSdk() override { return false; }
  bool ReleaseSdk() override { return true; }
  bool OpenUrl(const std::string&) override { return false; }
  int ShellExecAsUser(const std::string&, const std::string&, const std::string&,
                      const std::string&, int) override {
    return 0;
  }
};

// The logger every component reports through: the process-wide
// CLoggerServer, or the one a test installed with ScopedLoggerOverride.
ILoggerServer& EventLogger();

class ScopedLoggerOverride {
 public:
  explicit ScopedLoggerOverride(ILoggerServer* logger);
  ~ScopedLoggerOverride();
  ScopedLoggerOverride(const ScopedLoggerOverride&) = delete;
  ScopedLoggerOverride& operator=(const ScopedLoggerOverride&) = delete;

 private:
  ILoggerServer* previous_;
};

}  // namespace orvane
