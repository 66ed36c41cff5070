// CPkgInfo: which installer package to download. Until the API query is
// built, the result reports failure at once and holds the default sizes.
#pragma once

#include "server/QueryResults.h"

namespace orvane {

class CPkgInfo : public IPkgInfo {
 public:
  // built on first use; the query starts with it
  static CPkgInfo* GetInstance();

  int GetStatus() override { return 2; }
  int64_t GetPackageSize() override { return 100616912; }
  int64_t GetInstallationSize() override { return 240478201; }
  const char* GetVersionCode() override { return nullptr; }
  int GetUrlCount() override { return 0; }
  const char* GetUrl(int) override { return nullptr; }
  const char* GetMd5() override { return nullptr; }
  void Clear() override {}
};

// CServerInfo: the channel's welcome page and advertising account. Until the
// API query is built, the result is done at once with empty fields.
class CServerInfo : public IServerInfo {
 public:
  static CServerInfo* GetInstance();

  int GetStatus() override { return 1; }
  const char* GetWelcomeUrl() override { return ""; }
  const char* GetAdvertisingAccountName() override { return ""; }
  bool GetKelmorOcpc() override { return false; }
  const char* GetAppId() override { return ""; }
  const char* GetAppName() override { return ""; }
  void ClearWelcomeUrl() override {}
};

}  // namespace orvane
