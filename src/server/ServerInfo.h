// CServerInfo: what the vendor API says about this install's channel: the
// application, the welcome page after the install and the advertising
// account. CReadServerInfoThread fills it in the background; an installer
// without a channel asks nothing. Readers poll GetStatus (0 running, 1
// done, 2 failed) and read the fields once it is 1.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/XMutex.h"
#include "server/ApiAnswer.h"
#include "server/ApiTransportWin.h"
#include "server/QueryResults.h"
#include "server/QueryThread.h"

namespace orvane {

class CServerInfo;

class CReadServerInfoThread final : public CQueryThread {
 public:
  CReadServerInfoThread(CServerInfo* info, std::string channel, ApiEndpoint endpoint);
  // the query-thread stop
  ~CReadServerInfoThread() override;
  int Run() override;

 private:
  CServerInfo* info_;
  std::string channel_;
  ApiEndpoint endpoint_;
};

class CServerInfo : public IServerInfo {
 public:
  // built and started on first use, for the channel that first use names
  // (start-up names the install's); later uses get that same instance
  // whatever they name
  static CServerInfo* GetInstance(const std::string& channel);
  // the instance GetInstance built; null before
  static CServerInfo* Instance();
  // stops the query of the instance, if GetInstance built one
  static void StopInstance();

  CServerInfo();
  ~CServerInfo() override;
  CServerInfo(const CServerInfo&) = delete;
  CServerInfo& operator=(const CServerInfo&) = delete;

  // starts the query for channel (empty: nothing is asked and the answer is
  // empty); on false the status is 2
  bool Start(const std::string& channel, const ApiEndpoint& endpoint = GatewayEndpoint());
  void Stop();

  int GetStatus() override { return status_; }
  const char* GetWelcomeUrl() override { return record_.welcomeUrl.c_str(); }
  const char* GetAdvertisingAccountName() override {
    return record_.advertisingAccountName.c_str();
  }
  bool GetKelmorOcpc() override { return record_.kelmorOcpc; }
  const char* GetAppId() override { return record_.appId.c_str(); }
  const char* GetAppName() override { return record_.appName.c_str(); }
  void ClearWelcomeUrl() override;

  std::string failure();

  // the worker's side
  void Store(const WelcomeRecord& record);
  void Fail(const std::string& why);

 private:
  std::atomic<int> status_{kQueryRunning};
  CXMutex lock_;  // the update and the failure
  WelcomeRecord record_;
  std::string failure_;
  // workers a stop had to leave running (never freed)
  std::vector<CQueryThread*> abandoned_;
  std::unique_ptr<CReadServerInfoThread> worker_;
};

}  // namespace orvane
