// ILoggerServer: the installer's single gateway to the vendor SDK. Texts are
// narrow; callers pass UTF-8.
//
// How a caller sends an event: Send(Event), which is ClearProperties, one
// Set...Property per property, then WriteEvent. A key set twice keeps its
// first value.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/EventSink.h"

namespace orvane {

// How the SDK's uploads reach their host: the routes the installer found to
// work (an HTTP proxy asked with CONNECT, the own resolver's server). The
// values are those of net's ProxySettings and ResolverSettings.
struct SdkRoute {
  int proxyType = 0;  // 0 direct, 1 HTTP proxy
  std::string proxyHost;
  int proxyPort = 0;
  int resolverMode = 0;  // 0 the system resolver, 1 the own one
  std::string dnsServer;
};

class ILoggerServer : public IEventSink {
 public:
  // the whole sequence for one event, on the calling thread's properties
  void Send(const Event& event) override {
    ClearProperties();
    for (const EventProperty& p : event.props) {
      switch (p.kind) {
        case EventProperty::Kind::kInt:
          SetIntProperty(p.key, p.intValue);
          break;
        case EventProperty::Kind::kBool:
          SetBoolProperty(p.key, p.boolValue);
          break;
        case EventProperty::Kind::kString:
          SetStringProperty(p.key, p.text);
          break;
      }
    }
    WriteEvent(event.name);
  }

  virtual bool WriteOperation(const std::string& pageCode,
                              const std::string& controlCode,
                              const std::string& extra) = 0;
  virtual bool WriteReport(int code,
                           const std::string& a,
                           const std::string& b,
                           const std::string& c,
                           const std::string& d,
                           std::vector<std::string> files) = 0;
  virtual bool WriteEvent(const std::string& name) = 0;
  virtual void ClearProperties() = 0;
  virtual void SetIntProperty(const std::string& key, int value) = 0;
  virtual void SetBoolProperty(const std::string& key, bool value) = 0;
  virtual void SetStringProperty(const std::string& key, const std::string& value) = 0;
  virtual bool WriteLaunch(int code,
                           const std::string& a,
                           const std::string& b,
                           const std::string& c) = 0;
  virtual std::string BuildHttpData(int kind, const std::string& body) = 0;
  virtual std::string DecryptData(const std::string& data) = 0;
  virtual std::string GetMid() = 0;
  virtual std::string GetMidEx(int variant) = 0;
  virtual bool InitSdk() = 0;
  virtual bool ReleaseSdk() = 0;
  virtual bool OpenUrl(const std::string& url) = 0;
  virtual int ShellExecAsUser(const std::string& verb,
                              const std::string& file,
                              const std::string& parameters,
                              const std::string& directory,
                              int show) = 0;
  virtual ~ILoggerServer() = default;
  // our own, after the SDK interface's operations: the uploads follow these
  // routes from now on, when the SDK takes them (qlxSetNetRoute)
  virtual void SetUploadRoute(const SdkRoute&) {}
};

// Where the SDK comes from and where it reports to. The defaults are the
// product's; tests point them at their own resources, folders and sinks.
struct SdkSettings {
  void* resourceModule = nullptr;  // module holding the SDK archive; null: the program
  int resourceId = 105;            // of type "BinarySystem"
  std::wstring tempFolder;         // for "Qlx.zip"; empty: the per-run temporary folder
  std::wstring sdkFolder;          // for the modules; empty: package cache root + "Qlx\"
  std::string host;                // empty: the analytics host of the build
  int port = 80;
  std::string sensorUrl = "/sa?project=production";
  bool crashReport = true;
};

// The event logger: the installer's single gateway to the vendor SDK.
// Creating it unpacks, loads and configures the SDK; any failure there is
// swallowed and leaves the parts it needs unavailable, so that operations
// return false, an empty text or 0 instead.
class CLoggerServer : public ILoggerServer {
 public:
  static CLoggerServer& GetInstance();
  // The end of telemetry for the process, when GetInstance built the logger:
  // nothing more is recorded, the SDK gets its last upload (qlxFree, bounded
  // by the SDK) and a release under way is waited for, 3 s at most. For an
  // exit that does not run the static destructors.
  static void ShutdownInstance();

  explicit CLoggerServer(const SdkSettings& settings);
  ~CLoggerServer() override;
  CLoggerServer(const CLoggerServer&) = delete;
  CLoggerServer& operator=(const CLoggerServer&) = delete;

  bool WriteOperation(const std::string& pageCode,
                      const std::string& controlCode,
                      const std::string& extra) override;
  bool WriteReport(int code,
                   const std::string& a,
                   const std::string& b,
                   const std::string& c,
                   const std::string& d,
                   std::vector<std::string> files) override;
  bool WriteEvent(const std::string& name) override;
  void ClearProperties() override;
  void SetIntProperty(const std::string& key, int value) override;
  void SetBoolProperty(const std::string& key, bool value) override;
  void SetStringProperty(const std::string& key, const std::string& value) override;
  bool WriteLaunch(int code,
                   const std::string& a,
                   const std::string& b,
                   const std::string& c) override;
  std::string BuildHttpData(int kind, const std::string& body) override;
  std::string DecryptData(const std::string& data) override;
  std::string GetMid() override;
  std::string GetMidEx(int variant) override;
  bool InitSdk() override;
  bool ReleaseSdk() override;
  bool OpenUrl(const std::string& url) override;
  int ShellExecAsUser(const std::string& verb,
                      const std::string& file,
                      const std::string& parameters,
                      const std::string& directory,
                      int show) override;
  void SetUploadRoute(const SdkRoute& route) override;

  // the last SDK error that was swallowed ("" when none), for diagnosis
  std::string LastSdkError() const;
  // whether records can be written: the SDK is configured and holds a handle
  bool CanWriteRecords() const;
  // full paths of the two modules as delivered (empty until known)
  std::wstring QlxPath() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The logger every component reports through: the process-wide
// CLoggerServer, or the one a test installed with ScopedLoggerOverride.
ILoggerServer& EventLogger();

// The sink the install session gives the layers below telemetry: every
// event goes to EventLogger() at the moment it is sent, so installing it
// neither creates the logger nor loads the SDK.
IEventSink& LoggerEventSink();

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
