// CDeferredLogger: the event logger while start-up puts off the SDK until
// its first page is on the screen. Making the real logger unpacks, loads and
// configures the SDK, work the first paint does not need; until Release()
// every record sent here (events with each thread's properties, launch,
// report and operation records) is kept in the order it came. Release()
// makes the real logger, hands it everything kept, in that order, and from
// then on every call passes straight through. A call that needs the SDK's
// answer (the machine id, a URL opened, a program started, the SDK released)
// releases first. The upload route is not a record: the latest one is
// handed over first. So the SDK sees the same records in the same order as if
// it had been there from the start.
//
// Safe for any thread; records sent while another thread releases wait and
// come after the kept ones.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "telemetry/LoggerServer.h"

namespace orvane {

class CDeferredLogger : public ILoggerServer {
 public:
  using Maker = std::function<ILoggerServer&()>;

  // make: gives the real logger; called once, by the first Release
  explicit CDeferredLogger(Maker make);
  CDeferredLogger(const CDeferredLogger&) = delete;
  CDeferredLogger& operator=(const CDeferredLogger&) = delete;

  // the real logger, made and given everything kept on the first call
  ILoggerServer& Release();
  bool released() const { return real_.load() != nullptr; }

  void Send(const Event& event) override;
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
  // the latest route before the release is given to the real logger first,
  // before the kept records, so that its uploads take it from the start
  void SetUploadRoute(const SdkRoute& route) override;

 private:
  using Record = std::function<void(ILoggerServer&)>;

  // the real logger once released, else keeps the record and returns null
  ILoggerServer* KeepOrPass(Record record);
  // the calling thread's properties while they are kept here: set before
  // the release and not cleared since; null when the thread has none
  Event* KeptProperties(bool create);

  Maker make_;
  // recursive: making the real logger may send an event, which is kept
  std::recursive_mutex lock_;
  std::atomic<ILoggerServer*> real_{nullptr};
  std::vector<Record> kept_;
  std::map<std::thread::id, Event> properties_;
  bool routeKept_ = false;
  SdkRoute route_;
};

}  // namespace orvane
