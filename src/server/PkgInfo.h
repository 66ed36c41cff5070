// CPkgInfo: which installer package to download, as the vendor API names it.
// CReadPkgInfoThread fills it in the background: it asks the gateway by name,
// then at its fixed address, every 300 ms until an answer arrives or the
// query is stopped. Readers poll GetStatus: 0 running, 1 done, 2 failed.
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

struct PkgQuerySetup {
  ApiEndpoint endpoint = GatewayEndpoint();
  // the file whose product version is sent; empty: the running program
  std::wstring versionFile;
};

class CPkgInfo;

class CReadPkgInfoThread final : public CQueryThread {
 public:
  CReadPkgInfoThread(CPkgInfo* info, PkgQuerySetup setup);
  // the query-thread stop
  ~CReadPkgInfoThread() override;
  int Run() override;

 private:
  CPkgInfo* info_;
  PkgQuerySetup setup_;
};

class CPkgInfo : public IPkgInfo {
 public:
  // built and started on first use
  static CPkgInfo* GetInstance();
  // stops the query of the instance, if GetInstance built one
  static void StopInstance();

  // the defaults, no query yet
  CPkgInfo();
  ~CPkgInfo() override;
  CPkgInfo(const CPkgInfo&) = delete;
  CPkgInfo& operator=(const CPkgInfo&) = delete;

  // starts the query; on false (no thread) the status is 2
  bool Start(const PkgQuerySetup& setup = {});
  // cancels the query and waits for its end, at most kQueryStopWaitMs
  void Stop();

  int GetStatus() override { return status_; }
  int64_t GetPackageSize() override { return size_; }
  int64_t GetInstallationSize() override { return installationSize_; }
  const char* GetVersionCode() override;
  int GetUrlCount() override;
  const char* GetUrl(int index) override;
  const char* GetMd5() override;
  void Clear() override;

  // the text of the failure that set status 2
  std::string failure();

  // the worker's side; the record as ReadPackageAnswer gives it, its URLs
  // already sorted by weight
  void Store(const PackageRecord& record);
  void Fail(const std::string& why);

 private:
  std::atomic<int> status_{kQueryRunning};
  std::atomic<int64_t> size_{kDefaultPackageSize32};
  std::atomic<int64_t> installationSize_{kDefaultInstallationSize};
  CXMutex lock_;  // the texts, the URL list, the failure
  std::string versionCode_;
  std::string md5_;
  std::vector<PackageUrl> urls_;
  std::string failure_;
  // workers a stop had to leave running (never freed)
  std::vector<CQueryThread*> abandoned_;
  std::unique_ptr<CReadPkgInfoThread> worker_;
};

}  // namespace orvane
